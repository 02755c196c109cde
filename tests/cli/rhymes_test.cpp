// End-to-end tests of slovosito-cli's --rhyme and --headwords: listings on the sample and on small
// dictionaries, and the index cache: shared by copies of a pair, rebuilt when the pair changes or
// the cache is damaged, never written into the dictionary folder, and not needed when its folder
// cannot be written.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/cli/run_cli.h"
#include "tests/support/recording_load_view.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"

namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::Not;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Every entry under folder, with its size, in name order.
std::vector<std::string> Entries(const std::string& folder)
{
    std::vector<std::string> entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        entries.push_back(entry.path().string() + " " +
                          (entry.is_regular_file() ? std::to_string(entry.file_size()) : "dir"));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Runs slovosito-cli with the cache under folder's "cache" (or cacheHome when given).
TCliRun RunWithCache(const TTempFolder& folder, std::vector<std::string> args,
                     const std::string& dictionaries, std::string cacheHome = "")
{
    if (cacheHome.empty()) {
        cacheHome = folder.Path() + "/cache";
    }
    std::string cacheEntry = "XDG_CACHE_HOME=" + cacheHome;
    std::string homeEntry = "HOME=" + folder.Path();
    char* const env[] = {cacheEntry.data(), homeEntry.data(), nullptr};
    args.insert(args.begin() + (!args.empty() && args[0] == "check" ? 1 : 0),
                {"--dir", dictionaries});
    return RunProgram(folder, SLOVOSITO_CLI_PATH, std::move(args), env);
}

// The sample dictionary, copied once for the suite so that its index is built once.
class CliRhymesOnSample : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_folder = new TTempFolder;
        fs::create_directories(s_folder->Path() + "/Словари");
        for (const char* name : {"opensub2018_ru_50k.txt", "opensub2018_ru_50k.txt.cnt"}) {
            fs::copy_file(std::string(SLOVOSITO_SAMPLE_DIR) + "/" + name,
                          s_folder->Path() + "/Словари/" + name);
        }
    }
    static void TearDownTestSuite()
    {
        delete s_folder;
        s_folder = nullptr;
    }

    static TCliRun Run(std::vector<std::string> args)
    {
        return RunWithCache(*s_folder, std::move(args), s_folder->Path() + "/Словари");
    }

    static TTempFolder* s_folder;
};

TTempFolder* CliRhymesOnSample::s_folder = nullptr;

TEST_F(CliRhymesOnSample, OknoRhymesWithKinoAndNotWithMozhno)
{
    const TCliRun run = Run({"--rhyme", "окно"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Err, "");
    const std::vector<std::string> lines = Lines(run.Out);
    const std::vector<std::string> first(lines.begin(),
                                         lines.begin() + std::min<std::size_t>(10, lines.size()));
    // оно' and должно' take their stress from the list of known stresses.
    for (const char* word : {"кино", "давно", "одно", "равно", "оно", "должно"}) {
        EXPECT_THAT(first, Contains(word));
    }
    EXPECT_THAT(lines, Contains("вино"));
    for (const char* word : {"можно", "нужно", "окно"}) {
        EXPECT_THAT(lines, Not(Contains(word)));
    }
}

TEST_F(CliRhymesOnSample, LyubovRhymesWithKrovAndNotWithTserkov)
{
    const std::vector<std::string> lines = Lines(Run({"--rhyme", "любовь"}).Out);
    for (const char* word : {"кровь", "вновь", "морковь"}) {
        EXPECT_THAT(lines, Contains(word));
    }
    EXPECT_THAT(lines, Not(Contains("церковь")));
}

TEST_F(CliRhymesOnSample, HeadwordsKeepKartaAndDropKursa)
{
    const std::vector<std::string> all = Lines(Run({"--mask", "к?р?а"}).Out);
    const std::vector<std::string> headwords = Lines(Run({"--mask", "к?р?а", "--headwords"}).Out);
    EXPECT_THAT(all, Contains("курса"));
    EXPECT_THAT(headwords, Contains("карта"));
    EXPECT_THAT(headwords, Not(Contains("курса")));
    // The filter only drops: what is left is the mask's listing in its order.
    std::vector<std::string> kept;
    for (const std::string& word : all) {
        if (std::find(headwords.begin(), headwords.end(), word) != headwords.end()) {
            kept.push_back(word);
        }
    }
    EXPECT_EQ(kept, headwords);
}

// A search lists the same over only the words it can find, loaded when the index is in the
// cache, as over every word, loaded to build the index into a cache of its own.
TEST_F(CliRhymesOnSample, ASearchListsTheSameWhetherTheIndexWasCachedOrBuilt)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--rhyme", "замок", "--pos", "noun", "--format", "tsv"},
        {"--mask", "*ость", "--headwords", "--alpha"},
        {"--regexp", "/^по.*ать$/", "--stress", "--ipm"},
        {"--ending", "о", "--stress-place", "1", "--no-names"},
    };
    Run({"--rhyme", "окно"});  // the sample's index is in the suite's cache from here on
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(::testing::PrintToString(cases[i]));
        const TCliRun built = RunWithCache(*s_folder, cases[i], s_folder->Path() + "/Словари",
                                           s_folder->Path() + "/built" + std::to_string(i));
        const TCliRun cached = Run(cases[i]);
        EXPECT_EQ(cached.Status, built.Status);
        EXPECT_EQ(cached.Out, built.Out);
        EXPECT_FALSE(built.Out.empty());
    }
}

