// Tests that a search which builds only the dictionaries it ticks prints what the same search
// prints over a folder that holds those dictionaries alone, all of them loaded in full.

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"

namespace {

// Words of two to seven letters from a few common ones, so that searches find some.
std::vector<std::string> RandomWords(std::mt19937& random, std::size_t count)
{
    const std::vector<std::string> letters = {"а", "к", "о", "т", "ё", "н", "я", "с"};
    std::uniform_int_distribution<std::size_t> length(2, 7);
    std::uniform_int_distribution<std::size_t> letter(0, letters.size() - 1);
    std::vector<std::string> words;
    for (std::size_t j = 0; j < count; ++j) {
        std::string word;
        for (std::size_t n = length(random); n > 0; --n) {
            word += letters[letter(random)];
        }
        words.push_back(word);
    }
    return words;
}

std::vector<std::int32_t> RandomCounts(std::mt19937& random, std::size_t count)
{
    std::uniform_int_distribution<std::int32_t> value(0, 5000);
    std::vector<std::int32_t> counts;
    for (std::size_t j = 0; j < count; ++j) {
        counts.push_back(value(random));
    }
    return counts;
}

TEST(CliPickedLoading, SearchesGiveWhatTheTickedDictionariesAloneGive)
{
    std::mt19937 random(4242);
    const std::vector<std::string> stems = {"d1", "d2", "d3", "d4"};
    std::vector<std::vector<std::string>> words;
    std::vector<std::vector<std::int32_t>> counts;
    const TTempFolder everything;
    for (const std::string& stem : stems) {
        words.push_back(RandomWords(random, 3000));
        counts.push_back(RandomCounts(random, 3000));
        everything.WritePair("Словари/" + stem, words.back(), counts.back());
    }
    // A damaged pair before the others, warned about whatever is ticked.
    everything.Write("Словари/a.txt", "x\r\ny\r\n");
    everything.Write("Словари/a.txt.cnt", Counts({1}));
    const std::string warning =
        "slovosito-cli: Внимание! Словарь \"a\" был изменён вручную или повреждён и не может "
        "более использоваться.\n";

    // The options that tick, then the dictionaries they tick.
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::size_t>>> pickings = {
        {{}, {0}},
        {{"--dict", "d3"}, {2}},
        {{"--dict", "d4", "--dict", "d2"}, {1, 3}},
        {{"--all"}, {0, 1, 2, 3}},
    };
    const std::vector<std::vector<std::string>> searches = {
        {"--ending", "ак"},
        {"--regexp", "/^к.*[ая]$/", "--ipm"},
        {"--mask", "т*о", "--alpha", "--min", "100"},
        {"--ending", "е", "--format", "tsv"},
        {"--from-letters", "котан", "--compare"},
    };
    for (const auto& [options, ticked] : pickings) {
        const TTempFolder alone;
        for (const std::size_t d : ticked) {
            alone.WritePair("Словари/" + stems[d], words[d], counts[d]);
        }
        for (const std::vector<std::string>& search : searches) {
            SCOPED_TRACE(::testing::PrintToString(options) + " " +
                         ::testing::PrintToString(search));
            std::vector<std::string> picked = options;
            picked.insert(picked.end(), search.begin(), search.end());
            std::vector<std::string> all = {"--all"};
            all.insert(all.end(), search.begin(), search.end());
            const TCliRun expected = RunCliOnDictionaries(alone, all);
            const TCliRun actual = RunCliOnDictionaries(everything, picked);
            EXPECT_EQ(actual.Status, expected.Status);
            EXPECT_EQ(actual.Out, expected.Out);
            EXPECT_EQ(actual.Err, warning + expected.Err);
        }
    }
    // The rows of every pair stand in the listing, whatever they hold.
    EXPECT_EQ(RunCliOnDictionaries(everything, {"--list"}).Out,
              "d1 (3000 слов)\nd2 (3000 слов)\nd3 (3000 слов)\nd4 (3000 слов)\n");
}

}  // namespace
