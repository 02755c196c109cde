// Tests of the dictionary loader: line rules, count files, the folder scan and its reports.

#include "wordstore/word_store.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/child_process.h"
#include "tests/support/recording_load_view.h"
#include "tests/support/temp_folder.h"
#include "wordstore/dictionary_check.h"
#include "wordstore/encoding.h"
#include "wordstore/pair_reader.h"
#include "wordstore/path_utils.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::vector<std::string> WordsOf(std::size_t slot)
{
    std::vector<std::string> words;
    for (std::size_t j = 0; j < DictWords[slot].size(); ++j) {
        words.emplace_back(DictWords[slot][j]);
    }
    return words;
}

class LoadDictionary : public ::testing::Test
{
protected:
    void SetUp() override { ClearWordStore(); }
    void TearDown() override { ClearWordStore(); }

    TTempFolder m_folder;
    TRecordingLoadView m_view;
};

TEST_F(LoadDictionary, SplitsLinesAtCrLfLfCrAndStopsAtNul)
{
    // Word list bytes, then the words they hold.
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"\r\na", {"", "a"}},
        {"a\n\n", {"a", ""}},
        {"a\r\r\nb", {"a", "", "b"}},
        {std::string("a\r\nb\0c\r\n", 8), {"a", "b"}},
        {std::string("\0a\r\n", 4), {}},
        {"", {}},
        {"\r\n", {""}},
        {" a \t", {" a \t"}},
    };
    for (const auto& [bytes, words] : cases) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        ClearWordStore();
        const std::string path = m_folder.Write("d.txt", bytes);
        m_folder.Write("d.txt.cnt", std::string(4 * words.size(), '\1'));
        ::LoadDictionary(path, m_view);
        ASSERT_EQ(DictWords.size(), 1u);
        EXPECT_EQ(WordsOf(0), words);
        EXPECT_EQ(DictCounts[0].size(), words.size());
    }
    EXPECT_THAT(m_view.Warnings, IsEmpty());
}

TEST_F(LoadDictionary, AcceptsCountFileOnlyWhenItsWholeIntegersMatchTheWords)
{
    // Spare bytes beyond the last whole count, and whether the pair is accepted.
    const std::pair<int, bool> cases[] = {{0, true}, {3, true}, {4, false}, {-1, false}};
    for (const auto& [spare, accepted] : cases) {
        SCOPED_TRACE(spare);
        ClearWordStore();
        m_view = TRecordingLoadView();
        const std::string path = m_folder.Write("pair.txt", "a\r\nb\r\n");
        m_folder.Write("pair.txt.cnt", std::string(static_cast<std::size_t>(8 + spare), '\0'));
        ::LoadDictionary(path, m_view);
        EXPECT_EQ(DictWords.size(), accepted ? 1u : 0u);
        EXPECT_EQ(m_view.Rows.size(), accepted ? 1u : 0u);
        EXPECT_EQ(m_view.Warnings.size(), accepted ? 0u : 1u);
    }
    EXPECT_EQ(m_view.Warnings.at(0),
              "Внимание! Словарь \"pair\" был изменён вручную или повреждён и не может более "
              "использоваться.");
}

TEST_F(LoadDictionary, EmptyWordListWithShortCountFileIsListedWithZeroTotal)
{
    const std::string path = m_folder.Write("empty.txt", "");
    m_folder.Write("empty.txt.cnt", "xyz");
    ::LoadDictionary(path, m_view);
    EXPECT_THAT(m_view.Rows, ElementsAre("empty (0 слов)"));
    EXPECT_EQ(DictTotals.at(0), 0.0);
}

