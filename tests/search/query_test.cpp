// Tests of query translation: lowercasing and the two mask translations.

#include "search/query.h"

#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "wordstore/encoding.h"

namespace {

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
        {"Ёлка", "/^елка$/"},
        {"ab*", "/^.*$/"},
        {"abc", ""},
        {"123", ""},
        {"   ", ""},
        {"", ""},
        {"к о.т№«", "/^кот$/"},
        {"**", "/^.*.*$/"},
    };
    for (const auto& [field, pattern] : cases) {
        SCOPED_TRACE(field);
        EXPECT_EQ(ToUtf8(TranslateQuery(TQueryMode::Mask, ToCp1251(field))), pattern);
    }
}

TEST(InexactMaskToPattern, ReplacesEachLetterByItsLookAlikes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"мышь", "/^[-ьъ]*[-м][-ьъ]*[-ьъ]*[-ыи][-ьъ]*[-ьъ]*[-шщж][-ьъ]*[-]?[ъь]?[-]?$/"},
        {"*янка", "/^.*[-ьъй]*[-яа][-ьъ]*[-ьъ]*[-н][-ьъ]*[-ьъ]*[-кг][-ьъ]*[-ьъ]*[-ая][-ьъ]*$/"},
        {"Е-Ё", "/^[-ьъй]*[-еэ][-ьъ]*[-][-ьъй]*[-еэ][-ьъ]*$/"},
        {"a b", ""},
        {"?ъщ", "/^.[-]?[ъь]?[-]?[-ьъ]*[-шщж][-ьъ]*$/"},
        {"бвгджзйлопрстуфхцчэю",
         "/^[-ьъ]*[-бп][-ьъ]*[-ьъ]*[-вф][-ьъ]*[-ьъ]*[-гк][-ьъ]*[-ьъ]*[-дт][-ьъ]*"
         "[-ьъ]*[-жшщ][-ьъ]*[-ьъ]*[-зс][-ьъ]*[-ьъ]*[-й][-ьъ]*[-ьъ]*[-л][-ьъ]*"
         "[-ьъ]*[-о][-ьъ]*[-ьъ]*[-пб][-ьъ]*[-ьъ]*[-р][-ьъ]*[-ьъ]*[-сз][-ьъ]*"
         "[-ьъ]*[-тд][-ьъ]*[-ьъ]*[-ую][-ьъ]*[-ьъ]*[-фв][-ьъ]*[-ьъ]*[-х][-ьъ]*"
         "[-ьъ]*[-ц][-ьъ]*[-ьъ]*[-ч][-ьъ]*[-ьъй]*[-эе][-ьъ]*[-ьъй]*[-юу][-ьъ]*$/"},
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
        {TQueryMode::Regexp, "/\\D\\W\\S/I", "/\\d\\w\\s/i"},
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

}  // namespace
