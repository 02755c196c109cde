// Tests of the letters: every byte against the alphabet written out, and the two kinds of blank.

#include "wordstore/letters.h"

#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "wordstore/encoding.h"

namespace {

TEST(Letters, EveryByteFoldsAndCountsAsTheAlphabetSays)
{
    const std::string capitals =
        ToCp1251("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const std::string smalls =
        ToCp1251("абвгдеёжзийклмнопрстуфхцчшщъыьэюяabcdefghijklmnopqrstuvwxyz");
    const std::string vowels = ToCp1251("аеёиоуыэюяАЕЁИОУЫЭЮЯ");
    const std::string consonants = ToCp1251("бвгджзйклмнпрстфхцчшщБВГДЖЗЙКЛМНПРСТФХЦЧШЩ");
    const char yo = ToCp1251("ё")[0];
    const char ye = ToCp1251("е")[0];
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        const char c = static_cast<char>(byte);
        const std::size_t capital = capitals.find(c);
        const char small = capital == std::string::npos ? c : smalls[capital];
        EXPECT_EQ(LowerLetter(c), small);
        EXPECT_EQ(LowerLetterYoAsYe(c), small == yo ? ye : small);
        EXPECT_EQ(IsVowel(c), vowels.find(c) != std::string::npos);
        EXPECT_EQ(IsConsonant(c), consonants.find(c) != std::string::npos);
    }
}

TEST(Letters, QueriesLoseEveryControlByteWhileOnlyCWhiteSpaceMakesBlankText)
{
    // A text, what trimming leaves of it, and whether it is all white space.
    const std::tuple<std::string, std::string, bool> cases[] = {
        {" \t кот\r\n", "кот", false},
        {"\x01кот\x1F", "кот", false},
        {" \t\n\v\f\r", "", true},
        {"\x01", "", false},      // trimmed away, yet not white space
        {"\xA0", "\xA0", false},  // the no-break space is neither
        {"", "", true},
    };
    for (const auto& [text, trimmed, white] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(TrimBlanks(text), trimmed);
        EXPECT_EQ(IsAllWhiteSpace(text), white);
    }
}

}  // namespace