TEST_F(LoadDictionary, TakesCountsAsTheyStandAndSumsTheTotalInMillions)
{
    const std::string path = m_folder.Write("my.dict.txt", "a\r\nb\r\nc\r\n");
    m_folder.Write("my.dict.txt.cnt", Counts({3000000, -1000000, 0x7FFFFFFF}));
    ::LoadDictionary(path, m_view);
    EXPECT_THAT(m_view.Names, ElementsAre("my.dict"));
    EXPECT_THAT(m_view.Rows, ElementsAre("my.dict (3 слов)"));
    EXPECT_THAT(DictCounts.at(0), ElementsAre(3000000, -1000000, 0x7FFFFFFF));
    EXPECT_DOUBLE_EQ(DictTotals.at(0), 2.0 + 2147.483647);
}

TEST_F(LoadDictionary, AllZeroCountsGiveAListedDictionaryWithZeroTotal)
{
    const std::string path = m_folder.Write("z.txt", "a\r\nb");
    m_folder.Write("z.txt.cnt", Counts({0, 0}));
    ::LoadDictionary(path, m_view);
    EXPECT_THAT(m_view.Rows, ElementsAre("z (2 слов)"));
    EXPECT_EQ(DictTotals.at(0), 0.0);
}

// Past 2 MiB the word block, the offsets and the counts all live in huge-page allocations.
TEST_F(LoadDictionary, ListOverTwoMiBKeepsEveryWordAndCount)
{
    constexpr std::int32_t kWords = 600000;
    std::string words;
    std::vector<std::int32_t> counts;
    for (std::int32_t j = 0; j < kWords; ++j) {
        words += 'w';
        words += std::to_string(1000000 + j);
        words += "\r\n";
        counts.push_back(j);
    }
    const std::string path = m_folder.Write("big.txt", words);
    m_folder.Write("big.txt.cnt", Counts(counts));
    ::LoadDictionary(path, m_view);

    EXPECT_THAT(m_view.Rows, ElementsAre("big (600000 слов)"));
    ASSERT_EQ(DictWords.size(), 1u);
    EXPECT_EQ(DictWords[0].BlockBytes(), 4800000u);
    // A word's index, then the word and its count.
    const struct
    {
        std::size_t Index;
        const char* Word;
        std::int32_t Count;
    } cases[] = {
        {0, "w1000000", 0},           {262144, "w1262144", 262144}, {524287, "w1524287", 524287},
        {599998, "w1599998", 599998}, {599999, "w1599999", 599999},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Index);
        EXPECT_EQ(DictWords[0][c.Index], c.Word);
        EXPECT_EQ(DictCounts[0].at(c.Index), c.Count);
    }
    // 0 + 1 + ... + 599999 = 179999700000.
    EXPECT_NEAR(DictTotals.at(0), 179999.7, 1e-4);
}

TEST_F(LoadDictionary, MissingCountFileOrDirectoryIsSkippedSilently)
{
    const std::string lonely = m_folder.Write("lonely.txt", "a\r\n");
    m_folder.Write("dir.txt/inner", "");
    m_folder.Write("dir.txt.cnt", Counts({1}));
    ::LoadDictionary(lonely, m_view);
    ::LoadDictionary(m_folder.Path() + "/dir.txt", m_view);
    ::LoadDictionary(m_folder.Path() + "/absent.txt", m_view);
    EXPECT_TRUE(DictWords.empty());
    EXPECT_THAT(m_view.Rows, IsEmpty());
    EXPECT_THAT(m_view.Warnings, IsEmpty());
}

class ScanDictionaryFolder : public LoadDictionary
{};

TEST_F(ScanDictionaryFolder, LoadsPairsInByteOrderOfNamesAndSkipsDamagedOnes)
{
    m_folder.WritePair("c", {"в"}, {1});
    m_folder.WritePair("A", {"а", "б"}, {1, 2});
    m_folder.Write("B.TXT", "x\r\ny\r\n");
    m_folder.Write("B.TXT.cnt", Counts({1}));  // one count short
    m_folder.WritePair("b", {"г"}, {4});
    m_folder.Write("notes.md", "not a dictionary");
    m_folder.Write("sub/inner.txt", "a");
    ::ScanDictionaryFolder(m_folder.Path(), m_view);
    EXPECT_THAT(m_view.Rows, ElementsAre("A (2 слов)", "b (1 слов)", "c (1 слов)"));
    EXPECT_THAT(m_view.Warnings, ElementsAre(HasSubstr("\"B\"")));
    ASSERT_EQ(DictWords.size(), 3u);
    EXPECT_THAT(WordsOf(1), ElementsAre(ToCp1251("г")));
    EXPECT_EQ(DictTotals[1], 4.0 / 1000000.0);
}

