// The mask language: reading a mask into tokens, its sets of letters too, writing the tokens as an
// expression, and reading such an expression back for the wildcard matcher.

#include "search/mask.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "wordstore/encoding.h"
#include "wordstore/letters.h"

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

// The small letters and ё that test holds for: AllLetters() is what "[!...]" takes from, the
// vowels are "@" and the consonants "#".
TByteSet LettersWhere(bool (*test)(char))
{
    TByteSet set;
    for (unsigned byte = kSmallA; byte <= kSmallYa; ++byte) {
        set.set(byte, test(static_cast<char>(byte)));
    }
    set.set(kSmallYo, test(static_cast<char>(kSmallYo)));
    return set;
}

TByteSet AllLetters()
{
    return LettersWhere([](char) { return true; });
}

// The token a set of bytes stands for: a set of one byte is that byte's own token, so that each
// set of words has one spelling and the wildcard keeps its plain loop where it can.
TMaskToken TokenOfSet(const TByteSet& set)
{
    TByteSet yeOrYo;
    yeOrYo.set(kSmallYe);
    yeOrYo.set(kSmallYo);
    if (set == yeOrYo) {
        return {TMaskTokenKind::YeOrYo, 0};
    }
    if (set.count() == 1) {
        if (set.test('-')) {
            return {TMaskTokenKind::Hyphen, 0};
        }
        for (unsigned byte = kSmallA; byte <= kSmallYa; ++byte) {
            if (set.test(byte)) {
                return {TMaskTokenKind::Letter, static_cast<char>(byte)};
            }
        }
    }
    return {TMaskTokenKind::Set, 0, set};
}

// Reads the set whose "[" is at mask[open]. Returns its token and where the mask goes on after
// its "]".
std::pair<TMaskToken, std::size_t> ReadSet(std::string_view mask, std::size_t open)
{
    const std::size_t close = mask.find(']', open + 1);
    if (close == std::string_view::npos) {
        throw EMaskError("Unclosed [ in the mask");
    }
    std::string_view inside = mask.substr(open + 1, close - open - 1);
    const bool negated = inside.starts_with('!');
    if (negated) {
        inside.remove_prefix(1);
    }
    // The bytes that mean something in a set; the others are dropped before ranges are read, as
    // they are from the rest of the mask.
    std::string items;
    for (const char c : inside) {
        if (c == '-' || IsSmallRussianLetter(static_cast<unsigned char>(c))) {
            items.push_back(c);
        }
    }
    TByteSet members;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto first = static_cast<unsigned char>(items[i]);
        if (first != '-' && i + 2 < items.size() && items[i + 1] == '-' && items[i + 2] != '-') {
            const auto last = static_cast<unsigned char>(items[i + 2]);
            if (first > last) {
                throw EMaskError("Reversed range in [] of the mask");
            }
            for (unsigned byte = first; byte <= last; ++byte) {
                members.set(byte);
            }
            i += 2;
        } else {
            members.set(first);
        }
    }
    if (members.none()) {
        throw EMaskError("Empty [] in the mask");
    }
    // The query's lowercasing has folded ё to е, but the words keep their ё.
    if (members.test(kSmallYe)) {
        members.set(kSmallYo);
    }
    if (negated) {
        members = AllLetters() & ~members;
        if (members.none()) {
            throw EMaskError("No letter left by [!] in the mask");
        }
    }
    return {TokenOfSet(members), close + 1};
}

// The class of the exact expression for a set: no ranges, whose meaning the engine's r modifier
// would change, the hyphen first, where it needs no escape, and the letters in alphabetical order.
std::string SetClass(const TByteSet& set)
{
    std::string text = "[";
    if (set.test('-')) {
        text.push_back('-');
    }
    for (unsigned byte = kSmallA; byte <= kSmallYa; ++byte) {
        if (set.test(byte)) {
            text.push_back(static_cast<char>(byte));
        }
        if (byte == kSmallYe && set.test(kSmallYo)) {
            text.push_back(static_cast<char>(kSmallYo));
        }
    }
    text.push_back(']');
    return text;
}

// Reads a class at the start of text as SetClass writes it for a Set token; empty otherwise.
// Returns the token and the length of the class.
std::optional<std::pair<TMaskToken, std::size_t>> ReadSetClass(std::string_view text)
{
    const std::size_t close = text.find(']');
    if (!text.starts_with('[') || close == std::string_view::npos) {
        return std::nullopt;
    }
    TByteSet set;
    for (const char c : text.substr(1, close - 1)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte != '-' && byte != kSmallYo && !IsSmallRussianLetter(byte)) {
            return std::nullopt;
        }
        set.set(byte);
    }
    // A set of one byte is never written as a class, nor one that another token stands for.
    const TMaskToken token = TokenOfSet(set);
    if (set.count() < 2 || token.Kind != TMaskTokenKind::Set ||
        SetClass(set) != text.substr(0, close + 1)) {
        return std::nullopt;
    }
    return std::pair{token, close + 1};
}

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
            case TMaskTokenKind::Set:
                expression += SetClass(token.Set);
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
    static const TByteSet vowels = LettersWhere(IsVowel);
    static const TByteSet consonants = LettersWhere(IsConsonant);
    std::vector<TMaskToken> tokens;
    tokens.reserve(mask.size());
    for (std::size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        if (static_cast<unsigned char>(c) == kSmallYe) {
            tokens.push_back({TMaskTokenKind::YeOrYo, 0});
            continue;
        }
        if (c == '@' || c == '#') {
            tokens.push_back({TMaskTokenKind::Set, 0, c == '@' ? vowels : consonants});
            continue;
        }
        if (c == '[') {
            auto [token, next] = ReadSet(mask, i);
            tokens.push_back(token);
            i = next - 1;
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
        if (const auto set = ReadSetClass(rest)) {
            tokens.push_back(set->first);
            rest.remove_prefix(set->second);
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
