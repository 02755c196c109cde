// Tests of the folder check: a verdict for each candidate in scan order, and the notes on what is
// legal but suspicious.

#include "wordstore/dictionary_check.h"

#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"
#include "wordstore/file_io.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::ThrowsMessage;

// The check of one candidate in a few words, for whole-list comparisons.
std::string Summary(const TCandidateCheck& check)
{
    switch (check.Verdict) {
        case TVerdict::Listed:
            return check.FileName + ": " + ToUtf8(check.RowText);
        case TVerdict::NotRegularFile:
            return check.FileName + ": not regular, " + check.Detail;
        case TVerdict::CountFileMissing:
            return check.FileName + ": no count file";
        case TVerdict::CountFileNotRegular:
            return check.FileName + ": count file not regular, " + check.Detail;
        case TVerdict::CountFileSizeMismatch:
            return check.FileName + ": " + std::to_string(check.WordCount) + " words, " +
                   std::to_string(check.CountFileBytes) + " bytes";
        case TVerdict::Unreadable:
            return check.FileName + ": " + ToUtf8(check.Detail);
    }
    return {};
}

std::vector<std::string> Summaries(const std::string& folder)
{
    std::vector<std::string> lines;
    for (const TCandidateCheck& check : CheckFolder(folder).Candidates) {
        lines.push_back(Summary(check));
    }
    return lines;
}

TEST(CheckFolder, GivesEachCandidateItsVerdictInScanOrder)
{
    const TTempFolder folder;
    folder.WritePair("a", {"кот", "пёс"}, {1, 2});
    folder.Write("b.txt", "кот\r\n");
    folder.Write("c.txt", "a\r\nb\r\nc\r\n");
    folder.Write("c.txt.cnt", Counts({1, 2}) + "xyz");
    std::filesystem::create_directory(folder.Path() + "/d.txt");
    folder.WritePair("e", {"ёж"}, {3});
    std::filesystem::rename(folder.Path() + "/e.txt", folder.Path() + "/e.TXT");
    std::filesystem::rename(folder.Path() + "/e.txt.cnt", folder.Path() + "/e.TXT.cnt");
    std::filesystem::create_symlink(folder.Path() + "/nowhere", folder.Path() + "/f.txt");
    folder.Write("g.txt", "кот\r\n");
    std::filesystem::create_directory(folder.Path() + "/g.txt.cnt");
    folder.Write("h.txt.cnt", Counts({1}));
    folder.Write("readme.md", "");
    folder.WritePair("B", {"кот"}, {1});

    EXPECT_THAT(Summaries(folder.Path()),
                ElementsAre("B.txt: B (1 слов)", "a.txt: a (2 слов)", "b.txt: no count file",
                            "c.txt: 3 words, 11 bytes", "d.txt: not regular, a directory",
                            "e.TXT: e (1 слов)", "f.txt: not regular, a link to nothing",
                            "g.txt: count file not regular, a directory"));
}

TEST(CheckFolder, MissingOrEmptyFolderHasNoCandidates)
{
    const TTempFolder folder;
    EXPECT_THAT(CheckFolder(folder.Path()).Candidates, IsEmpty());
    EXPECT_THAT(CheckFolder(folder.Path() + "/none").Candidates, IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "/none"));
}

// The scan's tests and the command line's cover a folder without the right to read it.
TEST(CheckFolder, AFolderThatCannotBeListedThrowsInsteadOfLookingEmpty)
{
    const TTempFolder folder;
    const std::string file = folder.Write("file", "not a folder");
    EXPECT_THAT([&] { CheckFolder(file); },
                ThrowsMessage<EFileError>("Cannot open folder \"" + file + "\". Not a directory"));
}

TEST(CheckFolder, RowsSpellTheNamesAsLoadingDoes)
{
    const TTempFolder folder;
    folder.WritePair("a\nb", {"кот"}, {1});
    folder.WritePair("c\\d", {"кот"}, {1});
    folder.WritePair("\xFF", {"кот"}, {1});
    EXPECT_THAT(Summaries(folder.Path()),
                ElementsAre("a\nb.txt: a\\x0Ab (1 слов)", "c\\d.txt: c\\\\d (1 слов)",
                            "\xFF.txt: \\xFF (1 слов)"));
}

TEST(CheckFolder, FileThatCannotBeReadGivesTheSystemsReason)
{
    const TWithoutOverrideOfFileRights asOwner;
    const TTempFolder folder;
    const std::string words = folder.WritePair("a", {"кот"}, {1});
    const std::string counts = folder.WritePair("b", {"пёс"}, {1}) + ".cnt";
    ASSERT_EQ(chmod(words.c_str(), 0), 0);
    ASSERT_EQ(chmod(counts.c_str(), 0), 0);
    const int probe = open(words.c_str(), O_RDONLY);
    if (probe >= 0) {
        close(probe);
        GTEST_SKIP() << "this process reads files whatever their rights";
    }
    EXPECT_THAT(Summaries(folder.Path()),
                ElementsAre("a.txt: Cannot open file \"" + words + "\". Permission denied",
                            "b.txt: Cannot open file \"" + counts + "\". Permission denied"));
}

