// Tests of the conversion between Windows-1251 and UTF-8.

#include "wordstore/encoding.h"

#include <string>
#include <utility>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

TEST(Encoding, EveryDefinedByteSurvivesTheRoundTrip)
{
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        const std::string one(1, static_cast<char>(byte));
        if (byte == 0x98) {
            EXPECT_EQ(ToUtf8(one), "\xEF\xBF\xBD");  // the code page leaves it undefined
            continue;
        }
        EXPECT_EQ(ToCp1251(ToUtf8(one)), one);
    }
}

TEST(Encoding, MapsTheCodePagesLettersAndSigns)
{
    const std::pair<const char*, const char*> cases[] = {
        {"\xC0\xDF\xE0\xFF", "АЯая"},
        {"\xA8\xB8", "Ёё"},
        {"\xB9\xAB\xBB\xA0", "№«»\u00A0"},
        {"\x80\x90\xA1\xA2\xB2\xB3\xAF\xBF\xAA\xBA\xA5\xB4", "ЂђЎўІіЇїЄєҐґ"},
        {"\x88\x96\x97\x85", "€–—…"},
    };
    for (const auto& [cp1251, utf8] : cases) {
        SCOPED_TRACE(utf8);
        EXPECT_EQ(ToUtf8(cp1251), utf8);
        EXPECT_EQ(ToCp1251(utf8), cp1251);
    }
}

TEST(Encoding, RefusesWhatWindows1251CannotHoldNamingTheCharacter)
{
    const std::pair<const char*, const char*> cases[] = {
        {"кот☃", "The character \"☃\" (U+2603) has no Windows-1251 form"},
        {"😀", "The character \"😀\" (U+1F600) has no Windows-1251 form"},
        {"é", "The character \"é\" (U+00E9) has no Windows-1251 form"},
        {"\xEF\xBF\xBD", "The character \"\xEF\xBF\xBD\" (U+FFFD) has no Windows-1251 form"},
        {"a\xD0", "Invalid UTF-8 at byte 2"},
        {"\xC0\x80", "Invalid UTF-8 at byte 1"},      // overlong
        {"\xED\xA0\x80", "Invalid UTF-8 at byte 1"},  // surrogate
    };
    for (const auto& [utf8, message] : cases) {
        SCOPED_TRACE(message);
        EXPECT_THAT([&] { ToCp1251(utf8); }, ::testing::ThrowsMessage<EEncodingError>(message));
    }
}

TEST(Encoding, LossyConversionPutsQuestionMarksInstead)
{
    EXPECT_EQ(ToCp1251Lossy("кот☃\xFF😀ё"), "\xEA\xEE\xF2???\xB8");
}

}  // namespace
