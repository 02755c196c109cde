// Tests of the dictionary folder the built slovosito-cli chooses when copied into an installed
// layout (prefix/bin with the sample in prefix/share) or a portable folder, and of --list -v.

#include <filesystem>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// slovosito-cli installed into prefix/bin, which it may not write (a user's view of /usr/bin;
// root ignores the rights, so the choice must not rest on them), with the sample beside it.
class InstalledCli : public ::testing::Test
{
protected:
    std::string Bin() const { return m_temp.Path() + "/prefix/bin"; }
    std::string Sample() const { return m_temp.Path() + "/prefix/share/slovosito/Словари"; }
    std::string Home() const { return m_temp.Path() + "/home"; }
    std::string Data() const { return m_temp.Path() + "/data"; }
    std::string UserFolder() const { return Data() + "/slovosito/Словари"; }

    void SetUp() override
    {
        fs::create_directories(Bin());
        fs::create_directories(Home());
        fs::copy_file(SLOVOSITO_CLI_PATH, Bin() + "/slovosito-cli");
        m_temp.WritePair("prefix/share/slovosito/Словари/sample", {"банка", "янка", "склянка"},
                         {5, 3, 2});
        m_temp.Write("prefix/share/slovosito/Словари/README.md", "Образец: CC BY-SA 4.0\n");
        chmod(Bin().c_str(), 0555);
    }
    void TearDown() override { chmod(Bin().c_str(), 0755); }

    // Runs the installed program with only HOME and XDG_DATA_HOME in its environment.
    TCliRun Run(const std::vector<std::string>& args, const std::string& home,
                const std::string& xdgDataHome)
    {
        std::string homeEntry = "HOME=" + home;
        std::string xdgEntry = "XDG_DATA_HOME=" + xdgDataHome;
        char* const env[] = {homeEntry.data(), xdgEntry.data(), nullptr};
        return RunProgram(m_temp, Bin() + "/slovosito-cli", args, env);
    }
    TCliRun Run(const std::vector<std::string>& args) { return Run(args, Home(), Data()); }

    TTempFolder m_temp;
};

TEST_F(InstalledCli, ListVerboseNamesTheUsersFolderThatFirstUseFilledWithTheSample)
{
    const TCliRun verbose = Run({"--list", "-v"});
    EXPECT_EQ(verbose.Out, "folder: " + UserFolder() +
                               " (the user's folder, as the program is installed)\n"
                               "sample (3 слов)\n");
    EXPECT_EQ(verbose.Err, "");
    EXPECT_EQ(verbose.Status, 0);
    for (const char* name : {"sample.txt", "sample.txt.cnt", "README.md"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadFileBytes(UserFolder() + "/" + name), ReadFileBytes(Sample() + "/" + name));
    }
    EXPECT_FALSE(fs::exists(Bin() + "/Словари"));

    // Without -v the list alone, as before.
    EXPECT_EQ(Run({"--list"}).Out, "sample (3 слов)\n");
    const TCliRun search = Run({"--ending", "янка"});
    EXPECT_EQ(search.Out, "янка\nсклянка\n");
    EXPECT_EQ(search.Status, 0);
}

TEST_F(InstalledCli, EmptyOrRelativeXdgDataHomeMeansTheHomesDataFolder)
{
    for (const std::string xdgDataHome : {"", "data"}) {
        SCOPED_TRACE(xdgDataHome);
        fs::remove_all(Home() + "/.local");
        const TCliRun run = Run({"--list", "-v"}, Home(), xdgDataHome);
        EXPECT_EQ(run.Out, "folder: " + Home() +
                               "/.local/share/slovosito/Словари (the user's folder, as the "
                               "program is installed)\nsample (3 слов)\n");
        EXPECT_EQ(run.Err, "");
    }
}

TEST_F(InstalledCli, MakeDictAndCheckWorkInTheUsersFolder)
{
    const std::string list = m_temp.Write("list.txt", "кот 4\nпёс 2\n");
    const TCliRun made = Run({"make-dict", "мой", list});
    EXPECT_EQ(made.Status, 0);
    EXPECT_EQ(made.Err, "");
    EXPECT_THAT(made.Out, HasSubstr(UserFolder() + "/мой.txt: "));
    EXPECT_EQ(Run({"--list"}).Out, "sample (3 слов)\nмой (2 слов)\n");
    const TCliRun check = Run({"check"});
    EXPECT_EQ(check.Out,
              "sample.txt: listed as \"sample (3 слов)\"\n"
              "мой.txt: listed as \"мой (2 слов)\"\n"
              "2 of 2 listed\n" +
                  EmptyCacheLine(Home() + "/.cache"));
    EXPECT_EQ(check.Status, 0);
    EXPECT_FALSE(fs::exists(Sample() + "/мой.txt"));
}

TEST_F(InstalledCli, AHomeWhereNothingCanBeMadeIsReportedAndTheSampleIsReadInPlace)
{
    const std::string home = m_temp.Write("home-file", "not a folder");
    const std::string error = "slovosito-cli: Cannot create folder \"" + home +
                              "/.local/share/slovosito/Словари\". Not a directory.\n";
    const TCliRun list = Run({"--list", "-v"}, home, "");
    EXPECT_EQ(list.Err, error);
    EXPECT_EQ(list.Out, "folder: " + Sample() +
                            " (the installed sample, read in place, as the user's folder cannot "
                            "be made)\nsample (3 слов)\n");
    EXPECT_EQ(list.Status, 0);

    const std::string words = m_temp.Write("list.txt", "кот 4\n");
    const TCliRun made = Run({"make-dict", "мой", words}, home, "");
    EXPECT_EQ(made.Err, error +
                            "slovosito-cli: no dictionary folder of your own to write into (see "
                            "the error above); give --dir DIR\n");
    EXPECT_EQ(made.Status, 2);
    EXPECT_FALSE(fs::exists(Sample() + "/мой.txt"));
}

TEST(FolderChoice, ListVerboseSaysWhyForAGivenFolderAndAPortableCopy)
{
    const TTempFolder temp;
    const std::string portable = temp.Path() + "/portable";
    fs::create_directories(portable);
    fs::copy_file(SLOVOSITO_CLI_PATH, portable + "/slovosito-cli");
    temp.WritePair("portable/Словари/a", {"кот"}, {1});
    temp.WritePair("given/b", {"пёс"}, {1});
    std::string home = "HOME=" + temp.Path() + "/home";
    char* const env[] = {home.data(), nullptr};
    // Arguments, then the output.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--list", "-v"}, "folder: " + portable + "/Словари (beside the program)\na (1 слов)\n"},
        {{"--list", "-v", "--dir", temp.Path() + "/given"},
         "folder: " + temp.Path() + "/given (given by --dir)\nb (1 слов)\n"},
    };
    for (const auto& [args, out] : cases) {
        SCOPED_TRACE(args.back());
        const TCliRun run = RunProgram(temp, portable + "/slovosito-cli", args, env);
        EXPECT_EQ(run.Out, out);
        EXPECT_EQ(run.Err, "");
    }
    EXPECT_FALSE(fs::exists(temp.Path() + "/home"));
}

TEST(FolderChoice, VerboseGoesWithListOnly)
{
    const TTempFolder temp;
    const TCliRun run = RunCliProgram(temp, {"-v", "--ending", "а"});
    EXPECT_EQ(run.Err, "slovosito-cli: --verbose goes with --list (see --help)\n");
    EXPECT_EQ(run.Status, 2);
}

}  // namespace
