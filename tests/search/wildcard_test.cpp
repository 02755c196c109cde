// Tests of the wildcard that stands in for the engine on the masks' expressions.

#include "search/wildcard.h"

#include <iterator>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "search/query.h"
#include "search/regexpr.h"
#include "wordstore/encoding.h"

namespace {

std::optional<TWildcard> FromUtf8(const char* expression, const char* modifiers = "")
{
    return TWildcard::FromExpression(ToCp1251(expression), modifiers);
}

// Whether the wildcard of expression stands in for the engine, and matches as the engine does
// on 50 random words of fewer than maxLength of the letters, both with the modifier letters.
void ExpectAgreesWithTheEngine(const std::string& expression, const std::string& letters,
                               unsigned maxLength, std::mt19937& random,
                               const std::string& modifiers = "")
{
    const std::optional<TWildcard> wildcard = TWildcard::FromExpression(expression, modifiers);
    ASSERT_TRUE(wildcard.has_value());
    TRegExpr engine;
    engine.SetModifierStr(modifiers);
    engine.SetExpression(expression);
    for (int k = 0; k < 50; ++k) {
        std::string word;
        const unsigned wordLength = random() % maxLength;
        for (unsigned i = 0; i < wordLength; ++i) {
            word.push_back(letters[random() % letters.size()]);
        }
        SCOPED_TRACE(ToUtf8(word));
        const bool matches = engine.Exec(word);
        EXPECT_EQ(wildcard->Matches(word), matches);
        // A walk turns away every word its tail filter does not pass, unseen by the wildcard.
        if (matches) {
            EXPECT_TRUE(wildcard->TailFilter().Passes(word));
        }
    }
}

// "^", one to five of the pieces drawn at random, "$".
std::string RandomExpression(std::span<const std::string> pieces, std::mt19937& random)
{
    std::string expression = "^";
    const int pieceCount = 1 + static_cast<int>(random() % 5);
    for (int i = 0; i < pieceCount; ++i) {
        expression += pieces[random() % pieces.size()];
    }
    return expression + "$";
}

TEST(TWildcard, TakesOnlyWhatTheMaskRowsSend)
{
    // An expression and its modifier letters, then whether a wildcard stands in for the engine.
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"^.*янка$", "", true},
        {"^к.т$", "", true},
        {"^.о-.$", "", true},
        {"^.*.*$", "", true},
        {"^.*янка$", "i", false},  // caseless: capitals match too, so the engine
        {"^.*янка$", "I", false},
        {"^.*янка$", "gi-r", false},
        {"^.*янка$", "s-mi", true},  // "-" switches off every letter after it
        {"^.*янка$", "q", false},    // a bad letter: the engine reports it
        {"^.*янка$", "s ", false},
        // The other letters change nothing that such an expression meets in a word.
        {"^.*янка$", "s", true},
        {"^.*янка$", "-s", true},
        {"^.*янка$", "rsgmx", true},
        {"^.*янка$", "-rsgmx", true},
        {"^.*янка$", "-i", true},
        {"^.*янка$", "i-i", true},
        {"^.*янка$", "SmX", true},
        {"янка$", "", false},    // not anchored at the start
        {"^.*янка", "", false},  // nor at the end
        {"^к[о]т$", "", false},
        {"^к+т$", "", false},
        {"^kot$", "", false},   // Latin letters never come from a mask
        {"^Кот$", "", false},   // nor capitals
        {"^ёж$", "", false},    // nor ё
        {"^[её]ж$", "", true},  // but a mask's е, which also takes ё
        {"^еж$", "", true},     // and е as typed, which does not
        {"^[ёе]ж$", "", false},
        {"^к[аеёиоуыэюя]т$", "", true},  // a mask's set
        {"^[-гк].*$", "-smgxr", true},
        {"^[-гк].*$", "i", false},
        {"^[кг].*$", "", false},  // a class spelt otherwise goes to the engine
        {"^[г-к]$", "", false},
        {"^[^гк]$", "", false},
        {"^[гк]]$", "", false},
        {"^$", "", false},
        {"", "", false},
    };
    for (const auto& [expression, modifiers, taken] : cases) {
        SCOPED_TRACE(std::string(expression) + " / " + modifiers);
        EXPECT_EQ(FromUtf8(expression, modifiers).has_value(), taken);
    }
}

