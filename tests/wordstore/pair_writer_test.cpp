// Tests of writing a dictionary pair: the bytes written, never replacing unless asked, and no
// trace left behind by a failure.

#include "wordstore/pair_writer.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/child_process.h"
#include "tests/support/recording_load_view.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"
#include "wordstore/file_io.h"
#include "wordstore/word_store.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::ThrowsMessage;

// The names in a folder, sorted.
std::vector<std::string> EntriesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Words given in UTF-8, as the pair holds them.
std::vector<std::string> Cp1251Words(const std::vector<std::string>& utf8Words)
{
    std::vector<std::string> words;
    for (const std::string& word : utf8Words) {
        words.push_back(ToCp1251(word));
    }
    return words;
}

class WriteDictionaryPair : public ::testing::Test
{
protected:
    TTempFolder m_folder;
};

TEST_F(WriteDictionaryPair, WritesCrLfAfterEachWordAndLittleEndianCounts)
{
    const TWrittenPair pair = ::WriteDictionaryPair(
        m_folder.Path(), "my.dict", Cp1251Words({"кот", "", "пёс"}), {5, 0, -2}, false);
    EXPECT_EQ(pair.WordListPath, m_folder.Path() + "/my.dict.txt");
    EXPECT_EQ(pair.CountFilePath, m_folder.Path() + "/my.dict.txt.cnt");
    EXPECT_EQ(pair.WordListBytes, 12u);
    EXPECT_EQ(pair.CountFileBytes, 12u);
    EXPECT_EQ(ReadFileBytes(pair.WordListPath), ToCp1251("кот\r\n\r\nпёс\r\n"));
    EXPECT_EQ(ReadFileBytes(pair.CountFilePath), Counts({5, 0, -2}));
    EXPECT_THAT(EntriesIn(m_folder.Path()), ElementsAre("my.dict.txt", "my.dict.txt.cnt"));
}

TEST_F(WriteDictionaryPair, NeverReplacesAnExistingFileOfThePairUnlessAsked)
{
    // The files already there.
    const std::vector<std::vector<std::string>> cases = {
        {"x.txt"},
        {"x.txt.cnt"},
        {"x.txt", "x.txt.cnt"},
    };
    for (const auto& existing : cases) {
        SCOPED_TRACE(::testing::PrintToString(existing));
        const TTempFolder folder;
        for (const std::string& name : existing) {
            folder.Write(name, "old");
        }
        EXPECT_THAT(
            [&] { ::WriteDictionaryPair(folder.Path(), "x", Cp1251Words({"кот"}), {1}, false); },
            ThrowsMessage<EPairExistsError>("The dictionary \"x\" already exists in \"" +
                                            folder.Path() + "\""));
        // Nothing of the pair is touched, and nothing is left beside it.
        EXPECT_EQ(EntriesIn(folder.Path()), existing);
        for (const std::string& name : existing) {
            EXPECT_EQ(ReadFileBytes(folder.Path() + "/" + name), "old");
        }
    }
}

TEST_F(WriteDictionaryPair, ReplacesAnExistingPairWhenAsked)
{
    m_folder.WritePair("x", {"старое", "слово"}, {1, 2});
    ::WriteDictionaryPair(m_folder.Path(), "x", Cp1251Words({"кот"}), {7}, true);
    EXPECT_EQ(ReadFileBytes(m_folder.Path() + "/x.txt"), ToCp1251("кот\r\n"));
    EXPECT_EQ(ReadFileBytes(m_folder.Path() + "/x.txt.cnt"), Counts({7}));
    EXPECT_THAT(EntriesIn(m_folder.Path()), ElementsAre("x.txt", "x.txt.cnt"));
}

TEST_F(WriteDictionaryPair, FailureLeavesTheFolderAsItWas)
{
    // A directory where the word list would go.
    std::filesystem::create_directory(m_folder.Path() + "/x.txt");
    m_folder.Write("x.txt.cnt", "old");
    EXPECT_THAT(
        [&] { ::WriteDictionaryPair(m_folder.Path(), "x", Cp1251Words({"кот"}), {1}, true); },
        ThrowsMessage<EFileError>("Cannot write file \"" + m_folder.Path() +
                                  "/x.txt\". Is a directory"));
    EXPECT_THAT(EntriesIn(m_folder.Path()), ElementsAre("x.txt", "x.txt.cnt"));
    EXPECT_EQ(ReadFileBytes(m_folder.Path() + "/x.txt.cnt"), "old");

    // A missing folder.
    EXPECT_THAT(
        [&] {
            ::WriteDictionaryPair(m_folder.Path() + "/none", "y", Cp1251Words({"кот"}), {1}, false);
        },
        ThrowsMessage<EFileError>("Cannot create file \"" + m_folder.Path() +
                                  "/none/y.txt\". No such file or directory"));
}

