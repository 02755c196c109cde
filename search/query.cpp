// Query translation: lowercasing, the two mask translations and what each row's button runs.

#include "search/query.h"

#include "search/cp1251_letters.h"
#include "search/mask.h"
#include "search/search_run.h"

namespace {

// The pattern a row sends for a mask's expression: the expression between slashes, no modifiers.
std::string Delimited(const std::string& expression)
{
    return expression.empty() ? std::string() : "/" + expression + "/";
}

}  // namespace

void LowerCyr(std::string& text)
{
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 'A' && byte <= 'Z') {
            c = static_cast<char>(byte - 'A' + 'a');
        } else if (byte >= kCapitalA && byte <= kCapitalYa) {
            c = static_cast<char>(byte + kCaseDistance);
        } else if (byte == kCapitalYo || byte == kSmallYo) {
            c = static_cast<char>(kSmallYe);
        }
    }
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
