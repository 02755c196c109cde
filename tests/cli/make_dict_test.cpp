// End-to-end tests of "slovosito-cli make-dict" and "slovosito-cli check": the built program run
// on temporary folders.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const char* const kBadLine = R"(expected "word count", "word<TAB>count" or "count word")";

class MakeDict : public ::testing::Test
{
protected:
    void SetUp() override { std::filesystem::create_directory(Dir()); }

    // The dictionary folder; inputs and the program's output files stay outside it.
    std::string Dir() const { return m_folder.Path() + "/Словари"; }

    // Runs a command (args[0]) with --dir Dir() after it.
    TCliRun Run(std::vector<std::string> args, const std::string& stdinPath = "/dev/null")
    {
        args.insert(args.begin() + 1, {"--dir", Dir()});
        return RunCliProgram(m_folder, std::move(args), stdinPath);
    }

    // Runs a search or --list on Dir().
    TCliRun Search(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--dir", Dir()});
        return RunCliProgram(m_folder, std::move(args));
    }

    std::string Input(const std::string& name, const std::string& bytes) const
    {
        return m_folder.Write(name, bytes);
    }

    std::string InDir(const std::string& name) const { return ReadFileBytes(Dir() + "/" + name); }

    // The names in the dictionary folder, sorted.
    std::vector<std::string> DirEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Dir())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TTempFolder m_folder;
};

TEST_F(MakeDict, BuildsFromAFrequencyListAndPrintsASummary)
{
    const std::string list = Input("list.txt",
                                   "# made by sort | uniq -c\n"
                                   "      7 кот\n"
                                   "пёс\t3\n"
                                   "\n"
                                   "ёж 5\r\n"
                                   "кот 1\n"
                                   "snow☃ 2\n");
    const TCliRun result = Run({"make-dict", "zoo", list});
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Out,
              "words written: 3\n"
              "words dropped: 1 (no Windows-1251 form): \"snow☃\"\n"
              "total count: 16\n" +
                  Dir() + "/zoo.txt: 14 bytes\n" + Dir() + "/zoo.txt.cnt: 12 bytes\n");
    EXPECT_EQ(InDir("zoo.txt"), ToCp1251("кот\r\nёж\r\nпёс\r\n"));
    EXPECT_EQ(InDir("zoo.txt.cnt"), Counts({8, 5, 3}));
    EXPECT_THAT(DirEntries(), ElementsAre("zoo.txt", "zoo.txt.cnt"));
}

TEST_F(MakeDict, RoundTripGivesBackTheWordsAndCounts)
{
    // Counts that add up to one million make each ipm equal to its count.
    const std::string list = Input("list.txt", "кот 500000\nкошка 300000\n200000 пёс\n");
    ASSERT_EQ(Run({"make-dict", "zoo", list}).Status, 0);
    EXPECT_EQ(Search({"--list"}).Out, "zoo (3 слов)\n");
    EXPECT_EQ(Search({"--ending", "", "--ipm"}).Out,
              "кот = 500000,00000\nкошка = 300000,00000\nпёс = 200000,00000\n");
    EXPECT_EQ(Search({"--mask", "ко*", "--alpha"}).Out, "кот\nкошка\n");

    const std::string text = Input("text.txt", "Кот и кошка. КОТ и пёс!\nкот-то, 42 раза");
    ASSERT_EQ(Run({"make-dict", "--from-text", "--lower", "words", text}).Status, 0);
    EXPECT_EQ(Search({"--list"}).Out, "words (6 слов)\nzoo (3 слов)\n");
    EXPECT_EQ(Search({"--dict", "words", "--ending", "", "--alpha"}).Out,
              "и\nкот\nкот-то\nкошка\nпёс\nраза\n");
    EXPECT_EQ(InDir("words.txt"), ToCp1251("и\r\nкот\r\nкот-то\r\nкошка\r\nпёс\r\nраза\r\n"));
    EXPECT_EQ(InDir("words.txt.cnt"), Counts({2, 2, 1, 1, 1, 1}));
}

TEST_F(MakeDict, KeepOrderLowerAndSeveralFiles)
{
    const std::string a = Input("a.txt", "Б 1\nа 2\n");
    const std::string b = Input("b.txt", "б 4\nЯ 1\n");
    ASSERT_EQ(Run({"make-dict", "--keep-order", "--lower", "x", a, b}).Status, 0);
    EXPECT_EQ(InDir("x.txt"), ToCp1251("б\r\nа\r\nя\r\n"));
    EXPECT_EQ(InDir("x.txt.cnt"), Counts({5, 2, 1}));
}