// а. and 83 б: a line that overran a stack buffer in espeak-ng, which aborted the program.
std::string EspeakOverrunLine()
{
    return ToUtf8("\xE0." + std::string(83, '\xE1'));
}

// A small dictionary whose counts are its ipm (total 1 000 000).
class CliRhymes : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteWords({"окно", "кино", "можно", "вино", "курса", "курс", EspeakOverrunLine()});
    }

    // Writes the pair small: word i counts 300 000 - 10 000 i, and a last word "ъ", which no
    // search here lists, makes the total 1 000 000.
    void WriteWords(std::vector<std::string> words)
    {
        std::vector<std::int32_t> counts;
        std::int32_t sum = 0;
        for (std::size_t i = 0; i < words.size(); ++i) {
            counts.push_back(static_cast<std::int32_t>(300000 - 10000 * i));
            sum += counts.back();
        }
        words.push_back("ъ");
        counts.push_back(1000000 - sum);
        m_folder.WritePair("Словари/small", words, counts);
    }

    TCliRun Run(std::vector<std::string> args, const std::string& cacheHome = "")
    {
        return RunWithCache(m_folder, std::move(args), Dictionaries(), cacheHome);
    }
    std::string Dictionaries() const { return m_folder.Path() + "/Словари"; }
    std::string CacheFile() const
    {
        for (const fs::directory_entry& entry :
             fs::recursive_directory_iterator(m_folder.Path() + "/cache")) {
            if (entry.is_regular_file()) {
                return entry.path().string();
            }
        }
        return "";
    }

    TTempFolder m_folder;
};

TEST_F(CliRhymes, RhymeTakesTheOrdersFiltersAndFormatsOfTheOtherSearches)
{
    // Arguments, then the whole output, and what goes to stderr.
    struct TCase
    {
        std::vector<std::string> Args;
        const char* Out;
        const char* Err = "";
    };
    const TCase cases[] = {
        {{"--rhyme", "окно"}, "кино\nвино\n"},
        // вино rhymes richly, from the vowel before the н on.
        {{"--rhyme", "кино"}, "вино\nокно\n"},
        {{"--rhyme", "кино", "--stress"}, "вино'\nокно'\n"},
        {{"--ending", "о", "--stress-place", "2-"}, "можно\n"},
        {{"--ending", "о", "--stress-place", "1", "--headwords"}, "окно\nкино\nвино\n"},
        {{"--rhyme", "курс"},
         "",
         "slovosito-cli: no exact rhyme to \"курс\" is listed; --near lists the near rhymes "
         "too\n"},
        {{"--rhyme", "  Окно "}, "кино\nвино\n"},
        {{"--rhyme", "окно", "--alpha"}, "вино\nкино\n"},
        {{"--rhyme", "окно", "--ipm"}, "кино = 290000,00000\nвино = 270000,00000\n"},
        {{"--rhyme", "окно", "--min", "280000"}, "кино\n"},
        {{"--rhyme", "дно"}, "окно\nкино\nвино\n"},
        {{"--rhyme", "кино", "--format", "tsv"},
         "word\tipm\tcount\tdictionary\ttier\nвино\t270000,00000\t270000\tsmall\trich\n"
         "окно\t300000,00000\t300000\tsmall\texact\n"},
        {{"--ending", "с", "--headwords"}, "курс\n"},
        {{"--ending", "са"}, "курса\n"},
        {{"--rhyme", "окно", "--headwords"}, "кино\nвино\n"},
        {{"--rhyme", EspeakOverrunLine()}, ""},  // no key, so no rhymes
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.Args));
        const TCliRun run = Run(c.Args);
        EXPECT_EQ(run.Out, c.Out);
        EXPECT_EQ(run.Err, c.Err);
        EXPECT_EQ(run.Status, *c.Out == '\0' ? 1 : 0);
    }
}

