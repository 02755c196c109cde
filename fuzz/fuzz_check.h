#pragma once
// What the fuzz targets share: a check that turns a broken invariant into a finding, the cutting
// of fuzzed bytes into the fields a target reads, and a model of how a pattern query is split.

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Ends the process with what went wrong when condition is false; libFuzzer then keeps the input
// as a crash file. what and detail (bytes shown as C escapes) name the broken invariant.
inline void Check(bool condition, const char* what, std::string_view detail = {})
{
    if (condition) {
        return;
    }
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    if (!detail.empty()) {
        std::fputs("  ", stderr);
        for (const char c : detail) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
                std::fputc(byte, stderr);
            } else {
                std::fprintf(stderr, "\\x%02X", byte);
            }
        }
        std::fputc('\n', stderr);
    }
    std::abort();
}

// Reads fuzzed bytes front to back: one byte, or a field up to the next LF (dropped) or the end.
class TFuzzInput
{
public:
    TFuzzInput(const unsigned char* data, std::size_t size)
        : m_rest(reinterpret_cast<const char*>(data), size)
    {}

    // The next byte, 0 when none is left.
    unsigned char Byte()
    {
        if (m_rest.empty()) {
            return 0;
        }
        const auto byte = static_cast<unsigned char>(m_rest.front());
        m_rest.remove_prefix(1);
        return byte;
    }

    // The bytes up to the next LF, which is dropped; all that is left when there is none.
    std::string Line()
    {
        const std::size_t end = m_rest.find('\n');
        const std::string line(m_rest.substr(0, end));
        m_rest.remove_prefix(end == std::string_view::npos ? m_rest.size() : end + 1);
        return line;
    }

    // Up to limit lines of what is left, each with no LF.
    std::vector<std::string> Lines(std::size_t limit)
    {
        std::vector<std::string> lines;
        while (!m_rest.empty() && lines.size() < limit) {
            lines.push_back(Line());
        }
        return lines;
    }

    // Everything that is left.
    std::string_view Rest() const { return m_rest; }

private:
    std::string_view m_rest;
};

// A pattern query as the pattern search reads it, written apart from it: blanks (bytes 0x00 to
// 0x20) around it dropped, then the first character is the delimiter and its last occurrence
// closes the expression; the modifier letters follow.
struct TPatternQuery
{
    std::string Trimmed;
    std::string Expression;
    std::string Modifiers;
};

// Empty for a query that is blank.
inline std::optional<TPatternQuery> SplitPatternQuery(const std::string& query)
{
    std::string blanks;
    for (char c = 0; c <= 0x20; ++c) {
        blanks += c;
    }
    const std::size_t first = query.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::nullopt;
    }
    TPatternQuery split;
    split.Trimmed = query.substr(first, query.find_last_not_of(blanks) + 1 - first);
    const std::size_t close = split.Trimmed.rfind(split.Trimmed.front());
    split.Modifiers = split.Trimmed.substr(close + 1);
    if (close > 0) {
        split.Expression = split.Trimmed.substr(1, close - 1);
    }
    return split;
}