TEST_F(MakeDict, ReadsWindows1251AndStandardInput)
{
    const std::string text = Input("text.txt", ToCp1251("Ёж, ёж и кто-то."));
    const TCliRun result =
        Run({"make-dict", "--from-text", "--encoding", "cp1251", "x", "-"}, text);
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(InDir("x.txt"), ToCp1251("Ёж\r\nёж\r\nи\r\nкто-то\r\n"));
    EXPECT_EQ(InDir("x.txt.cnt"), Counts({1, 1, 1, 1}));
    const std::string utf8 = Input("utf8.txt", "кот ёж\n");
    const TCliRun read = Run({"make-dict", "--from-text", "--encoding=auto", "y", utf8, "-"}, text);
    EXPECT_THAT(read.Out, ::testing::StartsWith(utf8 + ": read as utf-8\n"
                                                       "(standard input): read as cp1251\n"
                                                       "words written: 5\n"));
}

TEST_F(MakeDict, SummaryShowsTenOfTheDroppedWords)
{
    const std::string text = Input("text.txt", "aé bé cé dé eé fé gé hé ié jé ké lé кот");
    const TCliRun result = Run({"make-dict", "--from-text", "x", text});
    EXPECT_EQ(result.Status, 0);
    EXPECT_THAT(result.Out,
                HasSubstr("\nwords dropped: 12 (no Windows-1251 form), for example: \"aé\", "
                          "\"bé\", \"cé\", \"dé\", \"eé\", \"fé\", \"gé\", \"hé\", \"ié\", "
                          "\"jé\"\ntotal count: 1\n"));
}

TEST_F(MakeDict, ErrorsExitWithTwoAndWriteNothing)
{
    const std::string bad = Input("bad.txt", "кот 1\nкот\n");
    const std::string big = Input("big.txt", "кот 2147483647\nпёс 1\nкот 1\n");
    const std::string cp1251 = Input("cp.txt", ToCp1251("кот 1\n"));
    const std::string digits = Input("digits.txt", "123 456\n");
    const std::string good = Input("good.txt", "кот 1\n");
    // Arguments, then the whole of stderr.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"make-dict", "x", bad}, "slovosito-cli: " + bad + ":2: " + kBadLine + "\n"},
        {{"make-dict", "x", good, bad}, "slovosito-cli: " + bad + ":2: " + kBadLine + "\n"},
        {{"make-dict", "x", big},
         "slovosito-cli: " + big +
             ":3: the count of \"кот\" does not fit 32 bits signed (it comes to 2147483648)\n"},
        {{"make-dict", "x", cp1251},
         "slovosito-cli: " + cp1251 + ":1: invalid UTF-8 (is the input in Windows-1251?)\n"},
        {{"make-dict", "x", m_folder.Path() + "/none.txt"},
         "slovosito-cli: Cannot open file \"" + m_folder.Path() +
             "/none.txt\". No such file or directory.\n"},
        {{"make-dict", "--from-text", "x", digits},
         "slovosito-cli: no words to write; nothing written\n"},
        {{"make-dict", "x"},
         "slovosito-cli: make-dict needs a NAME and at least one FILE (see make-dict --help)\n"},
        {{"make-dict", "--from-list", "--from-text", "x", good},
         "slovosito-cli: give only one of --from-list and --from-text\n"},
        {{"make-dict", "--encoding", "latin1", "x", good},
         "slovosito-cli: unknown encoding \"latin1\" (utf-8, cp1251 or auto)\n"},
        {{"make-dict", "--encoding", "cp1251", "x", good},
         "slovosito-cli: " + good +
             ": the input is UTF-8 with Cyrillic letters, not Windows-1251.\n"},
        {{"make-dict", "--lower=yes", "x", good}, "slovosito-cli: option --lower takes no value\n"},
        {{"make-dict", "--bogus", "x", good},
         "slovosito-cli: unknown argument --bogus (see make-dict --help)\n"},
        {{"make-dict", "a/b", good},
         "slovosito-cli: \"a/b\" cannot be a dictionary name: it is a file name without \"/\"\n"},
        {{"make-dict", "..", good},
         "slovosito-cli: \"..\" cannot be a dictionary name: it is a file name without \"/\"\n"},
        {{"make-dict", "☃", good},
         "slovosito-cli: \"☃\" cannot be a dictionary name: The character \"☃\" (U+2603) has "
         "no Windows-1251 form\n"},
    };
    for (const auto& [args, err] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const TCliRun result = Run(args);
        EXPECT_EQ(result.Err, err);
        EXPECT_EQ(result.Status, 2);
        EXPECT_EQ(result.Out, "");
        EXPECT_THAT(DirEntries(), IsEmpty());
    }
}

