// Query translation: lowercasing, the two mask translations and what each row's button runs.

#include "search/query.h"

#include <array>
#include <string_view>

#include "search/search_run.h"
#include "wordstore/encoding.h"

namespace {

constexpr unsigned char kSmallA = 0xE0;  // "а"

// What the inexact mask puts in place of each small letter а to я (Windows-1251, in UTF-8 here).
constexpr std::array<std::string_view, 32> kInexactLetters = {
    "[-ьъ]*[-ая][-ьъ]*",  "[-ьъ]*[-бп][-ьъ]*",  "[-ьъ]*[-вф][-ьъ]*",  "[-ьъ]*[-гк][-ьъ]*",
    "[-ьъ]*[-дт][-ьъ]*",  "[-ьъй]*[-еэ][-ьъ]*", "[-ьъ]*[-жшщ][-ьъ]*", "[-ьъ]*[-зс][-ьъ]*",
    "[-ьъ]*[-иы][-ьъ]*",  "[-ьъ]*[-й][-ьъ]*",   "[-ьъ]*[-кг][-ьъ]*",  "[-ьъ]*[-л][-ьъ]*",
    "[-ьъ]*[-м][-ьъ]*",   "[-ьъ]*[-н][-ьъ]*",   "[-ьъ]*[-о][-ьъ]*",   "[-ьъ]*[-пб][-ьъ]*",
    "[-ьъ]*[-р][-ьъ]*",   "[-ьъ]*[-сз][-ьъ]*",  "[-ьъ]*[-тд][-ьъ]*",  "[-ьъ]*[-ую][-ьъ]*",
    "[-ьъ]*[-фв][-ьъ]*",  "[-ьъ]*[-х][-ьъ]*",   "[-ьъ]*[-ц][-ьъ]*",   "[-ьъ]*[-ч][-ьъ]*",
    "[-ьъ]*[-шщж][-ьъ]*", "[-ьъ]*[-шщж][-ьъ]*", "[-]?[ъь]?[-]?",      "[-ьъ]*[-ыи][-ьъ]*",
    "[-]?[ъь]?[-]?",      "[-ьъй]*[-эе][-ьъ]*", "[-ьъй]*[-юу][-ьъ]*", "[-ьъй]*[-яа][-ьъ]*",
};

std::string Anchored(const std::string& body)
{
    return body.empty() ? std::string() : "/^" + body + "$/";
}

}  // namespace

void LowerCyr(std::string& text)
{
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDF)) {
            c = static_cast<char>(byte + 0x20);
        } else if (byte == 0xA8 || byte == 0xB8) {
            c = static_cast<char>(0xE5);
        }
    }
}

std::string MaskToPattern(const std::string& query)
{
    std::string body;
    body.reserve(query.size() * 2);
    for (const char c : query) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '-' || byte >= kSmallA) {
            body.push_back(c);
        } else if (c == '*') {
            body += ".*";
        } else if (c == '?') {
            body.push_back('.');
        }
    }
    return Anchored(body);
}

std::string InexactMaskToPattern(const std::string& query)
{
    static const std::array<std::string, 32> letters = [] {
        std::array<std::string, 32> converted;
        for (std::size_t i = 0; i < converted.size(); ++i) {
            converted[i] = ToCp1251(kInexactLetters[i]);
        }
        return converted;
    }();
    std::string body;
    for (const char c : query) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= kSmallA) {
            body += letters[byte - kSmallA];
        } else if (c == '*') {
            body += ".*";
        } else if (c == '-') {
            body += "[-]";
        } else if (c == '?') {
            body.push_back('.');
        }
    }
    return Anchored(body);
}

std::string TranslateQuery(TQueryMode mode, const std::string& fieldText)
{
    std::string query = fieldText;
    LowerCyr(query);
    switch (mode) {
        case TQueryMode::Mask:
            return MaskToPattern(query);
        case TQueryMode::Inexact:
            return InexactMaskToPattern(query);
        case TQueryMode::Ending:
        case TQueryMode::Regexp:
            break;
    }
    return query;
}

bool RunSearchRow(TQueryMode mode, const std::string& fieldText, TSearchView& view)
{
    const std::string query = TranslateQuery(mode, fieldText);
    if (mode == TQueryMode::Ending) {
        EndingSearch(query, view);
        return true;
    }
    if (query.empty()) {
        return false;
    }
    PatternSearch(query, view);
    return true;
}
