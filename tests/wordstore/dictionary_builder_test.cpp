// Tests of making a dictionary: list lines, words of texts, case, encodings, counting, order, and
// a built dictionary written and loaded back.

#include "wordstore/dictionary_builder.h"

#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/recording_load_view.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"
#include "wordstore/word_store.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::ThrowsMessage;

using TEntries = std::vector<std::pair<std::string, std::int32_t>>;

// The words (as UTF-8) and counts of a built dictionary.
TEntries EntriesOf(const TBuiltDictionary& dictionary)
{
    TEntries entries;
    for (std::size_t i = 0; i < dictionary.Words.size(); ++i) {
        entries.emplace_back(ToUtf8(dictionary.Words[i]), dictionary.Counts[i]);
    }
    return entries;
}

TBuildOptions ListOptions()
{
    return {};
}

TBuildOptions TextOptions()
{
    TBuildOptions options;
    options.Format = TInputFormat::Text;
    options.KeepOrder = true;
    return options;
}

TEntries Build(const TBuildOptions& options, const std::string& text)
{
    TDictionaryBuilder builder(options);
    builder.AddText(text, "in.txt");
    return EntriesOf(builder.Result());
}

TEST(DictionaryBuilder, ReadsTheThreeListLineFormats)
{
    // One list line, then the word and count it gives.
    const struct
    {
        const char* Line;
        const char* Word;
        std::int32_t Count;
    } cases[] = {
        {"кот 5", "кот", 5},
        {"кот\t5", "кот", 5},
        {"      3 кот", "кот", 3},  // as "sort | uniq -c" prints
        {"  кот   5  ", "кот", 5},
        {"кот \t 5", "кот", 5},
        {"в течение\t12", "в течение", 12},  // before a TAB a word may hold spaces
        {"1990 7", "1990", 7},               // both numbers: word, then count
        {"кот -4", "кот", -4},
        {"кот 007", "кот", 7},
        {"кот 0", "кот", 0},
        {"кот 5\r", "кот", 5},
        {"\xEF\xBB\xBFкот 5", "кот", 5},  // a byte order mark
        {"Ёж 2147483647", "Ёж", 2147483647},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        EXPECT_THAT(Build(ListOptions(), c.Line), ElementsAre(std::pair(c.Word, c.Count)));
    }
}

TEST(DictionaryBuilder, SkipsBlankAndCommentLines)
{
    const TEntries entries =
        Build(ListOptions(), "# word count\n\n   \n\t\r\nкот 1\n  # indented comment\nпёс 2");
    EXPECT_THAT(entries, ElementsAre(std::pair("пёс", 2), std::pair("кот", 1)));
}

