// Tests of the expression rewriter: the modifier letters, the text PCRE2 is given for a typed
// expression, and the positions it maps back to.

#include "search/expression_rewriter.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wordstore/encoding.h"

namespace {

// The text PCRE2 compiles for expression under the modifier letters (both UTF-8), as UTF-8.
std::string Rewritten(const char* expression, const char* letters)
{
    const std::optional<TRegExprModifiers> modifiers = ApplyModifierLetters({}, letters);
    EXPECT_TRUE(modifiers.has_value());
    return ToUtf8(
        RewriteExpression(ToCp1251(expression), modifiers.value_or(TRegExprModifiers{})).Text);
}

TEST(RewriteExpression, WidensRussianRangesUnderRAndLeavesTheRest)
{
    // Expression, modifier letters, the text PCRE2 compiles.
    const struct
    {
        const char* Expression;
        const char* Modifiers;
        const char* Text;
    } cases[] = {
        {"^[а-я]$", "", "^[ёа-я]$"},
        {"^[а-я]$", "-r", "^[а-я]$"},
        {"^[а-я]$", "R", "^[ёа-я]$"},
        {"[А-Я]", "", "[ЁА-Я]"},
        {"[А-Я]", "-R", "[А-Я]"},
        {"[А-я]", "", "[ЁёА-я]"},  // spans both alphabets
        {"[А-Яа-я]", "", "[ЁА-Яёа-я]"},
        {"[а-Я]", "", "[ЁёА-Яа-я]"},  // all 66 letters
        {"[а-Я]", "-r", "[а-Я]"},     // left for PCRE2 to refuse
        {"[б-я]", "", "[б-я]"},       // not the whole alphabet: no ё
        {"[а-ю]", "", "[а-ю]"},
        {"[я-а]", "", "[я-а]"},
        {"[^а-я]", "", "[^ёа-я]"},
        {"[]а-я]", "", "[]ёа-я]"},      // a leading "]" is a literal
        {"[а-я-z]", "", "[ёа-я-z]"},    // ё goes in front, where no "-" can join it
        {"[а-]", "", "[а-]"},           // a "-" before "]" makes no range
        {"[а-\\w]", "", "[а-\\w]"},     // a range up to a class escape: PCRE2 reports it
        {"а-я", "", "а-я"},             // no class, no range
        {"\\[а-я]", "", "\\[а-я]"},     // an escaped "[" opens no class
        {"[\\]а-я]", "", "[\\]ёа-я]"},  // an escaped "]" does not close one
        {"[\\xE0-\\xFF]", "", "[ё\\xE0-\\xFF]"},
        {"[\\x{e0}-\\x{ff}]", "", "[ё\\x{e0}-\\x{ff}]"},
        {"[\\340-\\377]", "", "[ё\\340-\\377]"},
        {"[\\xC0-\\xDF]", "", "[Ё\\xC0-\\xDF]"},
        {"[\\x{100}-я]", "", "[\\x{100}-я]"},  // no byte: nothing to widen
        {"\\Q[а-я]\\E[а-я]", "", "\\Q[а-я]\\E[ёа-я]"},
        {"[\\Qа-я\\E]", "", "[\\Qа-я\\E]"},  // quoted: three characters, no range
        {"(?#[а-я])[а-я]", "", "(?#[а-я])[ёа-я]"},
        {"#[а-я]\n[а-я]", "x", "#[а-я]\n[ёа-я]"},
        {"#[а-я]\n[а-я]", "", "#[ёа-я]\n[ёа-я]"},  // "#" is no comment without x
        {"[[:alpha:]-я]", "", "[[:alpha:]-я]"},
        {"[[:ascii:]]", "", "[\\x00-\\x7F]"},
        {"[[:^ascii:]]", "-r", "[\\x80-\\xFF]"},
        {"[^[:ascii:]ё]", "", "[^\\x00-\\x7Fё]"},
        {"[:ascii:]", "", "[:ascii:]"},  // a class of ":", "a", "s"... not a POSIX class
        {"ёЁ.*", "imsgx", "ёЁ.*"},       // the other letters change no text
        {"[а-я]", "imsgx", "[ёа-я]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Expression) + " / " + c.Modifiers);
        EXPECT_EQ(Rewritten(c.Expression, c.Modifiers), c.Text);
    }
}

TEST(RewriteExpression, MapsEveryByteToWhereTheUserTypedIt)
{
    // Expression (UTF-8), then for each byte of the text PCRE2 gets, and for its end, the byte
    // position in the typed expression. Inserted bytes take the position of what they stand in for.
    const std::pair<const char*, std::vector<std::size_t>> cases[] = {
        {"к[а-я]", {0, 1, 2, 2, 3, 4, 5, 6}},
        {"[а-Я]", {0, 1, 1, 1, 1, 1, 1, 1, 1, 4, 5}},
        {"[[:ascii:]]я", {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 10, 11, 12}},
        {"", {0}},
    };
    for (const auto& [expression, positions] : cases) {
        SCOPED_TRACE(expression);
        const TPcreExpression pcre = RewriteExpression(ToCp1251(expression), {});
        EXPECT_EQ(pcre.SourcePos, positions);
        EXPECT_EQ(pcre.SourcePos.size(), pcre.Text.size() + 1);
    }
}

TEST(ApplyModifierLetters, SwitchesLettersOnThenOffAfterAHyphen)
{
    // Letters, then the modifiers they give from the start values, or nothing when refused.
    const std::pair<const char*, std::optional<TRegExprModifiers>> cases[] = {
        {"", TRegExprModifiers{}},
        {"-", TRegExprModifiers{}},
        {"i", TRegExprModifiers{.CaseInsensitive = true}},
        {"M", TRegExprModifiers{.MultiLine = true}},
        {"-r", TRegExprModifiers{.RussianRanges = false}},
        {"X-sG", TRegExprModifiers{.DotAll = false, .Greedy = false, .Extended = true}},
        {"i-i", TRegExprModifiers{}},
        {"-ri", TRegExprModifiers{.RussianRanges = false}},  // i was off already
        {"im-rsgx", TRegExprModifiers{.CaseInsensitive = true,
                                      .RussianRanges = false,
                                      .DotAll = false,
                                      .Greedy = false,
                                      .MultiLine = true}},
        {"q", std::nullopt},
        {"i-q", std::nullopt},
        {"i+s", std::nullopt},
        {" i", std::nullopt},
    };
    for (const auto& [letters, modifiers] : cases) {
        SCOPED_TRACE(letters);
        EXPECT_EQ(ApplyModifierLetters({}, letters), modifiers);
    }
}

TEST(ApplyModifierLetters, StartsFromTheGivenModifiers)
{
    const TRegExprModifiers current{.CaseInsensitive = true, .RussianRanges = false};
    EXPECT_EQ(
        ApplyModifierLetters(current, "m"),
        (TRegExprModifiers{.CaseInsensitive = true, .RussianRanges = false, .MultiLine = true}));
    EXPECT_EQ(ApplyModifierLetters(current, "r-i"), TRegExprModifiers{});
    EXPECT_EQ(ApplyModifierLetters(current, "sq"), std::nullopt);
}

}  // namespace