TEST_F(MakeDict, MissingFolderIsAnError)
{
    const std::string good = Input("good.txt", "кот 1\n");
    const TCliRun result =
        RunCliProgram(m_folder, {"make-dict", "--dir", m_folder.Path() + "/none", "x", good});
    EXPECT_EQ(result.Status, 2);
    EXPECT_EQ(result.Err, "slovosito-cli: no such folder \"" + m_folder.Path() + "/none\"\n");
    EXPECT_FALSE(std::filesystem::exists(m_folder.Path() + "/none"));
}

TEST_F(MakeDict, ReplacesAnExistingPairOnlyWithForce)
{
    const std::string list = Input("list.txt", "кот 7\n");
    // The files already in the folder.
    const std::vector<std::vector<std::string>> cases = {
        {"x.txt", "x.txt.cnt"},
        {"x.txt"},
        {"x.txt.cnt"},
    };
    for (const auto& existing : cases) {
        SCOPED_TRACE(::testing::PrintToString(existing));
        std::filesystem::remove_all(Dir());
        std::filesystem::create_directory(Dir());
        for (const std::string& name : existing) {
            m_folder.Write("Словари/" + name, "old");
        }
        const TCliRun refused = Run({"make-dict", "x", list});
        EXPECT_EQ(refused.Status, 2);
        EXPECT_EQ(refused.Err, "slovosito-cli: The dictionary \"x\" already exists in \"" + Dir() +
                                   "\" (give --force to replace it)\n");
        EXPECT_EQ(DirEntries(), existing);
        for (const std::string& name : existing) {
            EXPECT_EQ(InDir(name), "old");
        }

        const TCliRun forced = Run({"make-dict", "--force", "x", list});
        EXPECT_EQ(forced.Status, 0);
        EXPECT_EQ(forced.Err, "");
        EXPECT_EQ(InDir("x.txt"), ToCp1251("кот\r\n"));
        EXPECT_EQ(InDir("x.txt.cnt"), Counts({7}));
        EXPECT_THAT(DirEntries(), ElementsAre("x.txt", "x.txt.cnt"));
    }
}

TEST_F(MakeDict, CheckExplainsEveryCandidateInScanOrder)
{
    m_folder.Write("Словари/a.txt", ToCp1251("кот\r\n\r\nпёс\r\n"));
    m_folder.Write("Словари/a.txt.cnt", Counts({5, 0, -1}));
    m_folder.Write("Словари/b.txt", "x\r\n");
    m_folder.Write("Словари/c.txt", "a\r\nb\r\nc\r\n");
    m_folder.Write("Словари/c.txt.cnt", Counts({1, 2}) + "xyz");
    std::filesystem::create_directory(Dir() + "/d.txt");
    m_folder.Write("Словари/z.txt", std::string("a\r\nb\0junk", 9));
    m_folder.Write("Словари/z.txt.cnt", Counts({0, 0}) + "..");
    m_folder.Write("Словари/notes.md", "");

    const TCliRun result = Run({"check"});
    EXPECT_EQ(result.Err, "");
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out,
              "a.txt: listed as \"a (3 слов)\"\n"
              "  note: 1 empty word, on line 2\n"
              "  note: 1 negative count, on line 3\n"
              "b.txt: not listed: count file \"b.txt.cnt\" missing\n"
              "c.txt: not listed: count file size does not match: 3 words in the list, 2 whole "
              "counts in the count file (11 bytes)\n"
              "d.txt: not listed: not a regular file (a directory)\n"
              "z.txt: listed as \"z (2 слов)\"\n"
              "  note: a NUL byte at byte 4 ends the word list; 4 bytes after it not read\n"
              "  note: 2 bytes at the end of the count file, not a whole count, ignored\n"
              "  note: the total of the counts is 0: the dictionary is listed but never searched\n"
              "2 of 5 listed\n" +
                  EmptyCacheLine(m_folder.Path() + "/.cache"));
}

TEST_F(MakeDict, CheckExitsWithZeroWhenEveryCandidateIsListed)
{
    const TCliRun empty = Run({"check"});
    EXPECT_EQ(empty.Status, 0);
    EXPECT_EQ(empty.Out, "no file whose name ends in \".txt\" in \"" + Dir() + "\"\n" +
                             EmptyCacheLine(m_folder.Path() + "/.cache"));

    m_folder.WritePair("Словари/a", {"кот", "пёс"}, {2, 1});
    m_folder.WritePair("Словари/b", {"ёж"}, {1});
    const TCliRun listed = Run({"check"});
    EXPECT_EQ(listed.Status, 0);
    EXPECT_EQ(listed.Out,
              "a.txt: listed as \"a (2 слов)\"\nb.txt: listed as \"b (1 слов)\"\n2 of 2 listed\n" +
                  EmptyCacheLine(m_folder.Path() + "/.cache"));
}