TEST(TWildcard, MatchesWholeWords)
{
    // An expression, a word, then whether the word matches.
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"^.*янка$", "полянка", true},
        {"^.*янка$", "янка", true},
        {"^.*янка$", "янки", false},
        {"^.*янка$", "нка", false},
        {"^к.т$", "кот", true},
        {"^к.т$", "кит", true},
        {"^к.т$", "крот", false},
        {"^к.т$", "кт", false},
        {"^.*а.*б.*$", "вабв", true},
        {"^.*а.*б.*$", "ба", false},
        {"^.*ана.*на$", "бана", false},  // the parts may not overlap
        {"^.*ана.*на$", "банана", true},
        {"^по-.*$", "по-моему", true},
        {"^по-.*$", "помоему", false},
        {"^.*$", "", true},
        {"^.$", "", false},
        // A mask's е missed the ё that words keep; е typed in the regexp row still means only е.
        {"^[её]ж$", "ёж", true},
        {"^[её]ж$", "еж", true},
        {"^[её]ж$", "эж", false},
        {"^еж$", "ёж", false},
        {"^.*[её]т$", "идёт", true},
        {"^.*[её].*[её]$", "ёлке", true},
        {"^.*[её].*[её]$", "ёлка", false},
        {"^к[аеёиоуыэюя]т$", "кот", true},
        {"^к[аеёиоуыэюя]т$", "кёт", true},
        {"^к[аеёиоуыэюя]т$", "крт", false},
        {"^к[аеёиоуыэюя]т$", "кот-", false},
        {"^.*[-гк]а$", "рука", true},
        {"^.*[-гк]а$", "ну-а", true},
        {"^.*[-гк]а$", "ка", true},
        {"^.*[-гк]а$", "а", false},
        {"^.*[-гк]а$", "мама", false},
        {"^[гк].*[её].*[аеёиоуыэюя]$", "книга", false},
        {"^[гк].*[её].*[аеёиоуыэюя]$", "клёна", true},
    };
    for (const auto& [expression, word, matches] : cases) {
        SCOPED_TRACE(std::string(expression) + " ~ " + word);
        const std::optional<TWildcard> wildcard = FromUtf8(expression);
        ASSERT_TRUE(wildcard.has_value());
        EXPECT_EQ(wildcard->Matches(ToCp1251(word)), matches);
    }
}

TEST(TWildcard, AgreesWithTheEngineOnGeneratedMasksAndWords)
{
    // Words hold ё, which no mask holds after lowercasing.
    const std::string letters = ToCp1251("ано-её");
    const std::string maskSigns = ToCp1251("ано-е*?");
    std::mt19937 random(20261208);
    for (int round = 0; round < 300; ++round) {
        std::string mask;
        const int maskLength = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < maskLength; ++i) {
            mask.push_back(maskSigns[random() % maskSigns.size()]);
        }
        const std::string pattern = MaskToPattern(mask);
        ASSERT_FALSE(pattern.empty());
        const std::string expression = pattern.substr(1, pattern.size() - 2);
        SCOPED_TRACE(ToUtf8(expression));
        ExpectAgreesWithTheEngine(expression, letters, 9, random);
    }
}

