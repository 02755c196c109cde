// Tests of the regular-expression engine: Windows-1251 case folding and classes, the modifier
// letters, the Russian ranges and the messages of compile and match errors.

#include "search/regexpr.h"

#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "wordstore/encoding.h"

namespace {

using ::testing::Eq;
using ::testing::ThrowsMessage;

// An expression, its modifier string, a word (all UTF-8) and whether the word matches.
struct TMatchCase
{
    const char* Expression;
    const char* Modifiers;
    const char* Word;
    bool Expected;
};

bool Matches(const TMatchCase& test, bool useJit)
{
    TRegExpr engine;
    engine.UseJit(useJit);
    engine.SetModifierStr(ToCp1251(test.Modifiers));
    engine.SetExpression(ToCp1251(test.Expression));
    return engine.Exec(ToCp1251(test.Word));
}

// Every case must give the same answer with and without the JIT.
template <std::size_t N>
void ExpectMatches(const TMatchCase (&cases)[N])
{
    for (const bool useJit : {true, false}) {
        for (const TMatchCase& test : cases) {
            SCOPED_TRACE(std::string("/") + test.Expression + "/" + test.Modifiers + " on \"" +
                         test.Word + (useJit ? "\" with JIT" : "\" without JIT"));
            EXPECT_EQ(Matches(test, useJit), test.Expected);
        }
    }
}

// The error message of compiling expression under modifiers (UTF-8), or "" when it compiles.
std::string CompileError(const char* expression, const char* modifiers)
{
    TRegExpr engine;
    engine.SetModifierStr(ToCp1251(modifiers));
    engine.SetExpression(ToCp1251(expression));
    try {
        engine.Exec("");
    } catch (const ERegExprError& error) {
        return error.what();
    }
    return "";
}

TEST(TRegExpr, CaseInsensitiveModifierFoldsCyrillicAndLatin)
{
    const TMatchCase cases[] = {
        {"кот", "i", "КОТ", true},
        {"КОТ", "i", "кот", true},
        {"кот", "", "КОТ", false},
        {"кот", "I", "КоТ", true},
        {"ёж", "i", "ЁЖ", true},
        {"Ёж", "i", "ёж", true},
        {"ёж", "", "Ёж", false},
        {"е", "i", "Ё", false},  // Ё is a letter of its own, not a
                                 // capital Е
        {"^[б-г]+$", "i", "БВГ", true},
        {"^[Б-Г]$", "i", "в", true},
        {"cat", "i", "CaT", true},
        {"cat", "i", "сat", false},  // a Cyrillic с is no Latin c
        {"«", "i", "»", false},
        {"^котik$", "i", "КОТIK", true},
        {"кря", "i", "КРЯ", true},  // я (0xFF) is the last byte of the code page
        {"я+", "i", "ЯяЯ", true},
        {"Я", "i", "моя", true},
    };
    ExpectMatches(cases);
}

TEST(TRegExpr, CaseInsensitiveModifierFoldsEveryLetterOfTheCodePage)
{
    // Capital and small letter of each pair, written as Unicode text.
    const std::pair<const char*, const char*> pairs[] = {
        {"Ђ", "ђ"}, {"Ѓ", "ѓ"}, {"Љ", "љ"}, {"Њ", "њ"}, {"Ќ", "ќ"}, {"Ћ", "ћ"},
        {"Џ", "џ"}, {"Ў", "ў"}, {"Ј", "ј"}, {"Ґ", "ґ"}, {"Ё", "ё"}, {"Є", "є"},
        {"Ї", "ї"}, {"І", "і"}, {"Ѕ", "ѕ"}, {"А", "а"}, {"Я", "я"}, {"Ж", "ж"},
    };
    for (const auto& [capital, small] : pairs) {
        for (const bool useJit : {true, false}) {
            SCOPED_TRACE(std::string(capital) + small + (useJit ? " with JIT" : " without JIT"));
            EXPECT_TRUE(Matches({small, "i", capital, true}, useJit));
            EXPECT_TRUE(Matches({capital, "i", small, true}, useJit));
            EXPECT_FALSE(Matches({small, "", capital, false}, useJit));
            EXPECT_FALSE(Matches({capital, "", small, false}, useJit));
        }
    }
}

TEST(TRegExpr, ClassesKnowTheCyrillicLetters)
{
    const TMatchCase cases[] = {
        {"^\\w+$", "", "ЁжикЇї", true},
        {"^\\w$", "", "«", false},
        {"^\\W$", "", "№", true},
        {"^\\d$", "", "я", false},
        {"^\\d$", "", "7", true},
        {"^\\s$", "", "я", false},
        {"^\\s$", "", "\t", true},
        {"^\\s$", "", "\u00A0", false},  // the no-break space is no blank for \s
        {"^[[:alpha:]]+$", "", "ёЖиК", true},
        {"^[[:alpha:]]$", "", "5", false},
        {"^[[:alpha:]]$", "", "—", false},
        {"^[[:upper:]]$", "", "Ж", true},
        {"^[[:upper:]]$", "", "ж", false},
        {"^[[:lower:]]$", "", "ё", true},
        {"^[[:lower:]]$", "", "Ё", false},
        {"^[[:alnum:]]+$", "", "Ёж7", true},
        {"^[[:punct:]]+$", "", "«№»—", true},
        {"^[[:punct:]]$", "", "ж", false},
        {"^[[:print:]]$", "", "\u00A0", true},
        {"^[[:ascii:]]+$", "", "z~", true},
        {"^[[:ascii:]]$", "", "ж", false},
        {"^[[:^ascii:]]$", "", "ж", true},
        {"^[[:^ascii:]]$", "", "z", false},
        {"^[^[:ascii:]]$", "", "«", true},
        {"\\bкот\\b", "", "кот-пёс", true},
        {"\\bкот\\b", "", "котик", false},
        {"^[a-zа-я]+$", "", "ёжikи", true},
        {"^[\\w-]+$", "", "Moscow-Москва", true},
        {"^\\w+$", "", "Moscow-Москва", false},
    };
    ExpectMatches(cases);
}

TEST(TRegExpr, RussianRangesTakeYo)
{
    const TMatchCase cases[] = {
        {"^[а-я]$", "", "ё", true},
        {"^[а-я]$", "-r", "ё", false},
        {"^[а-я]$", "", "Ё", false},
        {"^[А-Я]$", "", "Ё", true},
        {"^[А-Я]$", "-r", "Ё", false},
        {"^[А-Я]$", "", "ё", false},
        {"^[а-я]$", "i", "Ё", true},
        {"^[^а-я]$", "", "ё", false},
        {"^[а-я]+$", "", "ёлка", true},
        {"^[б-я]$", "", "ё", false},         // only a range over the whole alphabet
        {"^[А-я]$", "", "ё", true},          // all of А..я: both
        {"^[А-я]$", "", "Ё", true},          //
        {"^[\\xE0-\\xFF]$", "", "ё", true},  // а-я written as escapes
        {"^[а-я-z]$", "", "-", true},        // the hyphen after a range stays a literal
        {"^[а-я-z]$", "", "z", true},
        {"^[а-я-z]$", "", "Ђ", false},
        {"^\\Q[а-я]\\E$", "", "[а-я]", true},  // quoted text is no class
        {"# \\Q\n^[а-я]$", "x", "ё", true},    // a comment quotes nothing
        {"(?#\\Q)^[а-я]$", "", "ё", true},
        {"^[\\Qа-я\\E]$", "", "-", true},  // quoted text inside a class: three characters
        {"^[\\Qа-я\\E]$", "", "ё", false},
        {"^[а-Я]$", "", "a", false},
        {"^[а-Я]$", "", "ђ", false},
        {"^[а-Я]$", "", "ї", false},
    };
    ExpectMatches(cases);
}

TEST(TRegExpr, RussianRangeSmallAToCapitalYaTakesAll66Letters)
{
    const std::string letters[] = {
        "а", "б", "в", "г", "д", "е", "ё", "ж", "з", "и", "й", "к", "л", "м", "н", "о", "п",
        "р", "с", "т", "у", "ф", "х", "ц", "ч", "ш", "щ", "ъ", "ы", "ь", "э", "ю", "я", "А",
        "Б", "В", "Г", "Д", "Е", "Ё", "Ж", "З", "И", "Й", "К", "Л", "М", "Н", "О", "П", "Р",
        "С", "Т", "У", "Ф", "Х", "Ц", "Ч", "Ш", "Щ", "Ъ", "Ы", "Ь", "Э", "Ю", "Я",
    };
    ASSERT_EQ(std::size(letters), 66u);
    TRegExpr engine;
    engine.SetExpression(ToCp1251("^[а-Я]$"));
    for (const std::string& letter : letters) {
        SCOPED_TRACE(letter);
        EXPECT_TRUE(engine.Exec(ToCp1251(letter)));
    }
}

TEST(TRegExpr, ModifiersChangeDotLineAnchorsBlanksAndGreed)
{
    const TMatchCase cases[] = {
        {"^к.т$", "", "к\nт", true},
        {"^к.т$", "-s", "к\nт", false},
        {"^к.т$", "-S", "к\rт", false},
        {"^кот$", "", "пёс\nкот", false},
        {"^кот$", "m", "пёс\nкот", true},
        {"^кот$", "M", "пёс\r\nкот", true},
        {"к о т", "", "кот", false},
        {"к о т", "x", "кот", true},
        // An atomic group keeps what its repetition took first: all of the word when greedy,
        // nothing when not.
        {"^(?>.*)$", "", "кот", true},
        {"^(?>.*)$", "-g", "кот", false},
        {"^(?>.*)$", "-G", "кот", false},
        {"^(?>.*)$", "i-gs", "кот", false},
        {"^(?>.*)$", "-gg", "кот", false},
        {"^(?>.*)$", "-gG", "", true},
    };
    ExpectMatches(cases);
}

TEST(TRegExpr, ModifiersApplyOnTopOfTheCurrentOnes)
{
    TRegExpr engine;
    engine.SetExpression(ToCp1251("^к.т$"));
    engine.SetModifierStr("i");
    EXPECT_TRUE(engine.Exec(ToCp1251("КОТ")));
    engine.SetModifierStr("-s");  // i stays on
    EXPECT_TRUE(engine.Exec(ToCp1251("КОТ")));
    EXPECT_FALSE(engine.Exec(ToCp1251("к\nт")));
    engine.SetModifierStr("s-i");
    EXPECT_FALSE(engine.Exec(ToCp1251("КОТ")));
    EXPECT_TRUE(engine.Exec(ToCp1251("к\nт")));
}

TEST(TRegExpr, UnknownModifierIsRefusedAndChangesNothing)
{
    for (const char* modifiers : {"q", "кот", "i-q", "i+s", " i", "sq"}) {
        SCOPED_TRACE(modifiers);
        TRegExpr engine;
        engine.SetExpression(ToCp1251("^к.т$"));
        EXPECT_THAT([&] { engine.SetModifierStr(ToCp1251(modifiers)); },
                    ThrowsMessage<ERegExprError>(Eq("Unknown error")));
        EXPECT_FALSE(engine.Exec(ToCp1251("КОТ")));  // i not taken
        EXPECT_TRUE(engine.Exec(ToCp1251("к\nт")));  // s still on
    }
}

TEST(TRegExpr, EmptyExpressionFailsAtExec)
{
    TRegExpr engine;
    EXPECT_THAT(
        [&] { engine.Exec("word"); },
        ThrowsMessage<ERegExprError>(Eq("TRegExpr(exec): Not Assigned Expression Property")));
    engine.SetExpression("a");
    EXPECT_TRUE(engine.Exec("a"));
    engine.SetExpression("");
    EXPECT_THAT(
        [&] { engine.Exec("a"); },
        ThrowsMessage<ERegExprError>(Eq("TRegExpr(exec): Not Assigned Expression Property")));
}

TEST(TRegExpr, CompileErrorsNamePositionInTheUsersExpression)
{
    // Expression, modifiers, the whole message. Positions count Windows-1251 bytes.
    const char* const cases[][3] = {
        {"[я-а]", "", "TRegExpr(comp): Invalid [] Range (pos 3)"},
        {"[а-Я]", "-r", "TRegExpr(comp): Invalid [] Range (pos 3)"},
        {"^[а-Я]$", "-r", "TRegExpr(comp): Invalid [] Range (pos 4)"},
        {"[а-я][я-а]", "", "TRegExpr(comp): Invalid [] Range (pos 8)"},  // after a rewrite
        {"[а-Я][я-а]", "", "TRegExpr(comp): Invalid [] Range (pos 8)"},  // after a rewrite
        {"[[:alpha:]-я]", "", "TRegExpr(comp): Invalid [] Range (pos 10)"},
        {"ко[тд", "", "TRegExpr(comp): Unmatched [] (pos 5)"},
        {"[а-я]ко[тд", "", "TRegExpr(comp): Unmatched [] (pos 10)"},
        {"[]", "", "TRegExpr(comp): Unmatched [] (pos 2)"},
        {"(ко", "", "TRegExpr(comp): ParseReg Unmatched () (pos 3)"},
        {"ко)", "", "TRegExpr(comp): ParseReg Unmatched () (pos 2)"},
        {"((ко)", "", "TRegExpr(comp): ParseReg Unmatched () (pos 5)"},
        {"к{2,1}", "", "TRegExpr(comp): numbers out of order in {} quantifier (pos 5)"},
        {"к**", "", "TRegExpr(comp): quantifier does not follow a repeatable item (pos 2)"},
    };
    for (const auto& [expression, modifiers, message] : cases) {
        SCOPED_TRACE(expression);
        EXPECT_EQ(CompileError(expression, modifiers), message);
    }
}

TEST(TRegExpr, ExecStartsWithAMessageWhenCompilingFails)
{
    TRegExpr engine;
    engine.SetExpression(ToCp1251("ко[тд"));
    EXPECT_THAT(
        [&] { engine.Exec(ToCp1251("кот")); },
        ThrowsMessage<ERegExprError>(::testing::StartsWith("TRegExpr(comp): Unmatched [] (pos ")));
    engine.SetExpression(ToCp1251("ко[тд]"));
    EXPECT_TRUE(engine.Exec(ToCp1251("кот")));
}

TEST(TRegExpr, RunawayBacktrackingEndsWithAnError)
{
    for (const bool useJit : {true, false}) {
        SCOPED_TRACE(useJit ? "with JIT" : "without JIT");
        TRegExpr engine;
        engine.UseJit(useJit);
        engine.SetExpression("^(a+)+$");
        EXPECT_TRUE(engine.Exec("aaaa"));
        EXPECT_THAT([&] { engine.Exec(std::string(32, 'a') + "b"); },
                    ThrowsMessage<ERegExprError>(Eq("TRegExpr(exec): match limit exceeded")));
    }
}

TEST(TRegExpr, WatchedMatchOfALongSubjectAnswersAsBeforeAndEndsWhenTheWatchThrows)
{
    const std::string even(200, 'a');
    const std::string odd = even + "a";
    const std::string capitalYa = even + "Я";
    const TMatchCase cases[] = {
        {"^(.*)\\1$", "", even.c_str(), true},
        {"^(.*)\\1$", "", odd.c_str(), false},
        {"я$", "i", capitalYa.c_str(), true},  // the code page's last byte, caseless
    };
    int calls = 0;
    auto count = [&calls] { ++calls; };
    auto stop = [] { throw std::out_of_range("stop"); };
    for (const bool useJit : {true, false}) {
        for (const TMatchCase& test : cases) {
            SCOPED_TRACE(std::string(test.Expression) + (useJit ? " with JIT" : " without JIT"));
            TRegExpr engine;
            engine.UseJit(useJit);
            engine.SetModifierStr(test.Modifiers);
            engine.SetExpression(ToCp1251(test.Expression));
            const std::string word = ToCp1251(test.Word);
            EXPECT_THROW(engine.Exec(word, TMatchWatch(stop)), std::out_of_range);
            EXPECT_EQ(engine.Exec(word, TMatchWatch(count)), test.Expected);
        }
    }
    EXPECT_GT(calls, 0);
}

TEST(TRegExpr, NewExpressionOrModifiersReplaceTheCompiledOne)
{
    TRegExpr engine;
    engine.SetExpression(ToCp1251("кот"));
    EXPECT_TRUE(engine.Exec(ToCp1251("котик")));
    EXPECT_FALSE(engine.Exec(ToCp1251("КОТИК")));
    engine.SetModifierStr("i");
    EXPECT_TRUE(engine.Exec(ToCp1251("КОТИК")));
    engine.SetExpression(ToCp1251("пёс"));
    EXPECT_FALSE(engine.Exec(ToCp1251("котик")));
    EXPECT_TRUE(engine.Exec(ToCp1251("ПЁС")));
}

TEST(TRegExpr, SubjectIsExactlyTheBytesOfTheView)
{
    TRegExpr engine;
    engine.SetExpression(ToCp1251("^кот$"));
    const std::string buffer = ToCp1251("котик");
    EXPECT_TRUE(engine.Exec(std::string_view(buffer).substr(0, 3)));
    EXPECT_FALSE(engine.Exec(buffer));
    engine.SetExpression("^a.b$");
    EXPECT_TRUE(engine.Exec(std::string_view("a\0b", 3)));
    engine.SetExpression("^$");
    EXPECT_TRUE(engine.Exec(std::string_view()));
    engine.SetExpression("a");
    EXPECT_FALSE(engine.Exec(std::string_view()));
}

}  // namespace