TEST_F(CliRhymes, ATypedStressPicksOneOfAHomographsStresses)
{
    WriteWords({"замок", "песок", "рамок", "окно"});
    const std::pair<const char*, const char*> cases[] = {
        // The rhymes of the first reading (за'мок) come first.
        {"замок", "рамок\nпесок\n"},  {"замо'к", "песок\n"},
        {"замо\xCC\x81к", "песок\n"},  // a combining acute accent
        {"за'мок", "рамок\n"},        {"песок", "замок\n"},
        {"рамок", "замок\n"},
    };
    for (const auto& [word, out] : cases) {
        SCOPED_TRACE(word);
        EXPECT_EQ(Run({"--rhyme", word}).Out, out);
    }
}

TEST_F(CliRhymes, UsageErrors)
{
    EXPECT_EQ(Run({"--rhyme", " "}).Err, "slovosito-cli: option --rhyme needs a word\n");
    const TCliRun twoModes = Run({"--rhyme", "окно", "--mask", "*"});
    EXPECT_EQ(twoModes.Status, 2);
    EXPECT_EQ(twoModes.Err,
              "slovosito-cli: only one of --ending, --mask, --regexp, --inexact, --anagram, "
              "--from-letters and --rhyme may be given\n");
    EXPECT_EQ(Run({"--ending", "но", "--near"}).Err,
              "slovosito-cli: --near goes with --rhyme (see --help)\n");
}

// Every entry under folder with its bytes, and the folder's own time of change.
std::string Snapshot(const std::string& folder)
{
    std::string snapshot;
    for (const std::string& entry : Entries(folder)) {
        const std::string path = entry.substr(0, entry.rfind(' '));
        snapshot += entry + (fs::is_regular_file(path) ? ": " + ReadFileBytes(path) : "") + "\n";
    }
    struct stat info
    {};
    stat(folder.c_str(), &info);
    return snapshot + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec);
}

TEST_F(CliRhymes, NothingIsWrittenIntoTheDictionaryFolder)
{
    // A time long past, so that any entry made or removed shows even on a coarse clock.
    const timespec past[2] = {{946684800, 0}, {946684800, 0}};
    const auto succeeded = [](const TCliRun& run) { EXPECT_EQ(run.Status, 0) << run.Err; };
    const std::pair<const char*, std::function<void()>> readers[] = {
        {"the window's load",
         [this] {
             TRecordingLoadView view;
             ScanDictionaryFolder(Dictionaries(), view);
             EXPECT_EQ(view.Rows.size(), 1u);
         }},
        {"a search",
         [&] {
             succeeded(Run({"--ending", "но"}));
         }},
        {"--list", [&] { succeeded(Run({"--list"})); }},
        {"check",
         [&] {
             succeeded(RunProgram(m_folder, SLOVOSITO_CLI_PATH, {"check", "--dir", Dictionaries()},
                                  environ));
         }},
        {"--rhyme",
         [&] {
             succeeded(Run({"--rhyme", "окно"}));
         }},
        {"--headwords",
         [&] {
             succeeded(Run({"--mask", "*", "--headwords"}));
         }},
    };
    for (const bool oldLockFile : {false, true}) {
        if (oldLockFile) {
            // A lock file an older version left is no dictionary, and stays as it is.
            m_folder.Write("Словари/.slovosito.lock", "");
        }
        ASSERT_EQ(utimensat(AT_FDCWD, Dictionaries().c_str(), past, 0), 0);
        const std::string before = Snapshot(Dictionaries());
        for (const auto& [what, read] : readers) {
            SCOPED_TRACE(::testing::Message() << what << (oldLockFile ? ", old lock file" : ""));
            read();
            EXPECT_EQ(Snapshot(Dictionaries()), before);
        }
    }
    // The folder and one index, beside the remembered hashes of the pair once it has settled.
    const std::vector<std::string> cache = Entries(m_folder.Path() + "/cache");
    EXPECT_EQ(std::count_if(cache.begin(), cache.end(),
                            [](const std::string& entry) {
                                return entry.find("/content-hashes ") == std::string::npos;
                            }),
              2);
}

TEST_F(CliRhymes, AChangedPairIsIndexedAnew)
{
    EXPECT_EQ(Run({"--rhyme", "окно"}).Out, "кино\nвино\n");
    // The same size, other words: an index kept by position would list сено.
    WriteWords({"окно", "кино", "можно", "сено", "курса", "курс"});
    EXPECT_EQ(Run({"--rhyme", "окно"}).Out, "кино\n");
    WriteWords({"окно", "кино", "можно", "сено", "курса", "курс", "давно"});
    EXPECT_EQ(Run({"--rhyme", "окно"}).Out, "кино\nдавно\n");
}