TEST_F(ScanDictionaryFolder, RowsGiveThePathsOfTheFilesAsTheyWereRead)
{
    m_folder.Write("Big.TXT", "а\r\n");
    m_folder.Write("Big.TXT.cnt", Counts({1}));
    m_folder.WritePair("small", {"б"}, {1});
    ::ScanDictionaryFolder(m_folder.Path(), m_view);
    const std::string folder = m_folder.Path();
    EXPECT_THAT(m_view.Paths, ElementsAre(folder + "/Big.TXT " + folder + "/Big.TXT.cnt",
                                          folder + "/small.txt " + folder + "/small.txt.cnt"));
}

TEST_F(ScanDictionaryFolder, FollowsLinksToRegularFilesAndSkipsOtherEntries)
{
    const std::string target = m_folder.WritePair("store/real", {"кот"}, {5});
    ASSERT_EQ(symlink(target.c_str(), (m_folder.Path() + "/linked.txt").c_str()), 0);
    ASSERT_EQ(symlink((target + ".cnt").c_str(), (m_folder.Path() + "/linked.txt.cnt").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (m_folder.Path() + "/dangling.txt").c_str()), 0);
    ASSERT_EQ(mkfifo((m_folder.Path() + "/pipe.txt").c_str(), 0600), 0);
    m_folder.Write("pipe.txt.cnt", "");
    ::ScanDictionaryFolder(m_folder.Path(), m_view);
    EXPECT_THAT(m_view.Rows, ElementsAre("linked (1 слов)"));
    EXPECT_THAT(m_view.Errors, IsEmpty());
}

TEST_F(ScanDictionaryFolder, CreatesAMissingFolderWithItsParents)
{
    const std::string folder = m_folder.Path() + "/a/b/Словари";
    ::ScanDictionaryFolder(folder, m_view);
    struct stat info
    {};
    EXPECT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_THAT(m_view.Rows, IsEmpty());
}

// Issue 2: a file that cannot be read used to end the whole scan.
TEST_F(ScanDictionaryFolder, UnreadableFileIsReportedAndTheScanGoesOn)
{
    const TWithoutOverrideOfFileRights asOwner;
    m_folder.WritePair("a", {"кот"}, {1});
    const std::string locked = m_folder.WritePair("b", {"пёс"}, {1});
    m_folder.WritePair("c", {"ёж"}, {1});
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    const int probe = open(locked.c_str(), O_RDONLY);
    if (probe >= 0) {
        close(probe);
        GTEST_SKIP() << "this process reads files whatever their rights";
    }
    ::ScanDictionaryFolder(m_folder.Path(), m_view);
    EXPECT_THAT(m_view.Rows, ElementsAre("a (1 слов)", "c (1 слов)"));
    EXPECT_THAT(m_view.Errors, ElementsAre("Cannot open file \"" + m_folder.Path() +
                                           "/b.txt\". Permission denied"));
}

