// Tests of the conversion between Windows-1251 and UTF-8.

#include "wordstore/encoding.h"

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

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

TEST(SpellName, EscapesWhatWouldBreakARowOrHideADifference)
{
    // A file name's bytes, then its spelling.
    const std::pair<std::string, const char*> cases[] = {
        {"кот", "кот"},
        {"日本 😀 é", "日本 😀 é"},  // valid UTF-8 stays as it is
        {"a\nb", "a\\x0Ab"},
        {"a\r\tb\x1B[0m", "a\\x0D\\x09b\\x1B[0m"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"\x7F", "\\x7F"},
        {"\xC2\x9B"
         "1m",
         "\\xC2\\x9B1m"},  // U+009B, a terminal's control sequence introducer
        {"\xFF", "\\xFF"},
        {"\xFE", "\\xFE"},
        {"\xEA\xEE\xF2", "\\xEA\\xEE\\xF2"},  // "кот" in Windows-1251 is no UTF-8
        {"a\xD0", "a\\xD0"},                  // a sequence cut short
        {"\xC0\x80", "\\xC0\\x80"},           // overlong
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},  // a surrogate
        {"\xD0\xBA\xFF\xD1\x82", "к\\xFFт"},
        {"c\\d", "c\\\\d"},
        {"\\x41", "\\\\x41"},
    };
    for (const auto& [bytes, spelling] : cases) {
        SCOPED_TRACE(spelling);
        EXPECT_EQ(SpellName(bytes), spelling);
        EXPECT_EQ(ReadSpelledName(spelling), bytes);
    }
}

TEST(SpellName, EveryByteStringComesBackAndSpellsAsOneLine)
{
    // Short strings from bytes where the rules meet: controls, backslash, x, UTF-8 pieces.
    const char pieces[] = {'\0',   '\n',   '\\',   'x',    'A',   '\x7F',
                           '\xC2', '\x9B', '\xD0', '\xBA', '\xFF'};
    std::vector<std::string> names{""};
    for (int length = 0; length < 3; ++length) {
        const std::size_t shorter = names.size();
        for (std::size_t i = 0; i < shorter; ++i) {
            for (const char piece : pieces) {
                names.push_back(names[i] + piece);
            }
        }
    }
    std::set<std::string> spellings;
    for (const std::string& name : names) {
        const std::string spelling = SpellName(name);
        SCOPED_TRACE(spelling);
        EXPECT_EQ(ReadSpelledName(spelling), name);
        EXPECT_EQ(spelling.find_first_of(std::string("\n\r\0\x7F", 4)), std::string::npos);
        for (std::size_t pos = 0; pos < spelling.size();) {
            ASSERT_GE(DecodeUtf8(spelling, pos), 0) << "not UTF-8 at byte " << pos;
        }
        spellings.insert(spelling);
    }
    std::set<std::string> distinct(names.begin(), names.end());
    EXPECT_EQ(spellings.size(), distinct.size());
}

TEST(ReadSpelledName, TakesEitherCaseAndPlainNamesAndRefusesALoneBackslash)
{
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"\\xff", "\xFF"},
        {"\\xFf\\x0a", "\xFF\n"},
        {"кот", "кот"},
        {"a\nb", "a\nb"},  // a name typed with its line break stands for itself
        {"", ""},
        {"c\\d", std::nullopt},
        {"a\\", std::nullopt},
        {"\\x4", std::nullopt},
        {"\\xG0", std::nullopt},
        {"\\X41", std::nullopt},
    };
    for (const auto& [spelling, bytes] : cases) {
        SCOPED_TRACE(spelling);
        EXPECT_EQ(ReadSpelledName(spelling), bytes);
    }
}

}  // namespace
