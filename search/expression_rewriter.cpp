// The expression rewriter: the modifier letters, and the scan that copies a typed expression for
// PCRE2, widening the Russian ranges of r and keeping [:ascii:] to ASCII.

#include "search/expression_rewriter.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "wordstore/letters.h"

namespace {

// The modifier letters and the switch each one sets; a capital letter counts as its small one.
struct TModifierLetter
{
    char Letter;
    bool TRegExprModifiers::*Flag;
};

constexpr TModifierLetter kModifierLetters[] = {
    {'i', &TRegExprModifiers::CaseInsensitive}, {'r', &TRegExprModifiers::RussianRanges},
    {'s', &TRegExprModifiers::DotAll},          {'g', &TRegExprModifiers::Greedy},
    {'m', &TRegExprModifiers::MultiLine},       {'x', &TRegExprModifiers::Extended},
};

// What а-Я stands for under r: all 66 letters. The single letters come first, so that a "-"
// after the range still reads as a literal hyphen.
constexpr char kAllRussianLetters[] = {
    static_cast<char>(kCapitalYo),
    static_cast<char>(kSmallYo),
    static_cast<char>(kCapitalA),
    '-',
    static_cast<char>(kCapitalYa),
    static_cast<char>(kSmallA),
    '-',
    static_cast<char>(kSmallYa),
};

// PCRE2 builds [:ascii:] from the printable and control classes, which here hold the upper half
// too; these ranges keep it to what its name says.
constexpr char kAsciiRange[] = "\\x00-\\x7F";
constexpr char kNonAsciiRange[] = "\\x80-\\xFF";

// One item of a bracket class: a single character, an escape, or a POSIX class.
struct TClassItem
{
    std::size_t End = 0;  // position after the item
    int Value = -1;       // the byte a single character stands for; -1 for anything else
};

// The scan behind RewriteExpression: one pass over the expression, bracket classes item by item.
class TExpressionRewriter
{
public:
    TExpressionRewriter(const std::string& expression, bool russianRanges, bool extended)
        : m_in(expression)
        , m_russianRanges(russianRanges)
        , m_extended(extended)
    {}

    TPcreExpression Rewrite()
    {
        m_out.Text.reserve(m_in.size() + 16);
        m_out.SourcePos.reserve(m_in.size() + 17);
        while (m_pos < m_in.size()) {
            if (At(m_pos, '\\') && At(m_pos + 1, 'Q')) {
                CopyTo(QuotedEnd(m_pos));
            } else if (At(m_pos, '\\')) {
                CopyTo(ReadEscape(m_pos).End);
            } else if (At(m_pos, '[')) {
                CopyClass();
            } else if (At(m_pos, '(') && At(m_pos + 1, '?') && At(m_pos + 2, '#')) {
                CopyTo(FindOrEnd(")", m_pos + 3, 1));
            } else if (m_extended && At(m_pos, '#')) {
                CopyTo(std::min(m_in.find_first_of("\r\n", m_pos), m_in.size()));
            } else {
                CopyTo(m_pos + 1);
            }
        }
        m_out.SourcePos.push_back(m_in.size());
        return std::move(m_out);
    }

private:
    const std::string& m_in;
    const bool m_russianRanges;
    const bool m_extended;
    std::size_t m_pos = 0;
    TPcreExpression m_out;

    bool At(std::size_t pos, char c) const { return pos < m_in.size() && m_in[pos] == c; }

    int ByteAt(std::size_t pos) const { return static_cast<unsigned char>(m_in[pos]); }

    // The position after the first occurrence of what at or after from, or the end.
    std::size_t FindOrEnd(const char* what, std::size_t from, std::size_t length) const
    {
        const std::size_t found = m_in.find(what, from, length);
        return found == std::string::npos ? m_in.size() : found + length;
    }

    // pos is at "\Q"; the text up to "\E" is literal.
    std::size_t QuotedEnd(std::size_t pos) const { return FindOrEnd("\\E", pos + 2, 2); }

    void CopyTo(std::size_t end)
    {
        for (; m_pos < end; ++m_pos) {
            m_out.Text.push_back(m_in[m_pos]);
            m_out.SourcePos.push_back(m_pos);
        }
    }

    // Adds text that stands in for the user's bytes from sourcePos on.
    void Insert(std::string_view text, std::size_t sourcePos)
    {
        m_out.Text.append(text);
        m_out.SourcePos.insert(m_out.SourcePos.end(), text.size(), sourcePos);
    }

    void InsertByte(unsigned char byte, std::size_t sourcePos)
    {
        const char c = static_cast<char>(byte);
        Insert({&c, 1}, sourcePos);
    }

    static int HexDigit(int c)
    {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    }

    static bool IsAsciiAlnum(int c)
    {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    }

