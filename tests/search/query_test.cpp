// Tests of query translation: lowercasing, the two mask translations and their errors, and what
// the inexact mask accepts when the engine runs its pattern.

#include "search/query.h"

#include <random>
#include <string>
#include <tuple>
#include <utility>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "search/mask.h"
#include "search/regexpr.h"
#include "search/search_run.h"
#include "wordstore/encoding.h"
#include "wordstore/letters.h"

namespace {

// Whether the engine matches word with the pattern a row of mode sends for the field text, as the
// pattern search runs it (all UTF-8).
bool RowMatches(TQueryMode mode, const std::string& field, const std::string& word)
{
    const std::string pattern = TranslateQuery(mode, ToCp1251(field));
    EXPECT_GE(pattern.size(), 2u);
    TRegExpr engine;
    engine.SetExpression(pattern.substr(1, pattern.size() - 2));
    return engine.Exec(ToCp1251(word));
}

std::string Lowered(const std::string& utf8)
{
    std::string text = ToCp1251(utf8);
    LowerCyr(text);
    return ToUtf8(text);
}

TEST(LowerCyr, FoldsLatinAndRussianCapitalsAndYoToYe)
{
    const std::pair<const char*, const char*> cases[] = {
        {"ЯНКА", "янка"},     {"Ёлка", "елка"},   {"ёж", "еж"},
        {"AbZ[@`", "abz[@`"}, {"ЎІЇЄҐ", "ЎІЇЄҐ"},  // other letters of the code page stay
        {"№«»", "№«»"},       {"", ""},
    };
    for (const auto& [text, lowered] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Lowered(text), lowered);
    }
}

TEST(MaskToPattern, TranslatesWildcardsAndDropsWhatIsNotCyrillic)
{
    // A field text, then the pattern its row sends (empty: no search).
    const std::pair<const char*, const char*> cases[] = {
        {"*янка", "/^.*янка$/"},
        {"Кот?", "/^кот.$/"},
        {"?о-?", "/^.о-.$/"},
        {"Ёлка", "/^[её]лка$/"},  // a mask's е also finds ё: the words keep it
        {"*ёт", "/^.*[её]т$/"},
        {"ab*", "/^.*$/"},
        {"abc", ""},
        {"123", ""},
        {"   ", ""},
        {"", ""},
        {"к о.т№«", "/^кот$/"},
        {"**", "/^.*.*$/"},
        {"К@Т", "/^к[аеёиоуыэюя]т$/"},
        {"*#Я", "/^.*[бвгджзйклмнпрстфхцчшщ]я$/"},
        {"[КГ]?Р?А", "/^[гк].р.а$/"},  // capitals in a set are lowercased first
        {"[!Ё]", "/^[абвгджзийклмнопрстуфхцчшщъыьэюя]$/"},  // ё is е, which takes ё with it
        {"[ёж]", "/^[еёж]$/"},
        {"[a-z]к", "/^-к$/"},  // a hyphen alone is the hyphen
        {"]к!", "/^к$/"},      // "]" and "!" outside a set are dropped
    };
    for (const auto& [field, pattern] : cases) {
        SCOPED_TRACE(field);
        EXPECT_EQ(ToUtf8(TranslateQuery(TQueryMode::Mask, ToCp1251(field))), pattern);
    }
}

TEST(TranslateQuery, MalformedSetsOfTheMaskRowsAreErrors)
{
    // A field text, then the whole message, the same for the mask and the inexact row.
    const std::pair<const char*, const char*> cases[] = {
        {"[аб", "Unclosed [ in the mask"},
        {"*[]", "Empty [] in the mask"},
        {"[!]", "Empty [] in the mask"},
        {"[AB]", "Empty [] in the mask"},  // Latin letters are dropped, in sets too
        {"[Я-А]", "Reversed range in [] of the mask"},
        {"[!А-Я]", "No letter left by [!] in the mask"},
    };
    for (const auto& [field, message] : cases) {
        SCOPED_TRACE(field);
        for (const TQueryMode mode : {TQueryMode::Mask, TQueryMode::Inexact}) {
            EXPECT_THAT([&] { TranslateQuery(mode, ToCp1251(field)); },
                        testing::ThrowsMessage<EMaskError>(testing::StrEq(message)));
        }
        // The other rows know no sets.
        EXPECT_EQ(ToUtf8(TranslateQuery(TQueryMode::Ending, ToCp1251(field))), Lowered(field));
    }
}