// Words whose first byte cannot start a match of an anchored expression are turned away before
// the engine is called; (*NO_START_OPT) asks the engine to try every word itself. Both must agree
// on every word, with and without the case modifier, whatever starts the expression.
TEST(TRegExpr, TurningWordsAwayByTheirFirstByteChangesNoAnswer)
{
    const char* const starts[] = {"к",   "К",     "ё",           "[а-в]", "[^а]", "\\d",
                                  "\\w", ".",     "(?:кот|Дом)", "(?i)д", "x",    "(?:к|)",
                                  "к?",  "\\s*к", "(?:\\d|ё)",   "(?=к)", "\\bк", "[[:upper:]]"};
    const char* const tails[] = {"", ".*", "о+т$", "$"};
    const std::string alphabet = ToCp1251("кКдДоЁёт1x ");
    std::mt19937 random(20261209);
    std::vector<std::string> words{""};
    for (int i = 0; i < 400; ++i) {
        std::string word;
        for (std::size_t n = random() % 5; n > 0; --n) {
            word.push_back(alphabet[random() % alphabet.size()]);
        }
        words.push_back(word);
    }
    std::size_t matched = 0;
    std::size_t refused = 0;
    for (const char* start : starts) {
        for (const char* tail : tails) {
            for (const char* modifiers : {"", "i", "r"}) {
                const std::string expression = ToCp1251(std::string("^") + start + tail);
                SCOPED_TRACE(ToUtf8(expression) + " /" + modifiers);
                TRegExpr fast;
                TRegExpr plain;
                fast.SetModifierStr(modifiers);
                plain.SetModifierStr(modifiers);
                fast.SetExpression(expression);
                plain.SetExpression("(*NO_START_OPT)" + expression);
                for (const std::string& word : words) {
                    const bool answer = plain.Exec(word);
                    ASSERT_EQ(fast.Exec(word), answer) << ToUtf8(word);
                    (answer ? matched : refused) += 1;
                }
            }
        }
    }
    EXPECT_GT(matched, 2000u);
    EXPECT_GT(refused, 2000u);
}
