// Tests of the mask language: reading masks into tokens, sets of letters and their errors, and the
// exact expression read back.

#include "search/mask.h"

#include <cstddef>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "wordstore/encoding.h"

namespace {

constexpr TMaskToken kRun{TMaskTokenKind::AnyRun, 0};
constexpr TMaskToken kOne{TMaskTokenKind::AnyChar, 0};
constexpr TMaskToken kHyphen{TMaskTokenKind::Hyphen, 0};
constexpr TMaskToken kYeOrYo{TMaskTokenKind::YeOrYo, 0};

// The token of one small letter, written in UTF-8.
TMaskToken Letter(const char* utf8)
{
    return {TMaskTokenKind::Letter, ToCp1251(utf8).at(0)};
}

TEST(TokenizeMask, ReadsSignsAndSmallLettersAndDropsEverythingElse)
{
    // A lowercased mask (UTF-8), then its tokens.
    const std::pair<const char*, std::vector<TMaskToken>> cases[] = {
        {"*янка", {kRun, Letter("я"), Letter("н"), Letter("к"), Letter("а")}},
        {"к?т", {Letter("к"), kOne, Letter("т")}},
        {"по-*", {Letter("п"), Letter("о"), kHyphen, kRun}},
        {"**??", {kRun, kRun, kOne, kOne}},
        {"а я", {Letter("а"), Letter("я")}},  // a blank is dropped
        {"ещё", {kYeOrYo, Letter("щ")}},      // е takes ё too (the lowercasing folded it away)
        {"ёжКот", {Letter("ж"), Letter("о"), Letter("т")}},  // so are ё and capitals
        {"abc123", {}},
        {"№«.+{}", {}},          // and the signs of regular expressions
        {"]!к", {Letter("к")}},  // a "]" or "!" outside a set
        {"", {}},
    };
    for (const auto& [mask, tokens] : cases) {
        SCOPED_TRACE(mask);
        EXPECT_EQ(TokenizeMask(ToCp1251(mask)), tokens);
    }
}

// The set token of the letters (UTF-8).
TMaskToken Set(const char* utf8)
{
    TMaskToken token{TMaskTokenKind::Set, 0};
    for (const char c : ToCp1251(utf8)) {
        token.Set.set(static_cast<unsigned char>(c));
    }
    return token;
}

TEST(TokenizeMask, ReadsVowelsConsonantsAndSetsOfLetters)
{
    const TMaskToken vowels = Set("аеёиоуыэюя");
    const TMaskToken consonants = Set("бвгджзйклмнпрстфхцчшщ");
    // A lowercased mask (UTF-8), then its tokens.
    const std::pair<const char*, std::vector<TMaskToken>> cases[] = {
        {"к@т", {Letter("к"), vowels, Letter("т")}},
        {"#@#", {consonants, vowels, consonants}},
        {"[кг]?р?а", {Set("кг"), kOne, Letter("р"), kOne, Letter("а")}},
        {"[гк]", {Set("кг")}},
        {"[а-г]", {Set("абвг")}},
        {"[гв-дя]", {Set("вгдя")}},
        {"[ж-з-]", {Set("жз-")}},  // a hyphen after a range is a hyphen
        {"[-аб]", {Set("-аб")}},
        {"[а-б-в]", {Set("аб-в")}},
        {"[де]", {Set("деё")}},  // е brings ё, which the words keep
        {"[г-ж]", {Set("гдеёж")}},
        {"[!а-ю]", {Letter("я")}},  // a set of one letter is that letter
        {"[!а-дж-я]", {kYeOrYo}},   // and е with ё is a mask's е
        {"[е]", {kYeOrYo}},
        {"[-]", {kHyphen}},
        {"[кк]", {Letter("к")}},
        {"[!бвгджзйклмнпрстфхцчшщьъ]", {vowels}},
        {"[k о*?@]", {Letter("о")}},  // what means nothing inside a set is dropped
        {"[a-в]", {Set("-в")}},       // even where it would have begun a range
        {"[[аб]]", {Set("аб")}},      // and "]" after the set
    };
    for (const auto& [mask, tokens] : cases) {
        SCOPED_TRACE(mask);
        EXPECT_EQ(TokenizeMask(ToCp1251(mask)), tokens);
    }
}

TEST(TokenizeMask, RefusesMalformedSets)
{
    // A lowercased mask (UTF-8), then the whole message.
    const std::pair<const char*, const char*> cases[] = {
        {"[аб", "Unclosed [ in the mask"},
        {"к[", "Unclosed [ in the mask"},
        {"[аб]*[", "Unclosed [ in the mask"},
        {"[]", "Empty [] in the mask"},
        {"[!]", "Empty [] in the mask"},
        {"к[ab]", "Empty [] in the mask"},
        {"[я-а]", "Reversed range in [] of the mask"},
        {"[!а-я-]", "No letter left by [!] in the mask"},
        {"[!а-я]", "No letter left by [!] in the mask"},  // е takes ё with it
    };
    for (const auto& [mask, message] : cases) {
        SCOPED_TRACE(mask);
        EXPECT_THAT([&] { TokenizeMask(ToCp1251(mask)); },
                    testing::ThrowsMessage<EMaskError>(testing::StrEq(message)));
    }
}

TEST(ExactMaskExpression, WritesSetsAsClassesWithoutRanges)
{
    // A lowercased mask (UTF-8), then its exact and its inexact expression.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"к@т", "^к[аеёиоуыэюя]т$", "^[-ьъ]*[-кг][-ьъ]*[аеёиоуыэюя][-ьъ]*[-тд][-ьъ]*$"},
        {"*#", "^.*[бвгджзйклмнпрстфхцчшщ]$", "^.*[бвгджзйклмнпрстфхцчшщ]$"},
        {"[кг]?", "^[гк].$", "^[гк].$"},
        {"[дя-]", "^[-дя]$", "^[-дя]$"},     // the hyphen first, where it needs no escape
        {"[жд-е]", "^[деёж]$", "^[деёж]$"},  // ё after е, not in byte order
        {"[!а-щьэ-я]", "^[ъы]$", "^[ъы]$"},
    };
    for (const auto& [mask, exact, inexact] : cases) {
        SCOPED_TRACE(mask);
        const std::vector<TMaskToken> tokens = TokenizeMask(ToCp1251(mask));
        EXPECT_EQ(ToUtf8(ExactMaskExpression(tokens)), exact);
        EXPECT_EQ(ToUtf8(InexactMaskExpression(tokens)), inexact);
    }
}