TEST(CheckFolder, WordListNotesStandWhenTheCountFileCannotBeRead)
{
    const TWithoutOverrideOfFileRights asOwner;
    const TTempFolder folder;
    folder.Write("x.txt", std::string("a\r\n\r\nb\0c", 8));
    const std::string counts = folder.Write("x.txt.cnt", Counts({1, 2, 3}));
    ASSERT_EQ(chmod(counts.c_str(), 0), 0);
    const int probe = open(counts.c_str(), O_RDONLY);
    if (probe >= 0) {
        close(probe);
        GTEST_SKIP() << "this process reads files whatever their rights";
    }
    const std::vector<TCandidateCheck> checks = CheckFolder(folder.Path()).Candidates;
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].Verdict, TVerdict::Unreadable);
    EXPECT_EQ(checks[0].Detail, "Cannot open file \"" + counts + "\". Permission denied");
    EXPECT_EQ(checks[0].WordCount, 3u);
    EXPECT_EQ(checks[0].EmptyWords, 1u);
    EXPECT_EQ(checks[0].FirstEmptyWord, 1u);
    ASSERT_TRUE(checks[0].NulOffset.has_value());
    EXPECT_EQ(*checks[0].NulOffset, 6u);
    EXPECT_EQ(checks[0].BytesAfterNul, 1u);
}

TEST(CheckFolder, NotesWhatIsLegalButSuspicious)
{
    // Word list bytes and counts, then the notes expected.
    const struct
    {
        std::string Words;
        std::string Counts;
        std::uint64_t EmptyWords;
        std::uint64_t FirstEmptyWord;
        std::int64_t NulOffset;  // -1: none
        std::uint64_t BytesAfterNul;
        std::uint64_t NegativeCounts;
        std::uint64_t FirstNegativeCount;
        bool ZeroTotal;
    } cases[] = {
        {"a\r\nb\r\n", Counts({1, 2}), 0, 0, -1, 0, 0, 0, false},
        {"a\r\n\r\nb\r\n\r\n", Counts({1, 2, 3, 4}), 2, 1, -1, 0, 0, 0, false},
        {"\r\na\r\n", Counts({1, 2}), 1, 0, -1, 0, 0, 0, false},
        {std::string("a\r\nb\0c\r\n", 8), Counts({1, 2}), 0, 0, 4, 3, 0, 0, false},
        {std::string("\0a", 2), "", 0, 0, 0, 1, 0, 0, true},
        {"a\r\nb\r\nc\r\n", Counts({5, -1, -2}), 0, 0, -1, 0, 2, 1, false},
        {"a\r\nb\r\n", Counts({0, 0}), 0, 0, -1, 0, 0, 0, true},
        {"a\r\nb\r\n", Counts({3, -3}), 0, 0, -1, 0, 1, 1, true},
        {"", "", 0, 0, -1, 0, 0, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Words) + " " + ::testing::PrintToString(c.Counts));
        const TTempFolder folder;
        folder.Write("x.txt", c.Words);
        folder.Write("x.txt.cnt", c.Counts);
        const std::vector<TCandidateCheck> checks = CheckFolder(folder.Path()).Candidates;
        ASSERT_EQ(checks.size(), 1u);
        const TCandidateCheck& check = checks[0];
        EXPECT_EQ(check.Verdict, TVerdict::Listed);
        EXPECT_EQ(check.EmptyWords, c.EmptyWords);
        if (c.EmptyWords > 0) {
            EXPECT_EQ(check.FirstEmptyWord, c.FirstEmptyWord);
        }
        EXPECT_EQ(check.NulOffset.has_value(), c.NulOffset >= 0);
        if (c.NulOffset >= 0) {
            EXPECT_EQ(*check.NulOffset, static_cast<std::uint64_t>(c.NulOffset));
            EXPECT_EQ(check.BytesAfterNul, c.BytesAfterNul);
        }
        EXPECT_EQ(check.NegativeCounts, c.NegativeCounts);
        if (c.NegativeCounts > 0) {
            EXPECT_EQ(check.FirstNegativeCount, c.FirstNegativeCount);
        }
        EXPECT_EQ(check.ZeroTotal, c.ZeroTotal);
    }
}

TEST(CheckFolder, SizeMismatchGivesBothNumbers)
{
    // Count file sizes for a list of 2 words, then whether they match.
    const std::pair<std::size_t, bool> cases[] = {
        {7, false}, {8, true}, {11, true}, {12, false}, {0, false},
    };
    for (const auto& [size, matches] : cases) {
        SCOPED_TRACE(size);
        const TTempFolder folder;
        folder.Write("x.txt", "a\nb\n");
        folder.Write("x.txt.cnt", std::string(size, '\0'));
        const std::vector<TCandidateCheck> checks = CheckFolder(folder.Path()).Candidates;
        ASSERT_EQ(checks.size(), 1u);
        EXPECT_EQ(checks[0].Verdict, matches ? TVerdict::Listed : TVerdict::CountFileSizeMismatch);
        EXPECT_EQ(checks[0].WordCount, 2u);
        EXPECT_EQ(checks[0].CountFileBytes, size);
    }
}

}  // namespace