TEST_F(WriteDictionaryPair, FolderWithoutWriteRightsGetsNoFileAtAll)
{
    const TWithoutOverrideOfFileRights asOwner;
    const std::string folder = m_folder.Path() + "/locked";
    std::filesystem::create_directory(folder);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    const std::string probe = folder + "/probe";
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT, 0600);
    if (fd >= 0) {
        close(fd);
        unlink(probe.c_str());
        GTEST_SKIP() << "this process writes files whatever their rights";
    }
    EXPECT_THAT([&] { ::WriteDictionaryPair(folder, "x", Cp1251Words({"кот"}), {1}, false); },
                ThrowsMessage<EFileError>("Cannot create file \"" + folder +
                                          "/x.txt\". Permission denied"));
    EXPECT_THAT(EntriesIn(folder), IsEmpty());
}

// What loading makes of a folder, as the window sees it: the rows, then each slot's counts and
// the warnings, all in one text.
std::string LoadedText(const std::string& folder)
{
    ClearWordStore();
    TRecordingLoadView view;
    ScanDictionaryFolder(folder, view);
    std::string text;
    for (std::size_t slot = 0; slot < view.Rows.size(); ++slot) {
        text += view.Rows[slot] + ":";
        for (const std::int32_t count : DictCounts[slot]) {
            text += ' ';
            text += std::to_string(count);
        }
        text += "\n";
    }
    for (const std::string& message : view.Warnings) {
        text += "warning: " + message + "\n";
    }
    for (const std::string& message : view.Errors) {
        text += "error: " + message + "\n";
    }
    ClearWordStore();
    return text;
}

// A writing stopped after each step, by a kill or by a failure, leaves the old pair or the new
// one whole to loading, and the next writing (of another dictionary) cleans up.
TEST(InterruptedPairWriting, LoadingSeesTheOldOrTheNewPairWholeAndTheNextWriterCleansUp)
{
    const char* const oldPair = "x (2 слов): 1 2\n";
    const char* const newPair = "x (3 слов): 30 20 10\n";
    const char* const y = "y (1 слов): 5\n";
    // The step where the writing stops, whether an old pair was there, what loading then shows,
    // and what it shows after the next writing.
    const std::tuple<TPairWriteStep, bool, std::string, std::string> cases[] = {
        {TPairWriteStep::WordListWritten, true, oldPair, oldPair + std::string(y)},
        {TPairWriteStep::CountFileWritten, true, oldPair, oldPair + std::string(y)},
        {TPairWriteStep::WordListInPlace, true, newPair, newPair + std::string(y)},
        {TPairWriteStep::CountFileInPlace, true, newPair, newPair + std::string(y)},
        {TPairWriteStep::WordListWritten, false, "", y},
        {TPairWriteStep::CountFileWritten, false, "", y},
        {TPairWriteStep::WordListInPlace, false, newPair, newPair + std::string(y)},
        {TPairWriteStep::CountFileInPlace, false, newPair, newPair + std::string(y)},
    };
    for (const bool kill : {true, false}) {
        for (const auto& [stop, oldPairThere, loaded, loadedAfter] : cases) {
            SCOPED_TRACE(::testing::Message()
                         << (kill ? "killed" : "failed") << " after step " << static_cast<int>(stop)
                         << (oldPairThere ? ", replacing" : ""));
            const TTempFolder folder;
            if (oldPairThere) {
                folder.WritePair("x", {"старое", "слово"}, {1, 2});
            }
            const auto write = [&, stop = stop, oldPairThere = oldPairThere] {
                ::WriteDictionaryPair(folder.Path(), "x", Cp1251Words({"кот", "пёс", "ёж"}),
                                      {30, 20, 10}, oldPairThere, [&](TPairWriteStep step) {
                                          if (step != stop) {
                                              return;
                                          }
                                          if (kill) {
                                              _exit(0);
                                          }
                                          throw std::runtime_error("stopped");
                                      });
                return 1;
            };
            if (kill) {
                ASSERT_EQ(RunInChild(write), 0);
            } else {
                EXPECT_THROW(write(), std::runtime_error);
            }
            EXPECT_EQ(LoadedText(folder.Path()), loaded);

            ::WriteDictionaryPair(folder.Path(), "y", Cp1251Words({"ёж"}), {5}, false);
            EXPECT_EQ(LoadedText(folder.Path()), loadedAfter);
            EXPECT_THAT(EntriesIn(folder.Path()),
                        ::testing::IsSubsetOf({"x.txt", "x.txt.cnt", "y.txt", "y.txt.cnt"}));
        }
    }
}

// Exit codes of a racing writer.
constexpr int kWrote = 0;
constexpr int kRefused = 4;

// A writer's pause: at which step, and how long.
struct TPause
{
    TPairWriteStep Step;
    int Milliseconds;
};