TEST(DictionaryBuilder, ListLineThatFitsNoFormatIsAnErrorNamingFileAndLine)
{
    // Input, then the whole message.
    const std::pair<const char*, const char*> cases[] = {
        {"кот 1\nкот\n", "in.txt:2: expected \"word count\", \"word<TAB>count\" or \"count word\""},
        {"кот 1 2", "in.txt:1: expected \"word count\", \"word<TAB>count\" or \"count word\""},
        {"кот пёс", "in.txt:1: expected \"word count\", \"word<TAB>count\" or \"count word\""},
        {"\n\nкот\t", "in.txt:3: expected \"word count\", \"word<TAB>count\" or \"count word\""},
        {"5\tкот", "in.txt:1: expected \"word count\", \"word<TAB>count\" or \"count word\""},
        {"кот\t5\t6", "in.txt:1: expected \"word count\", \"word<TAB>count\" or \"count word\""},
        {"кот 5x", "in.txt:1: expected \"word count\", \"word<TAB>count\" or \"count word\""},
        {"кот 1.5", "in.txt:1: expected \"word count\", \"word<TAB>count\" or \"count word\""},
        {"кот\r5", "in.txt:1: expected \"word count\", \"word<TAB>count\" or \"count word\""},
        {"# x\nк\xFF 1", "in.txt:2: invalid UTF-8 (is the input in Windows-1251?)"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        TDictionaryBuilder builder(ListOptions());
        EXPECT_THAT([&] { builder.AddText(text, "in.txt"); },
                    ThrowsMessage<EInputError>(ToCp1251(message)));
    }
}

TEST(DictionaryBuilder, LineNumbersCountAcrossChunksAndRestartForEachInput)
{
    TDictionaryBuilder builder(ListOptions());
    builder.AddText("кот 1\nпёс 2\n", "first.txt");
    std::istringstream second("ёж 1\n\n# c\nбад\n");
    EXPECT_THAT([&] { builder.AddStream(second, "second.txt"); },
                ThrowsMessage<EInputError>(
                    "second.txt:4: expected \"word count\", \"word<TAB>count\" or \"count word\""));
}

TEST(DictionaryBuilder, TextWordsAreRunsOfLettersWithSingleInnerHyphens)
{
    // Text, then its words in order of first occurrence with their counts.
    const std::pair<const char*, TEntries> cases[] = {
        {"кто-то", {{"кто-то", 1}}},
        {"кто--то", {{"кто", 1}, {"то", 1}}},
        {"-то то- то", {{"то", 3}}},
        {"бело-сине-красный", {{"бело-сине-красный", 1}}},
        {"а - б", {{"а", 1}, {"б", 1}}},
        {"Ёлка ёлка елка", {{"Ёлка", 1}, {"ёлка", 1}, {"елка", 1}}},
        {"abc123def 42", {{"abc", 1}, {"def", 1}}},
        {"don't e-mail", {{"don", 1}, {"t", 1}, {"e-mail", 1}}},
        {"«Привет», — сказал он.\r\nОн", {{"Привет", 1}, {"сказал", 1}, {"он", 1}, {"Он", 1}}},
        {"кто-\nто", {{"кто", 1}, {"то", 1}}},
        {"е\u0308ж И\u0306од", {{"ёж", 1}, {"Йод", 1}}},  // decomposed ё and Й
        {"сло\u00ADво", {{"слово", 1}}},                  // a soft hyphen
        {"Ґанок їжак", {{"Ґанок", 1}, {"їжак", 1}}},
    };
    for (const auto& [text, entries] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Build(TextOptions(), text), entries);
    }
}

TEST(DictionaryBuilder, LowerFoldsTheCaseOfEveryLetterAndKeepsYo)
{
    TBuildOptions list = ListOptions();
    list.Lower = true;
    EXPECT_THAT(Build(list, "КОТ 1\nкот 2\nЁЖ 3\nёж 4\nCat 5\nЇЖАК 6\nЂ 7"),
                ElementsAre(std::pair("ђ", 7), std::pair("ёж", 7), std::pair("їжак", 6),
                            std::pair("cat", 5), std::pair("кот", 3)));
    TBuildOptions text = TextOptions();
    text.Lower = true;
    EXPECT_THAT(Build(text, "Ёлка ЁЛКА елка"),
                ElementsAre(std::pair("ёлка", 2), std::pair("елка", 1)));
    EXPECT_THAT(Build(TextOptions(), "Ёлка ЁЛКА"),
                ElementsAre(std::pair("Ёлка", 1), std::pair("ЁЛКА", 1)));
}

TEST(DictionaryBuilder, ReadsWindows1251InputWhenAsked)
{
    TBuildOptions list = ListOptions();
    list.Encoding = TInputEncoding::Cp1251;
    EXPECT_THAT(Build(list, ToCp1251("кот 5\r\nпёс\t3\r\n")),
                ElementsAre(std::pair("кот", 5), std::pair("пёс", 3)));

    TBuildOptions text = TextOptions();
    text.Encoding = TInputEncoding::Cp1251;
    text.Lower = true;
    EXPECT_THAT(Build(text, ToCp1251("Ёж, кто-то; ЁЖ")),
                ElementsAre(std::pair("ёж", 2), std::pair("кто-то", 1)));

    // The same bytes read as UTF-8.
    TDictionaryBuilder utf8(ListOptions());
    EXPECT_THAT(
        [&] { utf8.AddText(ToCp1251("кот 5"), "in.txt"); },
        ThrowsMessage<EInputError>("in.txt:1: invalid UTF-8 (is the input in Windows-1251?)"));
}