// Count files from 1 MiB on are read beside the words; small ones after them. Either way the
// word list's error is the one reported, and a count file's own error names it.
TEST_F(ScanDictionaryFolder, UnreadableFilesOfLargeAndSmallPairsReportTheSameFile)
{
    const TWithoutOverrideOfFileRights asOwner;
    std::vector<std::string> words;
    for (int j = 0; j < 300000; ++j) {
        std::string& word = words.emplace_back("w");
        word += std::to_string(j);
    }
    const std::vector<std::int32_t> counts(words.size(), 1);
    // Words in the pair, which of its files are locked, then the file the error names.
    const struct
    {
        std::size_t Words;
        bool LockWords;
        bool LockCounts;
        const char* Named;
    } cases[] = {
        {300000, true, true, "p.txt"},      {300000, true, false, "p.txt"},
        {300000, false, true, "p.txt.cnt"}, {3, true, true, "p.txt"},
        {3, false, true, "p.txt.cnt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.Words << " words, " << c.Named);
        ClearWordStore();
        m_view = TRecordingLoadView();
        const TTempFolder folder;
        const std::string path =
            folder.WritePair("p", std::vector<std::string>(words.begin(), words.begin() + c.Words),
                             std::vector<std::int32_t>(counts.begin(), counts.begin() + c.Words));
        folder.WritePair("q", {"кот"}, {1});
        if (c.LockWords) {
            ASSERT_EQ(chmod(path.c_str(), 0), 0);
        }
        if (c.LockCounts) {
            ASSERT_EQ(chmod((path + ".cnt").c_str(), 0), 0);
        }
        const int probe = open((path + ".cnt").c_str(), O_RDONLY);
        if (probe >= 0) {
            close(probe);
            if (c.LockCounts) {
                GTEST_SKIP() << "this process reads files whatever their rights";
            }
        }
        ::ScanDictionaryFolder(folder.Path(), m_view);
        EXPECT_THAT(m_view.Rows, ElementsAre("q (1 слов)"));
        EXPECT_THAT(m_view.Errors, ElementsAre("Cannot open file \"" + folder.Path() + "/" +
                                               c.Named + "\". Permission denied"));
    }
}

// Wants the words of the stems it names only.
class TPickingLoadView : public TRecordingLoadView
{
public:
    explicit TPickingLoadView(std::vector<std::string> wanted)
        : m_wanted(std::move(wanted))
    {}
    bool WantsWords(const std::string& stem) const override
    {
        return std::find(m_wanted.begin(), m_wanted.end(), stem) != m_wanted.end();
    }

private:
    std::vector<std::string> m_wanted;
};

TEST_F(ScanDictionaryFolder, DictionariesWhoseWordsAreNotWantedAreListedAndWarnedAlike)
{
    // Pairs of every kind the loader tells apart: fitting, damaged, cut by a NUL, with spare
    // count bytes, empty, large enough for both cores, and one that cannot be read.
    const TWithoutOverrideOfFileRights asOwner;
    m_folder.WritePair("a", {"кот", "пёс"}, {1, 2});
    m_folder.Write("b.txt", "x\r\ny\r\n");
    m_folder.Write("b.txt.cnt", Counts({1}));
    m_folder.Write("c.txt", std::string("x\ry\0z\n", 6));
    m_folder.Write("c.txt.cnt", Counts({3, 4}) + "zz");
    m_folder.Write("d.txt", "");
    m_folder.Write("d.txt.cnt", "");
    std::string big;
    for (int j = 0; j < 400000; ++j) {
        big += 'w';
        big += std::to_string(j);
        big += j % 3 == 0 ? "\n" : "\r\n";
    }
    m_folder.Write("e.txt", big);
    m_folder.Write("e.txt.cnt", Counts(std::vector<std::int32_t>(400000, 2)));
    const std::string locked = m_folder.WritePair("f", {"ёж"}, {1});
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    const int probe = open(locked.c_str(), O_RDONLY);
    if (probe >= 0) {
        close(probe);
        GTEST_SKIP() << "this process reads files whatever their rights";
    }
    m_folder.WritePair("g", {"кит"}, {5});

    ::ScanDictionaryFolder(m_folder.Path(), m_view);
    const std::vector<TWordList> allWords = std::move(DictWords);
    const std::vector<double> allTotals = DictTotals;
    const std::vector<std::vector<std::string>> pickings = {{}, {"a"}, {"c", "e"}, {"e", "g"}};
    for (const std::vector<std::string>& wanted : pickings) {
        SCOPED_TRACE(::testing::PrintToString(wanted));
        ClearWordStore();
        TPickingLoadView picking(wanted);
        ::ScanDictionaryFolder(m_folder.Path(), picking);
        EXPECT_EQ(picking.Names, m_view.Names);
        EXPECT_EQ(picking.Rows, m_view.Rows);
        EXPECT_EQ(picking.Warnings, m_view.Warnings);
        EXPECT_EQ(picking.Errors, m_view.Errors);
        ASSERT_EQ(DictWords.size(), allWords.size());
        for (std::size_t slot = 0; slot < DictWords.size(); ++slot) {
            const bool taken = std::count(wanted.begin(), wanted.end(), picking.Names[slot]) > 0;
            EXPECT_EQ(DictWords[slot].size(), taken ? allWords[slot].size() : 0u);
            EXPECT_EQ(DictCounts[slot].size(), DictWords[slot].size());
            EXPECT_EQ(DictTotals[slot], taken ? allTotals[slot] : 0.0);
        }
    }
    EXPECT_THAT(m_view.Rows, ElementsAre("a (2 слов)", "c (2 слов)", "d (0 слов)",
                                         "e (400000 слов)", "g (1 слов)"));
    EXPECT_THAT(m_view.Warnings, ElementsAre(HasSubstr("\"b\"")));
    EXPECT_THAT(m_view.Errors, ElementsAre(HasSubstr("f.txt")));
}

// The bytes read() and its kind have given this process so far; 0 when the system does not tell.
std::uint64_t BytesReadSoFar()
{
    std::ifstream io("/proc/self/io");
    std::string field;
    std::uint64_t value = 0;
    while (io >> field >> value && field != "rchar:") {
    }
    return field == "rchar:" ? value : 0;
}

TEST_F(ScanDictionaryFolder, PairsTooLargeToBeADictionaryAreRefusedFromTheirSizesUnread)
{
    // Sparse 4 GiB files: a word list too large to split, and more counts than a list has bytes.
    const std::string hugeList = m_folder.WritePair("huge", {}, {});
    const std::string manyCounts = m_folder.WritePair("many", {"кот"}, {1}) + ".cnt";
    ASSERT_EQ(truncate(hugeList.c_str(), off_t{1} << 32), 0);
    ASSERT_EQ(truncate(manyCounts.c_str(), off_t{1} << 32), 0);
    const std::uint64_t before = BytesReadSoFar();
    for (const std::vector<std::string>& wanted : {std::vector<std::string>{"huge", "many"}, {}}) {
        TPickingLoadView view(wanted);
        ::ScanDictionaryFolder(m_folder.Path(), view);
        EXPECT_THAT(view.Warnings, ElementsAre(HasSubstr("\"many\"")));
        EXPECT_THAT(view.Errors,
                    ElementsAre("Cannot read file \"" + hugeList + "\". File too large"));
    }
    const std::vector<TCandidateCheck> checks = CheckFolder(m_folder.Path()).Candidates;
    ASSERT_EQ(checks.size(), 2u);
    EXPECT_EQ(checks[0].Detail, "Cannot read file \"" + hugeList + "\". File too large");
    EXPECT_EQ(checks[1].Verdict, TVerdict::CountFileSizeMismatch);
    EXPECT_EQ(checks[1].CountFileBytes, std::uint64_t{1} << 32);
    if (before == 0) {
        GTEST_SKIP() << "the system does not tell the bytes a process reads";
    }
    EXPECT_LT(BytesReadSoFar() - before, 1u << 20);
}

TEST(ReadCounts, KeepsEveryWholeCountAndTheSpareBytesInTheFileSize)
{
    const TTempFolder folder;
    // Bytes of the count file, then its counts and its total.
    const struct
    {
        std::string Bytes;
        std::vector<std::int32_t> Counts;
        double Total;
    } cases[] = {
        {"", {}, 0.0},
        {"ab", {}, 0.0},
        {Counts({2000000, -500000}), {2000000, -500000}, 1.5},
        {Counts({7}) + "xyz", {7}, 7e-6},
        {Counts({1, 2, 3}) + "z", {1, 2, 3}, 1e-6 + 2e-6 + 3e-6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Bytes));
        const TCountFile file = ReadCounts(folder.Write("c.cnt", c.Bytes));
        EXPECT_FALSE(file.Fits);
        EXPECT_EQ(file.FileBytes, c.Bytes.size());
        EXPECT_THAT(file.Counts, ::testing::ElementsAreArray(c.Counts));
        EXPECT_EQ(file.Total, c.Total);
    }
}