TEST(ReadExactMaskExpression, ReadsOnlyWhatTheExactWriterWrites)
{
    // An expression (UTF-8), then its tokens, or nothing when it is no mask's expression.
    const std::pair<const char*, std::optional<std::vector<TMaskToken>>> cases[] = {
        {"^.*янка$", std::vector{kRun, Letter("я"), Letter("н"), Letter("к"), Letter("а")}},
        {"^..*$", std::vector{kOne, kRun}},
        {"^.*.$", std::vector{kRun, kOne}},
        {"^-$", std::vector{kHyphen}},
        {"^[её]ж$", std::vector{kYeOrYo, Letter("ж")}},
        {"^еж$", std::vector{Letter("е"), Letter("ж")}},  // typed in the regexp row: only е
        {"^[ёе]ж$", std::nullopt},
        {"^к[аеёиоуыэюя]т$", std::vector{Letter("к"), Set("аеёиоуыэюя"), Letter("т")}},
        {"^[-гк]$", std::vector{Set("-гк")}},
        {"^[деёж]$", std::vector{Set("деёж")}},
        {"^[деж]$", std::vector{Set("деж")}},  // typed in the regexp row: only е
        {"^[дёж]$", std::vector{Set("дёж")}},  // from no mask, but spelt as the writer would
        {"^[дежё]$", std::nullopt},            // ё comes right after е
        {"^[кг]$", std::nullopt},              // letters in alphabetical order
        {"^[г-к]$", std::nullopt},             // no ranges
        {"^[гк-]$", std::nullopt},             // the hyphen first
        {"^[^гк]$", std::nullopt},
        {"^[гкz]$", std::nullopt},
        {"^[гк$", std::nullopt},
        {"^[]$", std::nullopt},
        {"^[о]$", std::nullopt},  // one letter is written as itself
        {"^[е]ж$", std::nullopt},
        {"^[ё]ж$", std::nullopt},
        {"^[её$", std::nullopt},
        {"^$", std::nullopt},  // the writer writes nothing for no tokens
        {"^*$", std::nullopt},
        {"^.+$", std::nullopt},
        {"^\\-$", std::nullopt},
        {"^[-]$", std::nullopt},  // the inexact writer's hyphen
        {"^я$$", std::nullopt},
        {"^я", std::nullopt},
        {"я$", std::nullopt},
        {"^Я$", std::nullopt},
        {"^ё$", std::nullopt},
        {"^z$", std::nullopt},
    };
    for (const auto& [expression, tokens] : cases) {
        SCOPED_TRACE(expression);
        EXPECT_EQ(ReadExactMaskExpression(ToCp1251(expression)), tokens);
    }
}

TEST(ReadExactMaskExpression, ReadsBackTheExpressionOfEveryShortMask)
{
    // Every mask of up to four signs from these, shortest first.
    const std::string signs = ToCp1251("аяе-*?z Ё.");
    std::vector<std::string> masks = {""};
    for (std::size_t first = 0; first < masks.size() && masks[first].size() < 4; ++first) {
        for (const char sign : signs) {
            masks.push_back(masks[first] + sign);
        }
    }
    ASSERT_EQ(masks.size(), 1u + 10u + 100u + 1000u + 10000u);
    for (const std::string& mask : masks) {
        SCOPED_TRACE(ToUtf8(mask));
        const std::vector<TMaskToken> tokens = TokenizeMask(mask);
        const std::string expression = ExactMaskExpression(tokens);
        if (tokens.empty()) {
            EXPECT_EQ(expression, "");
            EXPECT_EQ(InexactMaskExpression(tokens), "");
        } else {
            EXPECT_EQ(ReadExactMaskExpression(expression), tokens);
        }
    }
}

TEST(ReadExactMaskExpression, ReadsBackTheExpressionOfGeneratedMasksWithSets)
{
    const std::string pieces[] = {"@",    "#",     "[кг]", "[!аб]", "[а-е]", "[-я]", "[е-ж]",
                                  "[!е]", "[ая-]", "а",    "е",     "-",     "*",    "?"};
    std::mt19937 random(20261212);
    for (int round = 0; round < 500; ++round) {
        std::string mask;
        const int pieceCount = 1 + static_cast<int>(random() % 5);
        for (int i = 0; i < pieceCount; ++i) {
            mask += pieces[random() % std::size(pieces)];
        }
        SCOPED_TRACE(mask);
        const std::vector<TMaskToken> tokens = TokenizeMask(ToCp1251(mask));
        EXPECT_EQ(ReadExactMaskExpression(ExactMaskExpression(tokens)), tokens);
    }
}

}  // namespace