    // pos is at a backslash. Decodes the forms that can name a Cyrillic byte (an escaped
    // non-alphanumeric byte, \xHH, \x{HH}, octal \ooo); other escapes get the value -1.
    TClassItem ReadEscape(std::size_t pos) const
    {
        const std::size_t size = m_in.size();
        if (pos + 1 >= size) {
            return {size, -1};
        }
        const int c = ByteAt(pos + 1);
        if (c == 'x') {
            if (At(pos + 2, '{')) {
                const std::size_t close = m_in.find('}', pos + 3);
                if (close == std::string::npos) {
                    return {pos + 2, -1};
                }
                int value = 0;
                for (std::size_t i = pos + 3; i < close; ++i) {
                    const int digit = HexDigit(ByteAt(i));
                    if (digit < 0 || value > 0xFF) {
                        return {close + 1, -1};
                    }
                    value = value * 16 + digit;
                }
                return {close + 1, close > pos + 3 && value <= 0xFF ? value : -1};
            }
            std::size_t end = pos + 2;
            int value = 0;
            while (end < size && end < pos + 4 && HexDigit(ByteAt(end)) >= 0) {
                value = value * 16 + HexDigit(ByteAt(end));
                ++end;
            }
            return {end, value};
        }
        if (c >= '0' && c <= '7') {
            std::size_t end = pos + 1;
            int value = 0;
            while (end < size && end < pos + 4 && ByteAt(end) >= '0' && ByteAt(end) <= '7') {
                value = value * 8 + (ByteAt(end) - '0');
                ++end;
            }
            return {end, value <= 0xFF ? value : -1};
        }
        if (c == 'c') {
            return {std::min(pos + 3, size), -1};
        }
        if (IsAsciiAlnum(c)) {
            // \p{...}, \o{...}, \N{...}, \g{...}: the braces belong to the escape.
            if (At(pos + 2, '{')) {
                return {FindOrEnd("}", pos + 3, 1), -1};
            }
            return {pos + 2, -1};
        }
        return {pos + 2, c};
    }

    // pos is at "[". Returns the position after a POSIX class "[:name:]" ("[.x.]", "[=x=]")
    // starting there, or 0 when there is none, following PCRE2's own test.
    std::size_t PosixClassEnd(std::size_t pos) const
    {
        if (!(At(pos + 1, ':') || At(pos + 1, '.') || At(pos + 1, '='))) {
            return 0;
        }
        const char terminator = m_in[pos + 1];
        for (std::size_t i = pos + 2; i + 1 < m_in.size(); ++i) {
            if (At(i, '\\') && (At(i + 1, ']') || At(i + 1, '\\'))) {
                ++i;
            } else if ((At(i, '[') && At(i + 1, terminator)) || At(i, ']')) {
                return 0;
            } else if (At(i, terminator) && At(i + 1, ']')) {
                return i + 2;
            }
        }
        return 0;
    }

    TClassItem ReadClassItem(std::size_t pos) const
    {
        if (At(pos, '\\')) {
            return ReadEscape(pos);
        }
        if (At(pos, '[')) {
            if (const std::size_t end = PosixClassEnd(pos); end != 0) {
                return {end, -1};
            }
        }
        return {pos + 1, ByteAt(pos)};
    }

    // m_pos is at the "[" that opens a class; copies up to and including its "]".
    void CopyClass()
    {
        CopyTo(m_pos + 1);
        if (At(m_pos, '^')) {
            CopyTo(m_pos + 1);
        }
        if (At(m_pos, ']')) {
            CopyTo(m_pos + 1);
        }
        while (m_pos < m_in.size()) {
            if (At(m_pos, ']')) {
                CopyTo(m_pos + 1);
                return;
            }
            if (At(m_pos, '\\') && At(m_pos + 1, 'Q')) {
                CopyTo(QuotedEnd(m_pos));
                continue;
            }
            const TClassItem first = ReadClassItem(m_pos);
            if (first.Value >= 0 && At(first.End, '-') && first.End + 1 < m_in.size() &&
                !At(first.End + 1, ']')) {
                const TClassItem last = ReadClassItem(first.End + 1);
                if (last.Value >= 0) {
                    AddRange(first.Value, last.Value, last.End);
                } else {
                    // A range up to a class escape or a POSIX class: PCRE2 reports it.
                    CopyTo(last.End);
                }
                continue;
            }
            const std::string_view item(m_in.data() + m_pos, first.End - m_pos);
            if (item == "[:ascii:]" || item == "[:^ascii:]") {
                Insert(item == "[:ascii:]" ? kAsciiRange : kNonAsciiRange, m_pos);
                m_pos = first.End;
                continue;
            }
            CopyTo(first.End);
        }
    }

    // m_pos is at a range from low to high that ends before end.
    void AddRange(int low, int high, std::size_t end)
    {
        if (m_russianRanges && low >= kCapitalA && high >= kCapitalA) {
            if (low == kSmallA && high == kCapitalYa) {
                Insert({kAllRussianLetters, std::size(kAllRussianLetters)}, m_pos);
                m_pos = end;
                return;
            }
            // Ё and ё sort apart from the alphabet, so a range over the whole alphabet misses
            // them. They go in front of the range: behind it a following "-" would join them.
            if (low == kCapitalA && high >= kCapitalYa) {
                InsertByte(kCapitalYo, m_pos);
            }
            if (low <= kSmallA && high == kSmallYa) {
                InsertByte(kSmallYo, m_pos);
            }
        }
        CopyTo(end);
    }
};

}  // namespace

std::optional<TRegExprModifiers> ApplyModifierLetters(const TRegExprModifiers& modifiers,
                                                      std::string_view letters)
{
    TRegExprModifiers next = modifiers;
    bool on = true;
    for (const char c : letters) {
        if (c == '-') {
            on = false;
            continue;
        }
        const char small = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        const auto* letter =
            std::find_if(std::begin(kModifierLetters), std::end(kModifierLetters),
                         [small](const TModifierLetter& entry) { return entry.Letter == small; });
        if (letter == std::end(kModifierLetters)) {
            return std::nullopt;
        }
        next.*(letter->Flag) = on;
    }
    return next;
}

TPcreExpression RewriteExpression(const std::string& expression, const TRegExprModifiers& modifiers)
{
    return TExpressionRewriter(expression, modifiers.RussianRanges, modifiers.Extended).Rewrite();
}