TEST_F(CliRhymes, APairWithTheExtensionInCapitalsIsIndexedAnewWhenItChanges)
{
    // The same size each time: only the files' own times can tell the lists apart.
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"окно", "кино", "можно", "вино", "курса", "курс"}, "кино\nвино\n"},
        {{"окно", "кино", "можно", "сено", "курса", "курс"}, "кино\n"},
    };
    for (const auto& [words, out] : cases) {
        SCOPED_TRACE(out);
        WriteWords(words);
        fs::rename(Dictionaries() + "/small.txt", Dictionaries() + "/small.TXT");
        fs::rename(Dictionaries() + "/small.txt.cnt", Dictionaries() + "/small.TXT.cnt");
        EXPECT_EQ(Run({"--rhyme", "окно"}).Out, out);
    }
}

TEST_F(CliRhymes, CopiesOfAPairInTwoFoldersShareOneIndexThatCheckCounts)
{
    EXPECT_EQ(Run({"--rhyme", "окно"}).Out, "кино\nвино\n");
    fs::copy(Dictionaries(), m_folder.Path() + "/Копия");
    EXPECT_EQ(RunWithCache(m_folder, {"--rhyme", "окно"}, m_folder.Path() + "/Копия").Out,
              "кино\nвино\n");
    // The folder and one index, beside the remembered hashes of the pair once it has settled.
    const std::vector<std::string> cache = Entries(m_folder.Path() + "/cache");
    EXPECT_EQ(std::count_if(cache.begin(), cache.end(),
                            [](const std::string& entry) {
                                return entry.find("/content-hashes ") == std::string::npos;
                            }),
              2);
    const std::string check = Run({"check"}).Out;
    EXPECT_EQ(check.substr(check.find("1 of 1 listed\n")),
              "1 of 1 listed\nrhyme index cache: " + m_folder.Path() +
                  "/cache/slovosito (1 file, 0.0 MB)\n");
}

TEST_F(CliRhymes, ADamagedCacheIsBuiltAnewAndRewritten)
{
    ASSERT_EQ(Run({"--rhyme", "окно"}).Out, "кино\nвино\n");
    const std::string path = CacheFile();
    const std::string sound = ReadFileBytes(path);
    ASSERT_GT(sound.size(), 40u);
    std::string flipped = sound;
    flipped[sound.size() - 7] = static_cast<char>(flipped[sound.size() - 7] ^ 0x01);
    std::string magic = sound;
    magic[0] = 'X';
    const std::pair<const char*, std::string> damages[] = {
        {"truncated", sound.substr(0, sound.size() / 2)},
        {"flipped byte", flipped},
        {"wrong magic", magic},
        {"empty", ""},
    };
    for (const auto& [what, bytes] : damages) {
        SCOPED_TRACE(what);
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << bytes;
        }
        const TCliRun run = Run({"--rhyme", "окно"});
        EXPECT_EQ(run.Out, "кино\nвино\n");
        EXPECT_EQ(run.Err, "");
        EXPECT_EQ(ReadFileBytes(path), sound);
    }
}

TEST_F(CliRhymes, AnUnwritableCacheFolderStillSearchesWithAWarning)
{
    // A file where the cache folder should be: not even root can make a folder inside it.
    m_folder.Write("not-a-folder", "x");
    const TCliRun run = Run({"--rhyme", "окно"}, m_folder.Path() + "/not-a-folder");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "кино\nвино\n");
    EXPECT_EQ(run.Err, "slovosito-cli: Cannot create folder \"" + m_folder.Path() +
                           "/not-a-folder/slovosito\". Not a directory. The rhyme index is kept "
                           "in memory only.\n");
}

TEST_F(CliRhymes, ADictionaryNotSearchedKeepsItsCache)
{
    m_folder.WritePair("Словари/another", {"кино", "окно"}, {1, 1});
    ASSERT_EQ(Run({"--rhyme", "окно", "--all"}).Status, 0);
    const auto cacheFiles = [this] {
        std::map<std::string, std::string> files;
        for (const fs::directory_entry& entry :
             fs::recursive_directory_iterator(m_folder.Path() + "/cache")) {
            // The remembered hashes may gain the pair's once it has settled.
            if (entry.is_regular_file() && entry.path().filename() != "content-hashes") {
                files[entry.path().string()] = ReadFileBytes(entry.path().string());
            }
        }
        return files;
    };
    const std::map<std::string, std::string> both = cacheFiles();
    ASSERT_EQ(both.size(), 2u);
    // The command line loads only the dictionary it searches; the other's index, made from all
    // its words, must not be replaced by one of none.
    EXPECT_EQ(Run({"--rhyme", "окно", "--dict", "small"}).Out, "кино\nвино\n");
    EXPECT_EQ(Run({"--rhyme", "окно", "--dict", "another"}).Out, "кино\n");
    EXPECT_EQ(cacheFiles(), both);
}

}  // namespace