TEST(DictionaryBuilder, AutoTellsUtf8FromWindows1251AndCp1251RefusesUtf8WithCyrillic)
{
    using enum TInputEncoding;
    // Puts "кот" across the end of the first 1 MiB piece, right after the lead byte of "к".
    const std::string longComment = "#" + std::string((1 << 20) - 3, 'a') + "\n";
    const char* const refused =
        "in.txt: the input is UTF-8 with Cyrillic letters, not Windows-1251";
    // Asked, input, then the encoding read in and the word (UTF-8), or the whole message.
    const std::tuple<TInputEncoding, std::string, TInputEncoding, const char*> cases[] = {
        {Auto, "кот 5\n", Utf8, "кот"},
        {Auto, ToCp1251("кот 5\n"), Cp1251, "кот"},
        {Auto, longComment + "кот 5\n", Utf8, "кот"},
        {Auto, longComment + ToCp1251("кот 5\n"), Cp1251, "кот"},
        {Auto, ToCp1251("5 Р"), Cp1251, "Р"},  // a lead byte last
        {Cp1251, "café 5\n", Cp1251, "cafГ©"},
        {Cp1251, longComment + "кот 5\n", Cp1251, refused},
    };
    for (const auto& [asked, input, read, wordOrMessage] : cases) {
        SCOPED_TRACE(input.substr(input.size() < 16 ? 0 : input.size() - 16));
        TDictionaryBuilder builder({.Encoding = asked});
        std::istringstream in(input);
        if (wordOrMessage == refused) {
            EXPECT_THAT([&] { builder.AddStream(in, "in.txt"); },
                        ThrowsMessage<EInputError>(ToCp1251(refused)));
        } else {
            EXPECT_EQ(builder.AddStream(in, "in.txt"), read);
            EXPECT_THAT(EntriesOf(builder.Result()), ElementsAre(std::pair(wordOrMessage, 5)));
        }
    }
}

TEST(DictionaryBuilder, DropsWordsWithoutAWindows1251FormAndCountsThemOnce)
{
    TDictionaryBuilder builder(ListOptions());
    builder.AddText("snow☃ 1\nкот 2\nsnow☃ 3\nçà 4\nсло\u0301во 5\n", "in.txt");
    const TBuiltDictionary dictionary = builder.Result();
    EXPECT_THAT(EntriesOf(dictionary), ElementsAre(std::pair("кот", 2)));
    EXPECT_EQ(dictionary.DroppedWords, 3u);
    EXPECT_THAT(dictionary.DroppedExamples, ElementsAre("snow☃", "çà", "сло\u0301во"));
    EXPECT_EQ(dictionary.Total, 2);

    // The undefined byte 0x98 of Windows-1251 input has no form either.
    TBuildOptions list = ListOptions();
    list.Encoding = TInputEncoding::Cp1251;
    TDictionaryBuilder cp1251(list);
    cp1251.AddText("ab\x98 1", "in.txt");
    EXPECT_THAT(cp1251.Result().DroppedExamples, ElementsAre("ab\uFFFD"));
}

TEST(DictionaryBuilder, ShowsTheFirstTenDroppedWords)
{
    TDictionaryBuilder builder(TextOptions());
    // é is a letter that Windows-1251 lacks.
    builder.AddText("aé bé cé dé eé fé gé hé ié jé ké lé aé кот", "in.txt");
    const TBuiltDictionary dictionary = builder.Result();
    EXPECT_EQ(dictionary.DroppedWords, 12u);
    EXPECT_THAT(dictionary.DroppedExamples,
                ElementsAre("aé", "bé", "cé", "dé", "eé", "fé", "gé", "hé", "ié", "jé"));
    EXPECT_THAT(EntriesOf(dictionary), ElementsAre(std::pair("кот", 1)));
}

TEST(DictionaryBuilder, SameWordGivenTwiceHasItsCountsAdded)
{
    TDictionaryBuilder builder(ListOptions());
    builder.AddText("кот 2\nпёс 1\n", "a.txt");
    builder.AddText("3 кот\nпёс\t-1\n", "b.txt");
    const TBuiltDictionary dictionary = builder.Result();
    EXPECT_THAT(EntriesOf(dictionary), ElementsAre(std::pair("кот", 5), std::pair("пёс", 0)));
    EXPECT_EQ(dictionary.Total, 5);
}

