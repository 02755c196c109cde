// Tests of how slovosito-cli shows dictionary names and takes them back, and of a dictionary
// folder that cannot be listed.

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "cli/cli_app.h"
#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"

namespace {

// Dictionaries of one word each, named by file names that are awkward to print.
class CliNames : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::pair<std::string, const char*> pairs[] = {
            {"a\nb", "аб"}, {"c\\d", "цд"}, {"кот", "кот"},
            {"日本", "яп"}, {"\xFE", "фе"}, {"\xFF", "фф"},
        };
        for (const auto& [stem, word] : pairs) {
            m_folder.WritePair("Словари/" + stem, {word}, {1});
        }
    }

    TCliRun Run(std::vector<std::string> args)
    {
        return RunCliOnDictionaries(m_folder, std::move(args));
    }

    TTempFolder m_folder;
};

TEST_F(CliNames, ListGivesEachNameOneLineAndKeepsThemApart)
{
    const TCliRun result = Run({"--list"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Out,
              "a\\x0Ab (1 слов)\nc\\\\d (1 слов)\nкот (1 слов)\n日本 (1 слов)\n\\xFE (1 слов)\n"
              "\\xFF (1 слов)\n");
    EXPECT_EQ(result.Err, "");
}

TEST_F(CliNames, DictTakesTheSpellingOfList)
{
    // A --dict argument, then the words the search lists.
    const std::pair<const char*, const char*> cases[] = {
        {"a\\x0Ab", "аб\n"}, {"a\\x0ab", "аб\n"}, {"a\nb", "аб\n"},  {"c\\\\d", "цд\n"},
        {"кот", "кот\n"},    {"日本", "яп\n"},    {"\\xFE", "фе\n"}, {"\\xff", "фф\n"},
    };
    for (const auto& [name, words] : cases) {
        SCOPED_TRACE(name);
        const TCliRun result = Run({"--mask", "*", "--dict", name});
        EXPECT_EQ(result.Out, words);
        EXPECT_EQ(result.Status, 0);
        EXPECT_EQ(result.Err, "");
    }
}

TEST_F(CliNames, NoOtherSpellingPicksADictionary)
{
    for (const char* name : {"c\\d", "??", "?", "\\x0A", "a b", "\\xFE\\xFF"}) {
        SCOPED_TRACE(name);
        const TCliRun result = Run({"--mask", "*", "--dict", name});
        EXPECT_EQ(result.Status, 2);
        EXPECT_EQ(result.Out, "");
        EXPECT_EQ(result.Err, std::string("slovosito-cli: no dictionary named \"") + name +
                                  "\" (see --list)\n");
    }
}

TEST_F(CliNames, EveryListedNamePicksItsOwnDictionaryAlone)
{
    std::istringstream rows(Run({"--list"}).Out);
    std::vector<std::string> picked;
    for (std::string row; std::getline(rows, row);) {
        const std::string name = row.substr(0, row.rfind(" ("));
        SCOPED_TRACE(name);
        const TCliRun result = Run({"--mask", "*", "--dict", name});
        EXPECT_EQ(result.Status, 0);
        picked.push_back(result.Out);
    }
    EXPECT_THAT(picked, ::testing::ElementsAre("аб\n", "цд\n", "кот\n", "яп\n", "фе\n", "фф\n"));
}

TEST_F(CliNames, CheckSpellsNamesAsListDoes)
{
    m_folder.Write("Словари/\xFF\n.txt", "");
    const TCliRun result =
        RunCliProgram(m_folder, {"check", "--dir", m_folder.Path() + "/Словари"});
    EXPECT_EQ(result.Out,
              "a\\x0Ab.txt: listed as \"a\\x0Ab (1 слов)\"\n"
              "c\\\\d.txt: listed as \"c\\\\d (1 слов)\"\n"
              "кот.txt: listed as \"кот (1 слов)\"\n"
              "日本.txt: listed as \"日本 (1 слов)\"\n"
              "\\xFE.txt: listed as \"\\xFE (1 слов)\"\n"
              "\\xFF\\x0A.txt: not listed: count file \"\\xFF\\x0A.txt.cnt\" missing\n"
              "\\xFF.txt: listed as \"\\xFF (1 слов)\"\n"
              "6 of 7 listed\n" +
                  EmptyCacheLine(m_folder.Path() + "/.cache"));
    EXPECT_EQ(result.Status, 1);
}

TEST(CliFolder, AFolderThatCannotBeListedOrEnteredIsAnErrorForEveryCommand)
{
    const TTempFolder scratch;
    const std::string folder = scratch.Path() + "/locked";
    scratch.WritePair("locked/a", {"кот"}, {1});
    ASSERT_EQ(chmod(folder.c_str(), 0), 0);
    // The program is run in this process: a program started anew would have its rights back.
    const TWithoutOverrideOfFileRights asOwner;
    DIR* const probe = opendir(folder.c_str());
    if (probe != nullptr) {
        closedir(probe);
        chmod(folder.c_str(), 0755);
        GTEST_SKIP() << "this process lists folders whatever their rights";
    }
    const std::vector<std::string> commands[] = {
        {"--dir", folder, "--list"},
        {"--dir", folder, "--ending", "от"},
        {"check", "--dir", folder},
    };
    // No rights, then the right to list the folder without the right to enter it.
    for (const mode_t mode : {0000, 0444}) {
        ASSERT_EQ(chmod(folder.c_str(), mode), 0);
        for (const std::vector<std::string>& args : commands) {
            SCOPED_TRACE(::testing::PrintToString(args) + " " + std::to_string(mode));
            std::ostringstream out;
            std::ostringstream err;
            EXPECT_EQ(RunCli(args, out, err), 2);
            EXPECT_EQ(out.str(), "");
            EXPECT_EQ(err.str(),
                      "slovosito-cli: Cannot open folder \"" + folder + "\". Permission denied.\n");
        }
    }
    chmod(folder.c_str(), 0755);
}

}  // namespace
