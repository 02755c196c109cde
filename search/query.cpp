// Query translation: lowercasing, the two mask translations and what each row's button runs.

#include "search/query.h"

#include <cstddef>

#include "search/mask.h"
#include "search/search_run.h"
#include "wordstore/letters.h"

namespace {

// The pattern a row sends for a mask's expression: the expression between slashes, no modifiers.
std::string Delimited(const std::string& expression)
{
    return expression.empty() ? std::string() : "/" + expression + "/";
}

// Lowercases the expression text[begin, end) except escaped bytes and \Q...\E text.
void LowerExpression(std::string& text, std::size_t begin, std::size_t end)
{
    bool quoted = false;
    for (std::size_t i = begin; i < end; ++i) {
        if (text[i] == '\\' && i + 1 < end) {
            // Between \Q and \E only \E means something, so a backslash there escapes nothing.
            if (!quoted) {
                quoted = text[i + 1] == 'Q';
                ++i;
            } else if (text[i + 1] == 'E') {
                quoted = false;
                ++i;
            }
        } else if (!quoted) {
            text[i] = LowerLetter(text[i]);
        }
    }
}

}  // namespace

void LowerPattern(std::string& text)
{
    // The pattern search trims bytes up to 0x20; the first byte after them is the delimiter.
    std::size_t open = 0;
    while (open < text.size() && IsBlankByte(text[open])) {
        ++open;
    }
    if (open == text.size()) {
        return;
    }
    // The delimiter closes at its last occurrence after lowercasing, as the pattern search reads
    // it; a letter delimiter may be typed in either case.
    const char delimiter = LowerLetter(text[open]);
    std::size_t close = text.size() - 1;
    while (close > open && LowerLetter(text[close]) != delimiter) {
        --close;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i <= open || i >= close) {
            text[i] = LowerLetter(text[i]);
        }
    }
    LowerExpression(text, open + 1, close);
}

std::string MaskToPattern(const std::string& query)
{
    return Delimited(ExactMaskExpression(TokenizeMask(query)));
}

std::string InexactMaskToPattern(const std::string& query)
{
    return Delimited(InexactMaskExpression(TokenizeMask(query)));
}

std::string TranslateQuery(TQueryMode mode, const std::string& fieldText)
{
    std::string query = fieldText;
    if (mode == TQueryMode::Regexp) {
        LowerPattern(query);
    } else {
        LowerCyr(query);
    }
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

std::optional<TWordTest> RowTest(TQueryMode mode, const std::string& fieldText)
{
    const std::string query = TranslateQuery(mode, fieldText);
    if (mode == TQueryMode::Ending) {
        return EndingTest(query);
    }
    return PatternTest(query);
}

TTailFilter RowTailFilter(TQueryMode mode, const std::string& fieldText)
{
    const std::string query = TranslateQuery(mode, fieldText);
    return mode == TQueryMode::Ending ? EndingTailFilter(query) : PatternTailFilter(query);
}