TEST(DictionaryBuilder, CountBeyond32BitsSignedIsAnErrorNamingTheWord)
{
    // Input, then the whole message ("" when it is accepted).
    const std::pair<const char*, const char*> cases[] = {
        {"кот 2147483647", ""},
        {"кот -2147483648", ""},
        {"кот 2147483647\nкот -1\nкот 1", ""},
        {"кот 2147483647\nпёс 1\nкот 1",
         "in.txt:3: the count of \"кот\" does not fit 32 bits signed (it comes to 2147483648)"},
        {"кот -2147483649",
         "in.txt:1: the count of \"кот\" does not fit 32 bits signed (it comes to -2147483649)"},
        {"кот 99999999999999999999", "in.txt:1: the count of \"кот\" does not fit 32 bits signed"},
        {"кот 0000000000000000000000000001", ""},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        TDictionaryBuilder builder(ListOptions());
        if (*message == '\0') {
            EXPECT_NO_THROW(builder.AddText(text, "in.txt"));
        } else {
            EXPECT_THAT([&] { builder.AddText(text, "in.txt"); },
                        ThrowsMessage<EInputError>(ToCp1251(message)));
        }
    }
}

TEST(DictionaryBuilder, OrdersByCountThenByteOrderOrKeepsTheInputOrder)
{
    const char* const list = "б 2\nа 2\nв 5\nA 2\nя 1\nЁ 2\nа 1\n";
    // Ё is 0xA8 in Windows-1251: after Latin, before а.
    EXPECT_THAT(Build(ListOptions(), list),
                ElementsAre(std::pair("в", 5), std::pair("а", 3), std::pair("A", 2),
                            std::pair("Ё", 2), std::pair("б", 2), std::pair("я", 1)));
    TBuildOptions keep = ListOptions();
    keep.KeepOrder = true;
    EXPECT_THAT(Build(keep, list),
                ElementsAre(std::pair("б", 2), std::pair("а", 3), std::pair("в", 5),
                            std::pair("A", 2), std::pair("я", 1), std::pair("Ё", 2)));
}

TEST(DictionaryBuilder, AddFileReportsAFileThatCannotBeRead)
{
    const TTempFolder folder;
    TDictionaryBuilder builder(ListOptions());
    EXPECT_THAT([&] { builder.AddFile(folder.Path() + "/none.txt"); },
                ThrowsMessage<EFileError>("Cannot open file \"" + folder.Path() +
                                          "/none.txt\". No such file or directory"));
    EXPECT_THAT(
        [&] { builder.AddFile(folder.Path()); },
        ThrowsMessage<EFileError>("Cannot read file \"" + folder.Path() + "\". Is a directory"));
    builder.AddFile(folder.Write("list.txt", "кот 1\nпёс 2"));
    EXPECT_THAT(EntriesOf(builder.Result()), ElementsAre(std::pair("пёс", 2), std::pair("кот", 1)));
}

// Make and load: the loader gives back the words and counts the builder gathered.
TEST(DictionaryBuilder, LoaderReadsBackWhatWasWritten)
{
    const TTempFolder folder;
    ClearWordStore();
    TBuildOptions options;
    options.Format = TInputFormat::Text;
    options.Lower = true;
    TDictionaryBuilder builder(options);
    builder.AddText("Кот и пёс. Кот и ёж-то! Кот", "a.txt");
    WriteDictionaryPair(folder.Path(), "zoo", builder.Result(), false);

    TRecordingLoadView view;
    ScanDictionaryFolder(folder.Path(), view);
    EXPECT_THAT(view.Rows, ElementsAre("zoo (4 слов)"));
    EXPECT_THAT(view.Warnings, IsEmpty());
    EXPECT_THAT(view.Errors, IsEmpty());
    ASSERT_EQ(DictWords.size(), 1u);
    std::vector<std::string> words;
    for (std::size_t j = 0; j < DictWords[0].size(); ++j) {
        words.push_back(ToUtf8(DictWords[0][j]));
    }
    EXPECT_THAT(words, ElementsAre("кот", "и", "ёж-то", "пёс"));
    EXPECT_THAT(DictCounts[0], ElementsAre(3, 2, 1, 1));
    ClearWordStore();
}

}  // namespace
