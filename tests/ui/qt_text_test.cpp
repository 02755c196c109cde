// The window's conversions between Windows-1251 bytes and QString, against the core's own pair
// through UTF-8, and the form with "\n" line breaks.

#include "ui/qt_text.h"

#include <random>
#include <string>
#include <utility>

#include <QString>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/ui/random_text.h"
#include "wordstore/encoding.h"

namespace {

// Every byte once, in order.
std::string AllBytes()
{
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all.push_back(static_cast<char>(byte));
    }
    return all;
}

TEST(QStringFromCp1251, AgreesWithTheCoresConversionThroughUtf8ForEveryByte)
{
    const std::string all = AllBytes();
    EXPECT_EQ(QStringFromCp1251(all), QString::fromStdString(ToUtf8(all)));
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        const std::string one(1, static_cast<char>(byte));
        EXPECT_EQ(QString(Cp1251Chars()[static_cast<std::size_t>(byte)]),
                  QString::fromStdString(ToUtf8(one)));
    }
}

TEST(QStringFromCp1251, ShowsLettersAndKeepsLineBreaks)
{
    const std::pair<std::string, QString> cases[] = {
        {"", QString()},
        {ToCp1251("Ёж"), QStringLiteral("Ёж")},
        {ToCp1251("кот\r\nпёс\n"), QStringLiteral("кот\r\nпёс\n")},
        {"\x98", QStringLiteral("\uFFFD")},  // the one byte the code page leaves undefined
        {std::string("a\0b", 3), QString::fromUtf8("a\0b", 3)},
    };
    for (const auto& [cp1251, text] : cases) {
        SCOPED_TRACE(ToUtf8(cp1251));
        EXPECT_EQ(QStringFromCp1251(cp1251), text);
    }
}

TEST(Cp1251FromQString, RoundTripsEveryDefinedByte)
{
    std::string all = AllBytes();
    all.erase(0x98, 1);
    EXPECT_EQ(Cp1251FromQString(QStringFromCp1251(all)), all);
}

TEST(Cp1251FromQString, NamesACharacterWithoutAWindows1251FormAsTheCoreDoes)
{
    for (const char* utf8 : {"янка✓", "½", "кот😀", "\uFFFD"}) {
        SCOPED_TRACE(utf8);
        std::string expected;
        try {
            ToCp1251(utf8);
        } catch (const EEncodingError& e) {
            expected = e.what();
        }
        ASSERT_FALSE(expected.empty());
        EXPECT_THAT([&] { Cp1251FromQString(QString::fromUtf8(utf8)); },
                    ::testing::ThrowsMessage<EEncodingError>(expected));
    }
}

TEST(PaneTextFromCp1251, TurnsEveryLineBreakIntoOneLf)
{
    // Windows-1251 bytes (written as UTF-8 here), then the text.
    const std::pair<std::string, QString> cases[] = {
        {"", QString()},
        {"кот\r\nпёс", QStringLiteral("кот\nпёс")},
        {"a\rb\nc\r\n", QStringLiteral("a\nb\nc\n")},
        {"\n\r", QStringLiteral("\n\n")},
        {"\r\r\n\n", QStringLiteral("\n\n\n")},
        {"абвгдежзийклмноп\r\nрстуфхцч\tшщ", QStringLiteral("абвгдежзийклмноп\nрстуфхцч\tшщ")},
        {"1234567\r\n", QStringLiteral("1234567\n")},  // the break across eight-byte words
        {"12345678\r", QStringLiteral("12345678\n")},
    };
    for (const auto& [utf8, text] : cases) {
        SCOPED_TRACE(utf8);
        EXPECT_EQ(PaneTextFromCp1251(ToCp1251(utf8)), text);
    }
}

TEST(PaneTextFromCp1251, AgreesWithReplacingTheBreaksOneByOne)
{
    const std::string pieces[] = {"a",
                                  ToCp1251("ё"),
                                  "\r\n",
                                  "\r",
                                  "\n",
                                  "\x0B",
                                  "\x98",
                                  std::string(1, '\0'),
                                  std::string(11, 'w')};
    std::mt19937 random(1251);
    for (int round = 0; round < 500; ++round) {
        const std::string text = RandomText(random, pieces, 30);
        QString expected = QStringFromCp1251(text);
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        expected.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        SCOPED_TRACE(round);
        EXPECT_EQ(PaneTextFromCp1251(text), expected);
    }
}

}  // namespace