TEST(RowTest, MalformedSetEndsTheRowAndOnlyABlankPatternGivesNoTest)
{
    for (const TQueryMode mode : {TQueryMode::Mask, TQueryMode::Inexact}) {
        EXPECT_THAT([&] { RowTest(mode, ToCp1251("к[ат")); },
                    testing::ThrowsMessage<EMaskError>(testing::StrEq("Unclosed [ in the mask")));
        EXPECT_TRUE(RowTest(mode, ToCp1251("к[ат]")).has_value());
        EXPECT_FALSE(RowTest(mode, " ").has_value());
    }
    EXPECT_FALSE(RowTest(TQueryMode::Regexp, " ").has_value());
    // An empty ending lists every word.
    EXPECT_TRUE(RowTest(TQueryMode::Ending, " ").has_value());
}

TEST(InexactMaskToPattern, ReplacesEachLetterByItsLookAlikes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"мышь", "/^[-ьъ]*[-м][-ьъ]*[-ьъ]*[-ыи][-ьъ]*[-ьъ]*[-шщж][-ьъ]*[-]?[ъь]?[-]?$/"},
        {"*янка", "/^.*[-ьъй]*[-яа][-ьъ]*[-ьъ]*[-н][-ьъ]*[-ьъ]*[-кг][-ьъ]*[-ьъ]*[-ая][-ьъ]*$/"},
        {"Е-Ё", "/^[-ьъй]*[-еэё][-ьъ]*[-][-ьъй]*[-еэё][-ьъ]*$/"},
        {"a b", ""},
        {"?ъщ", "/^.[-]?[ъь]?[-]?[-ьъ]*[-шщж][-ьъ]*$/"},
        {"бвгджзйлопрстуфхцчэю",
         "/^[-ьъ]*[-бп][-ьъ]*[-ьъ]*[-вф][-ьъ]*[-ьъ]*[-гк][-ьъ]*[-ьъ]*[-дт][-ьъ]*"
         "[-ьъ]*[-жшщ][-ьъ]*[-ьъ]*[-зс][-ьъ]*[-ьъ]*[-й][-ьъ]*[-ьъ]*[-л][-ьъ]*"
         "[-ьъ]*[-о][-ьъ]*[-ьъ]*[-пб][-ьъ]*[-ьъ]*[-р][-ьъ]*[-ьъ]*[-сз][-ьъ]*"
         "[-ьъ]*[-тд][-ьъ]*[-ьъ]*[-ую][-ьъ]*[-ьъ]*[-фв][-ьъ]*[-ьъ]*[-х][-ьъ]*"
         "[-ьъ]*[-ц][-ьъ]*[-ьъ]*[-ч][-ьъ]*[-ьъй]*[-эеё][-ьъ]*[-ьъй]*[-юу][-ьъ]*$/"},
    };
    for (const auto& [field, pattern] : cases) {
        SCOPED_TRACE(field);
        EXPECT_EQ(ToUtf8(TranslateQuery(TQueryMode::Inexact, ToCp1251(field))), pattern);
    }
}

TEST(TranslateQuery, RegexpAndEndingRowsOnlyLowercase)
{
    // Mode, field text, what reaches the run.
    const struct
    {
        TQueryMode Mode;
        const char* Field;
        const char* Query;
    } cases[] = {
        {TQueryMode::Regexp, "/^.*ЯНКА$/", "/^.*янка$/"},
        {TQueryMode::Regexp, "/^[А-Я]+$/", "/^[а-я]+$/"},
        {TQueryMode::Regexp, "/\\D\\W\\S/I", "/\\D\\W\\S/i"},  // escapes kept their meaning
        {TQueryMode::Regexp, "/ЁЛКА|ёлка/", "/ёлка|ёлка/"},    // ё stays ё here
        {TQueryMode::Regexp, "   ", "   "},
        {TQueryMode::Ending, "ЯНКА", "янка"},
        {TQueryMode::Ending, "", ""},
        {TQueryMode::Ending, "Ёж ", "еж "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Field);
        EXPECT_EQ(ToUtf8(TranslateQuery(c.Mode, ToCp1251(c.Field))), c.Query);
    }
}