TEST(PathHelpers, CutAtTheLastSlashAndTheLastDot)
{
    EXPECT_EQ(FileNameOnly("/x/y/my.dict.txt"), "my.dict.txt");
    EXPECT_EQ(FileNameOnly("plain.txt"), "plain.txt");
    EXPECT_EQ(FileNameOnly("/x/y/"), "");
    EXPECT_EQ(StripExtension("my.dict.txt"), "my.dict");
    EXPECT_EQ(StripExtension("noext"), "noext");
    EXPECT_EQ(StripExtension(".txt"), "");
}

TEST(PathHelpers, JoinPathPutsOneSlashBetweenFolderAndName)
{
    // Folder and name, then the joined path.
    const struct
    {
        const char* Folder;
        const char* Name;
        const char* Path;
    } cases[] = {
        {"/x/y", "a.txt", "/x/y/a.txt"},
        {"/x/y/", "a.txt", "/x/y/a.txt"},
        {"/", "a.txt", "/a.txt"},
        {"rel", "Ёж.txt.cnt", "rel/Ёж.txt.cnt"},
        {"x//", "a", "x//a"},  // only a missing slash is added; none is taken away
        {"", "a.txt", "/a.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Folder) + " + " + c.Name);
        EXPECT_EQ(JoinPath(c.Folder, c.Name), c.Path);
    }
}

TEST(PathHelpers, ExeDirIsTheTestProgramsFolderWithTrailingSlash)
{
    InitExeDir();
    ASSERT_FALSE(ExeDir.empty());
    EXPECT_EQ(ExeDir.back(), '/');
    EXPECT_EQ(access((ExeDir + "wordstore_test").c_str(), X_OK), 0);
}

TEST_F(LoadDictionary, FifoFoundWhereAFileWasLookedAtIsRefusedWithoutWaiting)
{
    // The loader and the check look at a pair, then read it; a FIFO put there meanwhile reaches
    // the readers. Each read runs in a child that an alarm ends, so that a hang fails the test.
    const std::string fifo = m_folder.Path() + "/pipe.txt";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(symlink(fifo.c_str(), (m_folder.Path() + "/link.txt").c_str()), 0);
    const std::string refused = "Cannot read file \"" + fifo + "\". Not a regular file";
    const std::string link = m_folder.Path() + "/link.txt";
    // Which reader, the path given to it, then the message it must throw.
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"word list", fifo, refused},
        {"count file", fifo, refused},
        {"word list through a link", link, "Cannot read file \"" + link + "\". Not a regular file"},
    };
    for (const auto& [reader, path, message] : cases) {
        SCOPED_TRACE(reader);
        const bool countFile = std::string(reader) == "count file";
        const int status = RunInChild(
            [&, path = path, message = message] {
                try {
                    if (countFile) {
                        ReadCountFile(path, 1);
                    } else {
                        ReadWordListFile(path);
                    }
                } catch (const EFileError& e) {
                    return e.what() == message ? 0 : 1;
                }
                return 2;
            },
            5);
        EXPECT_EQ(status, 0) << "1: another message, 2: read, 142: blocked";
    }
}