TEST_F(MakeDict, CheckArgumentErrorsExitWithTwo)
{
    // Arguments, then the whole of stderr.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"check", "--dir", m_folder.Path() + "/none"},
         "slovosito-cli: no such folder \"" + m_folder.Path() + "/none\"\n"},
        {{"check", "extra"}, "slovosito-cli: unknown argument extra (see check --help)\n"},
        {{"check", "--dir"}, "slovosito-cli: option --dir needs a value\n"},
    };
    for (const auto& [args, err] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const TCliRun result = RunCliProgram(m_folder, args);
        EXPECT_EQ(result.Err, err);
        EXPECT_EQ(result.Status, 2);
        EXPECT_EQ(result.Out, "");
    }
}

TEST_F(MakeDict, CheckNamesLeftoversAndTheNextMakeDictDealsWithThem)
{
    // A replacement of x stopped after its word list was put in place; a writing of y stopped
    // before; an older version's temporary file; a pending count file whose word list is gone,
    // and a count file without its word list.
    m_folder.WritePair("Словари/x", {"кот", "пёс"}, {2, 1});
    m_folder.Write("Словари/.slovosito-new/x.txt.cnt", Counts({2, 1}));
    m_folder.Write("Словари/x.txt.cnt", Counts({9}));
    m_folder.Write("Словари/.slovosito-new/y.txt", "ёж\r\n");
    m_folder.Write("Словари/.slovosito-new/y.txt.cnt", Counts({1}));
    m_folder.Write("Словари/.slovosito-77-0.tmp", "кот\r\n");
    m_folder.Write("Словари/.slovosito-new/gone.txt.cnt", Counts({1}));
    m_folder.Write("Словари/old.txt.cnt", Counts({1}));

    const TCliRun before = Run({"check"});
    EXPECT_EQ(before.Status, 0);
    EXPECT_EQ(before.Out,
              "x.txt: listed as \"x (2 слов)\"\n"
              "note: \".slovosito-77-0.tmp\" is left from an interrupted make-dict; the next "
              "make-dict removes it\n"
              "note: \".slovosito-new/gone.txt.cnt\" is left from an interrupted make-dict; the "
              "next make-dict removes it\n"
              "note: \".slovosito-new/x.txt.cnt\" is left from an interrupted make-dict; the next "
              "make-dict puts it in place\n"
              "note: \".slovosito-new/y.txt\" is left from an interrupted make-dict; the next "
              "make-dict removes it\n"
              "note: \".slovosito-new/y.txt.cnt\" is left from an interrupted make-dict; the next "
              "make-dict removes it\n"
              "note: count file \"old.txt.cnt\" has no word list beside it; remove it, or "
              "make-dict --force writes the pair anew\n"
              "1 of 1 listed\n" +
                  EmptyCacheLine(m_folder.Path() + "/.cache"));

    const TCliRun made = Run({"make-dict", "z", Input("list.txt", "ёж 4\n")});
    EXPECT_EQ(made.Err, "");
    EXPECT_EQ(made.Status, 0);
    EXPECT_THAT(DirEntries(),
                ElementsAre("old.txt.cnt", "x.txt", "x.txt.cnt", "z.txt", "z.txt.cnt"));
    EXPECT_EQ(InDir("x.txt.cnt"), Counts({2, 1}));
    std::filesystem::remove(Dir() + "/old.txt.cnt");
    EXPECT_EQ(Run({"check"}).Out,
              "x.txt: listed as \"x (2 слов)\"\nz.txt: listed as \"z (1 слов)\"\n2 of 2 listed\n" +
                  EmptyCacheLine(m_folder.Path() + "/.cache"));
}

TEST_F(MakeDict, WaitsForAnotherWriterThenFailsWithTwoAndWritesNothing)
{
    m_folder.WritePair("Словари/x", {"кот"}, {1});
    // This test holds the folder as a writer does while it puts its pair in place.
    const int lock = open(Dir().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    const TCliRun result = Run({"make-dict", "--force", "x", Input("list.txt", "пёс 2\n")});
    close(lock);
    EXPECT_EQ(result.Status, 2);
    EXPECT_EQ(result.Err, "slovosito-cli: The folder \"" + Dir() +
                              "\" is in use by another program that writes or reads its "
                              "dictionaries. Try again when it is done.\n");
    EXPECT_EQ(result.Out, "");
    EXPECT_THAT(DirEntries(), ElementsAre("x.txt", "x.txt.cnt"));
    EXPECT_EQ(InDir("x.txt.cnt"), Counts({1}));
}

}  // namespace
