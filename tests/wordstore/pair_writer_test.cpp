// Tests of writing a dictionary pair: the bytes written, never replacing unless asked, and no
// trace left behind by a failure.

#include "wordstore/pair_writer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
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

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

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
    EXPECT_EQ(ReadFile(pair.WordListPath), ToCp1251("кот\r\n\r\nпёс\r\n"));
    EXPECT_EQ(ReadFile(pair.CountFilePath), Counts({5, 0, -2}));
    EXPECT_THAT(EntriesIn(m_folder.Path()),
                ElementsAre(".slovosito.lock", "my.dict.txt", "my.dict.txt.cnt"));
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
        // The lock file stays; nothing of the pair is touched.
        std::vector<std::string> entries = {".slovosito.lock"};
        entries.insert(entries.end(), existing.begin(), existing.end());
        EXPECT_EQ(EntriesIn(folder.Path()), entries);
        for (const std::string& name : existing) {
            EXPECT_EQ(ReadFile(folder.Path() + "/" + name), "old");
        }
    }
}

TEST_F(WriteDictionaryPair, ReplacesAnExistingPairWhenAsked)
{
    m_folder.WritePair("x", {"старое", "слово"}, {1, 2});
    ::WriteDictionaryPair(m_folder.Path(), "x", Cp1251Words({"кот"}), {7}, true);
    EXPECT_EQ(ReadFile(m_folder.Path() + "/x.txt"), ToCp1251("кот\r\n"));
    EXPECT_EQ(ReadFile(m_folder.Path() + "/x.txt.cnt"), Counts({7}));
    EXPECT_THAT(EntriesIn(m_folder.Path()), ElementsAre(".slovosito.lock", "x.txt", "x.txt.cnt"));
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
    EXPECT_THAT(EntriesIn(m_folder.Path()), ElementsAre(".slovosito.lock", "x.txt", "x.txt.cnt"));
    EXPECT_EQ(ReadFile(m_folder.Path() + "/x.txt.cnt"), "old");

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

}  // namespace