TEST_F(ScanDictionaryFolder, NamesThatBreakLinesOrAreNoUtf8GiveOneLineRowsThatStayApart)
{
    // Each stem is written as a pair of one word; the rows come in byte order of the names.
    const std::pair<std::string, const char*> cases[] = {
        {"a\nb", "a\\x0Ab (1 слов)"},
        {"c\\d", "c\\\\d (1 слов)"},
        {"кот", "кот (1 слов)"},
        {"日本", "?? (1 слов)"},  // the code page lacks them
        {"\xEA\xEE\xF2", "\\xEA\\xEE\\xF2 (1 слов)"},
        {"\xFE", "\\xFE (1 слов)"},
        {"\xFF", "\\xFF (1 слов)"},
    };
    std::vector<std::string> stems;
    std::vector<std::string> rows;
    for (const auto& [stem, row] : cases) {
        m_folder.WritePair(stem, {"ёж"}, {1});
        stems.push_back(stem);
        rows.push_back(row);
    }
    m_folder.Write("\x01\xFF.txt", "a\r\nb\r\n");
    m_folder.Write("\x01\xFF.txt.cnt", Counts({1}));
    ::ScanDictionaryFolder(m_folder.Path(), m_view);
    EXPECT_EQ(m_view.Names, stems);
    EXPECT_EQ(m_view.Rows, rows);
    EXPECT_THAT(m_view.Warnings, ElementsAre(HasSubstr("\"\\x01\\xFF\"")));
}