TEST(LowerPattern, LowercasesAllButEscapedBytesAndQuotedText)
{
    // The whole text was lowercased, escapes too: \D became \d, the opposite of what was typed.
    // A regexp row's field text, then the text after lowercasing.
    const std::pair<const char*, const char*> cases[] = {
        {"/^\\D+$/", "/^\\D+$/"},
        {"/\\W\\S\\B\\P{Lu}\\N\\Д/I", "/\\W\\S\\B\\P{lu}\\N\\Д/i"},  // only the escaped byte stays
        {"/Я\\QAbC.Ё\\EЯ/", "/я\\QAbC.Ё\\Eя/"},                      // \Q...\E stays as typed
        {"/\\QAB/", "/\\QAB/"},          // also up to the end without \E
        {"/\\Q\\\\EX/", "/\\Q\\\\Ex/"},  // a backslash there escapes nothing
        {"/\\\\D/", "/\\\\d/"},          // an escaped backslash: D is a letter again
        {"/АБ\\/", "/аб\\/"},            // a trailing backslash stays; the delimiter is lowercased
        {"/\\/Д/", "/\\/д/"},            // the expression ends at the delimiter's last occurrence
        {"  /\\D/I  ", "  /\\D/i  "},
        {"/КОТ\\D", "/кот\\d"},  // no closing delimiter: no expression, all lowercased
        {"A\\DBA", "a\\Dba"},    // a letter delimiter, either case
        {"/ЁЛКА|ёлка|Елка/", "/ёлка|ёлка|елка/"},
        {"", ""},
        {"   ", "   "},
    };
    for (const auto& [text, lowered] : cases) {
        SCOPED_TRACE(text);
        std::string bytes = ToCp1251(text);
        LowerPattern(bytes);
        EXPECT_EQ(ToUtf8(bytes), lowered);
    }
}

TEST(TranslateQuery, RegexpRowKeepsYoAndEscapesForTheEngine)
{
    // The row folded ё to е, so /ёлка/ found no ёлка, and lowercased escapes: /^\D+$/ found "00".
    // A field text (no modifiers), a word, then whether the row lists the word.
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"/^ёлка$/", "ёлка", true},    {"/^ёлка$/", "елка", false},   {"/^ЁЛКА$/", "ёлка", true},
        {"/^елка$/", "елка", true},    {"/^елка$/", "ёлка", false},  // е typed here is only е
        {"/^[а-я]+$/", "ёлка", true},                                // r: а-я takes ё
        {"/^\\D+$/", "00", false},     {"/^\\D+$/", "кот", true},     {"/^\\W$/", "-", true},
        {"/^\\W$/", "a", false},       {"/\\S/", " ", false},         {"/^\\QA.\\E$/", "A.", true},
        {"/^\\QA.\\E$/", "a.", false}, {"/^\\QA.\\E$/", "AB", false},
    };
    for (const auto& [field, word, listed] : cases) {
        SCOPED_TRACE(std::string(field) + " ~ " + word);
        EXPECT_EQ(RowMatches(TQueryMode::Regexp, field, word), listed);
    }
}

TEST(TranslateQuery, MaskRowsFindWordsSpelledWithYo)
{
    // The rows folded ё to е and matched only е, so ещё, идёт, ёлка could never be found.
    // Mode, field text, word, then whether the row lists the word.
    const std::tuple<TQueryMode, const char*, const char*, bool> cases[] = {
        {TQueryMode::Mask, "ещё", "ещё", true},      {TQueryMode::Mask, "ещё", "еще", true},
        {TQueryMode::Mask, "ЁЛКА", "ёлка", true},    {TQueryMode::Mask, "*ет", "идёт", true},
        {TQueryMode::Mask, "*ёт", "будет", true},    {TQueryMode::Mask, "е?е", "ёлё", true},
        {TQueryMode::Mask, "е", "э", false},         {TQueryMode::Mask, "ж", "ё", false},
        {TQueryMode::Mask, "*ет", "идёт-то", false}, {TQueryMode::Inexact, "ещё", "ещё", true},
        {TQueryMode::Inexact, "ёж", "эж", true},     {TQueryMode::Inexact, "эра", "ёра", true},
        {TQueryMode::Inexact, "ж", "ё", false},      {TQueryMode::Inexact, "а", "ё", false},
    };
    for (const auto& [mode, field, word, listed] : cases) {
        SCOPED_TRACE(std::string(field) + " ~ " + word);
        EXPECT_EQ(RowMatches(mode, field, word), listed);
    }
}