TEST(TWildcard, AgreesWithTheEngineOnMasksOfOnePartWithAStarAtOneEndOrNone)
{
    // "*part", "part*" and "part", with words made from the part itself: its "?" filled, its е
    // written е or ё, then maybe a byte changed and bytes added at either end, so that many
    // words match and the others miss by one byte or by their length.
    const std::string letters = ToCp1251("ано-её");
    const std::string partSigns = ToCp1251("ано-е?");
    std::mt19937 random(20261209);
    int matched = 0;
    int missed = 0;
    for (int round = 0; round < 600; ++round) {
        std::string part;
        const int partLength = 1 + static_cast<int>(random() % 5);
        for (int i = 0; i < partLength; ++i) {
            part.push_back(partSigns[random() % partSigns.size()]);
        }
        const std::string masks[] = {"*" + part, part + "*", part};
        const std::string& mask = masks[round % 3];
        const std::string pattern = MaskToPattern(mask);
        const std::string expression = pattern.substr(1, pattern.size() - 2);
        SCOPED_TRACE(ToUtf8(mask) + " -> " + ToUtf8(expression));
        const std::optional<TWildcard> wildcard = TWildcard::FromExpression(expression, "");
        ASSERT_TRUE(wildcard.has_value());
        TRegExpr engine;
        engine.SetExpression(expression);
        for (int k = 0; k < 40; ++k) {
            std::string word;
            for (const char sign : part) {
                const bool anyByte = sign == '?';
                const bool ye = sign == ToCp1251("е")[0];
                word.push_back(anyByte ? letters[random() % letters.size()]
                               : ye    ? ToCp1251(random() % 2 == 0 ? "е" : "ё")[0]
                                       : sign);
            }
            if (random() % 3 == 0) {
                word[random() % word.size()] = letters[random() % letters.size()];
            }
            word.insert(0, random() % 3, letters[random() % letters.size()]);
            word.append(random() % 3, letters[random() % letters.size()]);
            SCOPED_TRACE(ToUtf8(word));
            const bool engineMatches = engine.Exec(word);
            EXPECT_EQ(wildcard->Matches(word), engineMatches);
            ++(engineMatches ? matched : missed);
        }
    }
    // Both answers come often enough for the comparison to tell a matcher that gives either.
    EXPECT_GT(matched, 3000);
    EXPECT_GT(missed, 3000);
}

TEST(TWildcard, AgreesWithTheEngineOnGeneratedMasksWithSets)
{
    // Words hold ё and hyphens, which sets take or leave, and a letter no set names.
    const std::string letters = ToCp1251("абвеёяэ-");
    const std::string pieces[] = {"@",    "#",    "[ав]",   "[!ав]", "[а-е]", "[-я]",
                                  "[!е]", "[эя]", "[в-е-]", "[!э]",  "а",     "е",
                                  "-",    "*",    "?",      "в"};
    std::mt19937 random(20261213);
    for (int round = 0; round < 400; ++round) {
        std::string mask;
        const int pieceCount = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < pieceCount; ++i) {
            mask += pieces[random() % std::size(pieces)];
        }
        const std::string pattern = MaskToPattern(ToCp1251(mask));
        ASSERT_FALSE(pattern.empty());
        const std::string expression = pattern.substr(1, pattern.size() - 2);
        SCOPED_TRACE(mask + " -> " + ToUtf8(expression));
        ExpectAgreesWithTheEngine(expression, letters, 9, random);
    }
}

TEST(TWildcard, AgreesWithTheEngineOnExpressionsWithLiteralAndFoldedYe)
{
    // Expressions as either row may send them: е as typed in the regexp row, [её] from a mask.
    const std::string pieces[] = {ToCp1251("е"), ToCp1251("[её]"), ToCp1251("а"), "-", ".*", "."};
    const std::string letters = ToCp1251("аеё-");
    std::mt19937 random(20261211);
    for (int round = 0; round < 300; ++round) {
        const std::string expression = RandomExpression(pieces, random);
        SCOPED_TRACE(ToUtf8(expression));
        ExpectAgreesWithTheEngine(expression, letters, 7, random);
    }
}

TEST(TWildcard, AgreesWithTheEngineUnderEveryModifierItIsTakenWith)
{
    // Capitals and blanks in the words would tell i and x apart; no line breaks, as in words.
    const std::string letters = ToCp1251("аяАЯ-ё ");
    const std::string pieces[] = {
        ToCp1251("я"), ToCp1251("[её]"), ToCp1251("[-ая]"), "-", ".*", "."};
    const char* const modifierSets[] = {"",   "s", "-s", "m",  "-m",   "g",      "-g", "x",
                                        "-x", "r", "-r", "-i", "smgx", "-smgxr", "i-i"};
    std::mt19937 random(20261209);
    for (const char* modifiers : modifierSets) {
        for (int round = 0; round < 60; ++round) {
            const std::string expression = RandomExpression(pieces, random);
            SCOPED_TRACE(ToUtf8(expression) + " / " + modifiers);
            ExpectAgreesWithTheEngine(expression, letters, 7, random, modifiers);
        }
    }
}

}  // namespace