// Two writers of one dictionary that run at once, one paused between its renames while the
// other puts its pair in place, never leave a mixed pair nor none, and each that succeeded left
// its own pair whole.
TEST(RacingPairWriters, NeverMixTheirPairsNorLoseOne)
{
    // Whether the second writer replaces, then where each writer pauses.
    const std::tuple<bool, TPause, TPause> cases[] = {
        {true, {TPairWriteStep::WordListInPlace, 60}, {TPairWriteStep::CountFileWritten, 30}},
        {false, {TPairWriteStep::CountFileWritten, 30}, {TPairWriteStep::WordListInPlace, 60}},
    };
    for (const auto& [secondReplaces, firstPause, secondPause] : cases) {
        SCOPED_TRACE(secondReplaces ? "two writers with --force" : "one without --force");
        for (int round = 0; round < 3; ++round) {
            const TTempFolder folder;
            int ready[2];
            ASSERT_EQ(pipe(ready), 0);
            const auto writer = [&](std::vector<std::string> words,
                                    std::vector<std::int32_t> counts, bool replace, TPause pause) {
                return StartChild([&, words, counts, replace, pause] {
                    close(ready[1]);
                    char go = 0;
                    // Both start when the parent closes the pipe.
                    if (read(ready[0], &go, 1) < 0) {
                        return kChildThrew;
                    }
                    try {
                        ::WriteDictionaryPair(
                            folder.Path(), "x", Cp1251Words(words), counts, replace,
                            [pause](TPairWriteStep step) {
                                if (step == pause.Step) {
                                    std::this_thread::sleep_for(
                                        std::chrono::milliseconds(pause.Milliseconds));
                                }
                            });
                    } catch (const EPairExistsError&) {
                        return kRefused;
                    }
                    return kWrote;
                });
            };
            const pid_t first = writer({"кот"}, {11}, true, firstPause);
            const pid_t second = writer({"пёс", "ёж"}, {21, 22}, secondReplaces, secondPause);
            close(ready[0]);
            close(ready[1]);
            const int firstStatus = WaitForChild(first);
            const int secondStatus = WaitForChild(second);
            EXPECT_EQ(firstStatus, kWrote);
            EXPECT_THAT(secondStatus, ::testing::AnyOf(kWrote, kRefused));
            const std::string loaded = LoadedText(folder.Path());
            EXPECT_THAT(loaded, ::testing::AnyOf("x (1 слов): 11\n", "x (2 слов): 21 22\n"));
            if (secondStatus == kRefused) {
                EXPECT_EQ(loaded, "x (1 слов): 11\n");
            }
            EXPECT_THAT(EntriesIn(folder.Path()), ElementsAre("x.txt", "x.txt.cnt"));
        }
    }
}

// A reader that calls OnFirstPair, then pauses, before it reads a pair.
class TPausingLoadView : public TRecordingLoadView
{
public:
    std::function<void()> OnFirstPair = [] {};
    bool WantsWords(const std::string& /*stem*/) const override
    {
        OnFirstPair();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return true;
    }
};

// A writer puts its pair in place only when no reader is reading, and a reader that comes while
// the pair is put in place waits until it is whole.
TEST(ReaderAndWriter, ExcludeEachOther)
{
    for (const bool readerFirst : {true, false}) {
        SCOPED_TRACE(readerFirst ? "reader first" : "writer first");
        const TTempFolder folder;
        folder.WritePair("x", {"старое", "слово"}, {1, 2});
        // The writer is started before the reader: a child forked while the reader holds the
        // folder would hold it too.
        int go[2];
        int inPlace[2];
        ASSERT_EQ(pipe(go), 0);
        ASSERT_EQ(pipe(inPlace), 0);
        const pid_t writer = StartChild([&] {
            close(go[1]);
            close(inPlace[0]);
            char byte = 0;
            if (read(go[0], &byte, 1) != 0) {
                return 1;
            }
            ::WriteDictionaryPair(
                folder.Path(), "x", Cp1251Words({"кот"}), {7}, true, [&](TPairWriteStep step) {
                    if (step == TPairWriteStep::WordListInPlace) {
                        close(inPlace[1]);
                        std::this_thread::sleep_for(std::chrono::milliseconds(200));
                    }
                });
            return 0;
        });
        close(go[0]);
        close(inPlace[1]);
        ClearWordStore();
        TPausingLoadView view;
        if (readerFirst) {
            view.OnFirstPair = [&] { close(go[1]); };
        } else {
            close(go[1]);
            char byte = 0;
            ASSERT_EQ(read(inPlace[0], &byte, 1), 0);  // the writer holds the folder now
        }
        ::ScanDictionaryFolder(folder.Path(), view);
        close(inPlace[0]);
        EXPECT_EQ(WaitForChild(writer), 0);
        EXPECT_THAT(view.Rows, ElementsAre(readerFirst ? "x (2 слов)" : "x (1 слов)"));
        EXPECT_THAT(view.Warnings, IsEmpty());
        EXPECT_EQ(ReadFileBytes(folder.Path() + "/x.txt.cnt"), Counts({7}));
    }
}

}  // namespace
