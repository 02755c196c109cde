// The mask language: reading a mask into tokens, writing the tokens as an expression, and reading
// such an expression back for the wildcard matcher.

#include "search/mask.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "search/cp1251_letters.h"
#include "wordstore/encoding.h"

namespace {

// The signs of a mask other than letters, and how each expression writes them. The reader tries
// the exact spellings in this order, so ".*" has to come before ".".
struct TMaskSign
{
    TMaskTokenKind Kind;
    char Sign;
    std::string_view Exact;
    std::string_view Inexact;
};

constexpr TMaskSign kMaskSigns[] = {
    {TMaskTokenKind::AnyRun, '*', ".*", ".*"},
    {TMaskTokenKind::AnyChar, '?', ".", "."},
    {TMaskTokenKind::Hyphen, '-', "-", "[-]"},
};

// What the inexact mask puts in place of each small letter а to я (Windows-1251, in UTF-8 here).
constexpr std::array<std::string_view, 32> kInexactLetters = {
    "[-ьъ]*[-ая][-ьъ]*",  "[-ьъ]*[-бп][-ьъ]*",   "[-ьъ]*[-вф][-ьъ]*",  "[-ьъ]*[-гк][-ьъ]*",
    "[-ьъ]*[-дт][-ьъ]*",  "[-ьъй]*[-еэё][-ьъ]*", "[-ьъ]*[-жшщ][-ьъ]*", "[-ьъ]*[-зс][-ьъ]*",
    "[-ьъ]*[-иы][-ьъ]*",  "[-ьъ]*[-й][-ьъ]*",    "[-ьъ]*[-кг][-ьъ]*",  "[-ьъ]*[-л][-ьъ]*",
    "[-ьъ]*[-м][-ьъ]*",   "[-ьъ]*[-н][-ьъ]*",    "[-ьъ]*[-о][-ьъ]*",   "[-ьъ]*[-пб][-ьъ]*",
    "[-ьъ]*[-р][-ьъ]*",   "[-ьъ]*[-сз][-ьъ]*",   "[-ьъ]*[-тд][-ьъ]*",  "[-ьъ]*[-ую][-ьъ]*",
    "[-ьъ]*[-фв][-ьъ]*",  "[-ьъ]*[-х][-ьъ]*",    "[-ьъ]*[-ц][-ьъ]*",   "[-ьъ]*[-ч][-ьъ]*",
    "[-ьъ]*[-шщж][-ьъ]*", "[-ьъ]*[-шщж][-ьъ]*",  "[-]?[ъь]?[-]?",      "[-ьъ]*[-ыи][-ьъ]*",
    "[-]?[ъь]?[-]?",      "[-ьъй]*[-эеё][-ьъ]*", "[-ьъй]*[-юу][-ьъ]*", "[-ьъй]*[-яа][-ьъ]*",
};

// How the exact expression writes a mask's е (Windows-1251): the query's lowercasing has folded
// ё to е, but the words keep their ё.
constexpr char kYeOrYoBytes[] = {'[', static_cast<char>(kSmallYe), static_cast<char>(kSmallYo),
                                 ']'};
constexpr std::string_view kYeOrYoExact(kYeOrYoBytes, sizeof kYeOrYoBytes);

const TMaskSign& SignOf(TMaskTokenKind kind)
{
    return *std::find_if(std::begin(kMaskSigns), std::end(kMaskSigns),
                         [kind](const TMaskSign& sign) { return sign.Kind == kind; });
}

std::string_view InexactLetter(char letter)
{
    static const std::array<std::string, 32> letters = [] {
        std::array<std::string, 32> converted;
        for (std::size_t i = 0; i < converted.size(); ++i) {
            converted[i] = ToCp1251(kInexactLetters[i]);
        }
        return converted;
    }();
    return letters[static_cast<unsigned char>(letter) - kSmallA];
}

std::string WriteExpression(const std::vector<TMaskToken>& tokens, bool inexact)
{
    if (tokens.empty()) {
        return std::string();
    }
    std::string expression = "^";
    expression.reserve(tokens.size() * (inexact ? 24 : 2) + 2);
    for (const TMaskToken& token : tokens) {
        switch (token.Kind) {
            case TMaskTokenKind::Letter:
                if (inexact) {
                    expression += InexactLetter(token.Letter);
                } else {
                    expression.push_back(token.Letter);
                }
                break;
            case TMaskTokenKind::YeOrYo:
                expression += inexact ? InexactLetter(static_cast<char>(kSmallYe)) : kYeOrYoExact;
                break;
            case TMaskTokenKind::AnyRun:
            case TMaskTokenKind::AnyChar:
            case TMaskTokenKind::Hyphen: {
                const TMaskSign& sign = SignOf(token.Kind);
                expression += inexact ? sign.Inexact : sign.Exact;
                break;
            }
        }
    }
    expression.push_back('$');
    return expression;
}

}  // namespace

std::vector<TMaskToken> TokenizeMask(std::string_view mask)
{
    std::vector<TMaskToken> tokens;
    tokens.reserve(mask.size());
    for (const char c : mask) {
        if (static_cast<unsigned char>(c) == kSmallYe) {
            tokens.push_back({TMaskTokenKind::YeOrYo, 0});
            continue;
        }
        if (IsSmallRussianLetter(static_cast<unsigned char>(c))) {
            tokens.push_back({TMaskTokenKind::Letter, c});
            continue;
        }
        for (const TMaskSign& sign : kMaskSigns) {
            if (sign.Sign == c) {
                tokens.push_back({sign.Kind, 0});
            }
        }
    }
    return tokens;
}

std::string ExactMaskExpression(const std::vector<TMaskToken>& tokens)
{
    return WriteExpression(tokens, false);
}

std::string InexactMaskExpression(const std::vector<TMaskToken>& tokens)
{
    return WriteExpression(tokens, true);
}

std::optional<std::vector<TMaskToken>> ReadExactMaskExpression(std::string_view expression)
{
    if (expression.size() < 3 || expression.front() != '^' || expression.back() != '$') {
        return std::nullopt;
    }
    std::string_view rest = expression.substr(1, expression.size() - 2);
    std::vector<TMaskToken> tokens;
    while (!rest.empty()) {
        if (IsSmallRussianLetter(static_cast<unsigned char>(rest.front()))) {
            tokens.push_back({TMaskTokenKind::Letter, rest.front()});
            rest.remove_prefix(1);
            continue;
        }
        if (rest.starts_with(kYeOrYoExact)) {
            tokens.push_back({TMaskTokenKind::YeOrYo, 0});
            rest.remove_prefix(kYeOrYoExact.size());
            continue;
        }
        const auto* sign =
            std::find_if(std::begin(kMaskSigns), std::end(kMaskSigns),
                         [rest](const TMaskSign& s) { return rest.starts_with(s.Exact); });
        if (sign == std::end(kMaskSigns)) {
            return std::nullopt;
        }
        tokens.push_back({sign->Kind, 0});
        rest.remove_prefix(sign->Exact.size());
    }
    return tokens;
}
