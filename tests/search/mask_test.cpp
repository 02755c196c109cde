// Tests of the mask language: reading masks into tokens, and the exact expression read back.

#include "search/mask.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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
        {"№«.+[]", {}},  // and the signs of regular expressions
        {"", {}},
    };
    for (const auto& [mask, tokens] : cases) {
        SCOPED_TRACE(mask);
        EXPECT_EQ(TokenizeMask(ToCp1251(mask)), tokens);
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
        {"^[е]ж$", std::nullopt},
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

}  // namespace
