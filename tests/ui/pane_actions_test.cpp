// The pane actions' texts: the one-line form of a listing, the query encoding and the request.

#include "ui/pane_actions.h"

#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "wordstore/encoding.h"

TEST(LinearText, TurnsLineBreaksIntoCommasAndEndsWithALineBreak)
{
    // Pane text (UTF-8 here), then the pane's text afterwards.
    const std::pair<const char*, const char*> cases[] = {
        {"кот\r\nпёс\r\nёж", "кот, пёс, ёж\r\n"},
        {"кот, пёс, ёж\r\n", "кот, пёс, ёж, \r\n"},
        {"кот, пёс, ёж, \r\n", "кот, пёс, ёж, , \r\n"},
        {"кот = 5,00000\r\nпёс = 0,50000", "кот = 5,00000, пёс = 0,50000\r\n"},
        {"", "\r\n"},
        {"кот", "кот\r\n"},
        {"а\rб\nв", "а,б в\r\n"},  // each byte alone, the length unchanged
    };
    for (const auto& [pane, line] : cases) {
        SCOPED_TRACE(pane);
        EXPECT_EQ(ToUtf8(LinearText(ToCp1251(pane))), line);
    }
}

TEST(EncodeQueryUtf8, EncodesLettersAndSignsAndLeavesPlainAsciiAlone)
{
    // Windows-1251 bytes, then the encoded text.
    const std::pair<std::string, std::string> cases[] = {
        {ToCp1251("A&B = 0,5"), "A%26B+=+0,5"},
        {ToCp1251("Ёж"), "%D0%81%D0%B6"},
        {ToCp1251("кот\r\nпёс"), "%D0%BA%D0%BE%D1%82++%D0%BF%D1%91%D1%81"},
        {ToCp1251("абвгдеёжзийклмноп"),
         "%D0%B0%D0%B1%D0%B2%D0%B3%D0%B4%D0%B5%D1%91%D0%B6%D0%B7%D0%B8%D0%B9%D0%BA%D0%BB%D0%BC"
         "%D0%BD%D0%BE%D0%BF"},
        {ToCp1251("рстуфхцчшщьыъэюя"),
         "%D1%80%D1%81%D1%82%D1%83%D1%84%D1%85%D1%86%D1%87%D1%88%D1%89%D1%8C%D1%8B%D1%8A%D1%8D"
         "%D1%8E%D1%8F"},
        {ToCp1251("АБЯ"), "%D0%90%D0%91%D0%AF"},
        {"AT&T C# 100% 1+1", "AT%26T+C%23+100%25+1%2B1"},
        {"a\tb", "a+b"},
        {std::string("\x01\x0B\x0D\x0E\x1F\x7F", 6), "+++%0E%1F%7F"},
        {std::string("a\0b", 3), "a%00b"},
        {"?=/:;,.!*'()~_-$@[]", "?=/:;,.!*'()~_-$@[]"},
        {ToCp1251("№ «ї»"), "%E2%84%96+%C2%AB%D1%97%C2%BB"},
        {ToCp1251("\u00A0"), "%C2%A0"},
        {"\x98", "%EF%BF%BD"},  // the one byte Windows-1251 leaves undefined
        {"", ""},
    };
    for (const auto& [text, encoded] : cases) {
        SCOPED_TRACE(ToUtf8(text));
        EXPECT_EQ(EncodeQueryUtf8(text), encoded);
    }
}

TEST(WebSearchRequest, PutsTheEncodedSelectionBetweenTheAddressAndTheMessage)
{
    const std::pair<std::string, std::string> cases[] = {
        {ToCp1251("ёж"), "https://yandex.ru/yandsearch?text=%D1%91%D0%B6&msg=Viva%20la%20Yandex!"},
        {"", "https://yandex.ru/yandsearch?text=&msg=Viva%20la%20Yandex!"},
        {"a&msg=b", "https://yandex.ru/yandsearch?text=a%26msg=b&msg=Viva%20la%20Yandex!"},
    };
    for (const auto& [selection, request] : cases) {
        SCOPED_TRACE(ToUtf8(selection));
        EXPECT_EQ(WebSearchRequest(selection), request);
    }
}

TEST(RhymeWordOf, TakesTheSelectionsFirstWordElseTheWordAtTheCaret)
{
    // The selection, then the caret's line with "|" at the caret, then the word taken.
    struct TCase
    {
        const char* Selection;
        const char* Line;
        const char* Word;
    };
    const TCase cases[] = {
        {"окно", "|кино", "окно"},
        {"кно = 12,5", "|кино", "кно"},  // the selection as it is, not the word around it
        {"= 12,5\r\nкино = 3", "|", "кино"},
        {"12,5\r\n3", "|кино", ""},  // numbers only: the caret does not count then
        {" ", "|кино", ""},
        {"замо'к", "|", "замо'к"},
        {"", "ок|но = 12,5", "окно"},
        {"", "|окно = 12,5", "окно"},
        {"", "окно| = 12,5", "окно"},  // just after the word
        {"", "окно |= 12,5", ""},
        {"", "окно = 1|2,5", ""},
        {"", "окно = 12,5|", ""},
        {"", "|", ""},
        {"", "кот|, пёс", "кот"},
        {"", "кот,| пёс", ""},
        {"", "кот, |пёс", "пёс"},
        {"", "д'Арт|аньян", "д'Артаньян"},
        {"", "ёл|ка", "ёлка"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Selection << " / " << c.Line);
        std::string line = ToCp1251(c.Line);
        const std::size_t caret = line.find('|');
        ASSERT_NE(caret, std::string::npos);
        line.erase(caret, 1);
        EXPECT_EQ(ToUtf8(RhymeWordOf(ToCp1251(c.Selection), line, caret)), c.Word);
    }
}