// Records the folder's error apart from the load errors.
class TFolderErrorView : public TRecordingLoadView
{
public:
    void ReportFolderError(const std::string& message) override
    {
        FolderErrors.push_back(ToUtf8(message));
    }
    std::vector<std::string> FolderErrors;
};

TEST_F(ScanDictionaryFolder, AFolderThatCannotBeListedIsReportedNotTakenForEmpty)
{
    const std::string file = m_folder.Write("file", "not a folder");
    // A folder, then the reason the scan gives.
    const std::pair<std::string, const char*> cases[] = {
        {file, "Not a directory"},
        {file + "/Словари", "Not a directory"},
    };
    for (const auto& [folder, reason] : cases) {
        SCOPED_TRACE(folder);
        TFolderErrorView view;
        ::ScanDictionaryFolder(folder, view);
        EXPECT_THAT(view.FolderErrors,
                    ElementsAre("Cannot open folder \"" + folder + "\". " + reason));
        EXPECT_THAT(view.Errors, IsEmpty());
        EXPECT_THAT(view.Rows, IsEmpty());
    }
}

TEST_F(ScanDictionaryFolder, AFolderWithoutTheRightToReadItIsALoadErrorByDefault)
{
    const TWithoutOverrideOfFileRights asOwner;
    const std::string folder = m_folder.Path() + "/locked";
    m_folder.WritePair("locked/a", {"кот"}, {1});
    ASSERT_EQ(chmod(folder.c_str(), 0), 0);
    DIR* const probe = opendir(folder.c_str());
    if (probe != nullptr) {
        closedir(probe);
        chmod(folder.c_str(), 0755);
        GTEST_SKIP() << "this process lists folders whatever their rights";
    }
    ::ScanDictionaryFolder(folder, m_view);
    chmod(folder.c_str(), 0755);
    EXPECT_THAT(m_view.Errors,
                ElementsAre("Cannot open folder \"" + folder + "\". Permission denied"));
    EXPECT_THAT(m_view.Rows, IsEmpty());
}

TEST_F(ScanDictionaryFolder, LoadsAReadOnlyFolder)
{
    const TWithoutOverrideOfFileRights asOwner;
    m_folder.WritePair("a", {"кот", "пёс"}, {2, 1});
    ASSERT_EQ(chmod(m_folder.Path().c_str(), 0555), 0);
    const int probe = open((m_folder.Path() + "/probe").c_str(), O_RDONLY | O_CREAT, 0600);
    if (probe >= 0) {
        close(probe);
        chmod(m_folder.Path().c_str(), 0755);
        GTEST_SKIP() << "this process writes files whatever their rights";
    }
    ::ScanDictionaryFolder(m_folder.Path(), m_view);
    chmod(m_folder.Path().c_str(), 0755);
    EXPECT_THAT(m_view.Rows, ElementsAre("a (2 слов)"));
    EXPECT_THAT(m_view.Errors, IsEmpty());
}

}  // namespace