TEST(InexactMaskToPattern, AcceptsLookAlikeLettersAndSignsButNoOtherLetters)
{
    // A field text, a word, then whether the inexact row lists the word.
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"год", "кот", true},  // г for к, д for т
        {"суп", "зуб", true},  // с for з, п for б
        {"жить", "щить", true},
        {"вилка", "филка", true},
        {"мышь", "мишь", true},  // ы for и
        {"люк", "лук", true},    // ю for у and back
        {"лук", "люк", true},
        {"шея", "шеа", true},  // я for а
        {"аня", "яна", true},
        {"эра", "ера", true},
        {"дом", "дым", false},  // о has no look-alike
        {"кот", "кит", false},
        {"мол", "мал", false},
        {"йод", "иод", false},  // nor й and и
        {"иод", "йод", false},
        {"рак", "лак", false},
        {"ель", "йэль", true},  // й may come before е, э, ю and я
        {"юла", "йула", true},
        {"ода", "йода", false},  // but not before other letters
        {"мышь", "мыш", true},   // a soft or hard sign of the mask may be missing
        {"объезд", "обезд", true},
        {"объезд", "обьезд", true},  // or be the other one
        {"хор", "хорь", true},       // and may come around any letter
        {"хор", "хъорь", true},
        {"кот", "к-о-т", true},  // so may hyphens
        {"кот", "к-т", true},    // a hyphen even stands for a letter
        {"кот", "кт", false},
        {"по-моему", "по-моему", true},
        {"по-моему", "помоему", false},  // a hyphen of the mask must be there
        {"кот", "кота", false},          // the whole word
        {"кот", "скот", false},
        {"кот", "Кот", false},  // words are not lowercased
        {"еж", "ёж", true},     // е also takes ё, which the words keep
        {"Ёж", "еж", true},     // the field's ё becomes е
        {"эра", "ёра", true},   // and so does э, е's look-alike
        {"ёж", "жж", false},
        {"к?т", "кит", true},
        {"к?т", "кт", false},
        {"*ость", "радость", true},
        {"*ость", "радостью", false},
        {"кOт", "кт", true},  // a Latin letter is dropped from the mask
        // A set takes its own letters only, without look-alikes or signs around it.
        {"к@т", "кот", true},
        {"к@т", "гот", true},  // the letters around it keep theirs
        {"к@т", "кёт", true},
        {"к@т", "кт", false},
        {"к@т", "к-т", false},
        {"к@т", "кьот", true},  // a sign belongs to the letter before it
        {"к@т", "коьт", true},  // or after it
        {"[кг]от", "хот", false},
        {"[кг]от", "гот", true},
        {"[бв]от", "пот", false},  // б's look-alike п is not in the set
        {"#ода", "вода", true},
        {"#ода", "йода", true},
        {"#ода", "ода", false},
        {"[!е]ж", "эж", true},
        {"[!е]ж", "ёж", false},
    };
    for (const auto& [field, word, listed] : cases) {
        SCOPED_TRACE(std::string(field) + " ~ " + word);
        EXPECT_EQ(RowMatches(TQueryMode::Inexact, field, word), listed);
    }
}

TEST(InexactMaskToPattern, AgreesWithTheExactMaskOnLettersWithoutLookAlikes)
{
    // Neither these letters nor the words take look-alikes, hyphens or signs, so both rows must
    // list the same words.
    const std::string letters = "лмнорхцч";
    std::mt19937 random(20261210);
    for (int round = 0; round < 200; ++round) {
        std::string field;
        const int fieldLength = 1 + static_cast<int>(random() % 5);
        for (int i = 0; i < fieldLength; ++i) {
            const unsigned pick = random() % (letters.size() / 2 + 2);
            field += pick == 0 ? "*" : pick == 1 ? "?" : letters.substr((pick - 2) * 2, 2);
        }
        SCOPED_TRACE(field);
        for (int k = 0; k < 20; ++k) {
            std::string word;
            const int wordLength = static_cast<int>(random() % 7);
            for (int i = 0; i < wordLength; ++i) {
                word += letters.substr(random() % (letters.size() / 2) * 2, 2);
            }
            SCOPED_TRACE(word);
            EXPECT_EQ(RowMatches(TQueryMode::Inexact, field, word),
                      RowMatches(TQueryMode::Mask, field, word));
        }
    }
}

}  // namespace
