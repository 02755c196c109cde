// Tests of the search over given places of words: it lists what the search that tests every word
// lists for the same words, whatever the ticks, minimum, filter and order.

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/recording_control.h"
#include "tests/support/recording_load_view.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"
#include "wordstore/word_store.h"

namespace {

class PlacesSearchRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearWordStore();
        // Three rows of random words of one to three syllables with Zipf-like counts, repeats
        // across and within rows; the third row's counts are all zero, so its total is zero and
        // no run walks it.
        const char* syllables[] = {"ко", "на", "т", "Яу", "-е", "ток"};
        std::mt19937 random(20261210);
        const std::pair<const char*, int> rows[] = {{"a", 2500}, {"b", 1500}, {"c", 300}};
        for (const auto& [name, count] : rows) {
            std::vector<std::string> words(static_cast<std::size_t>(count));
            std::vector<std::int32_t> counts;
            for (std::string& word : words) {
                for (std::size_t k = 1 + random() % 3; k > 0; --k) {
                    word += syllables[random() % std::size(syllables)];
                }
                counts.push_back(name[0] == 'c' ? 0 : 1000 / static_cast<int>(counts.size() + 1));
            }
            m_folder.WritePair(name, words, counts);
        }
        TRecordingLoadView loadView;
        ScanDictionaryFolder(m_folder.Path(), loadView);
        ASSERT_EQ(DictWords.size(), 3u);
        // About one word in four of each row, rising.
        m_places.resize(DictWords.size());
        for (std::size_t row = 0; row < DictWords.size(); ++row) {
            for (std::uint32_t j = 0; j < DictWords[row].size(); ++j) {
                if (random() % 4 == 0) {
                    m_places[row].push_back(j);
                }
            }
        }
    }
    void TearDown() override { ClearWordStore(); }

    // The listing of the search that walks every word and keeps those at places through the
    // filter's own test.
    std::string EveryWordListing(const std::vector<std::vector<std::uint32_t>>& places)
    {
        TRecordingControl control = m_control;
        const auto keep = control.Given.Filter.Keep;
        control.Given.Filter.Keep = [&places, keep](std::size_t row, std::size_t j) {
            return row < places.size() &&
                   std::binary_search(places[row].begin(), places[row].end(), j) &&
                   (!keep || keep(row, j));
        };
        return ListRun(WordTest(
                           0, [](std::string_view) { return true; }, false),
                       control)
            .Text;
    }
    std::string PlacesListing(const std::vector<std::vector<std::uint32_t>>& places)
    {
        return ListRun(PlacesTest(places), m_control).Text;
    }

    TTempFolder m_folder;
    TRecordingControl m_control;
    std::vector<std::vector<std::uint32_t>> m_places;
};

TEST_F(PlacesSearchRun, ListsWhatTheSearchOfEveryWordListsForTheSamePlaces)
{
    const auto range = [](std::size_t min, std::size_t max) { return TCountRange{min, max}; };
    TWordFilter keepHyphenless;
    keepHyphenless.Keep = [](std::size_t row, std::size_t j) {
        return DictWords[row][j].find('-') == std::string_view::npos;
    };
    TWordFilter lengthAndKeep = keepHyphenless;
    lengthAndKeep.Length = range(2, 4);
    const TWordFilter filters[] = {
        {}, {range(3, 5), std::nullopt}, {std::nullopt, range(1, 2)}, keepHyphenless, lengthAndKeep,
    };
    const std::vector<bool> ticks[] = {{true, true, true}, {false, true, true}, {true, false}};
    // Places for every row, for the first row only, and for none.
    const std::vector<std::vector<std::uint32_t>> placeSets[] = {m_places, {m_places[0]}, {}};
    std::size_t listed = 0;
    for (const bool alpha : {false, true}) {
        for (const char* minimum : {"0,0", "500"}) {
            for (std::size_t f = 0; f < std::size(filters); ++f) {
                for (std::size_t t = 0; t < std::size(ticks); ++t) {
                    for (std::size_t p = 0; p < std::size(placeSets); ++p) {
                        SCOPED_TRACE(testing::Message()
                                     << (alpha ? "by word" : "by value") << ", minimum " << minimum
                                     << ", filter " << f << ", ticks " << t << ", places " << p);
                        m_control.Given.Alphabetical = alpha;
                        m_control.Given.ShowIpm = true;
                        m_control.Given.MinIpmText = minimum;
                        m_control.Given.Filter = filters[f];
                        m_control.Ticked = ticks[t];
                        const std::string expected = EveryWordListing(placeSets[p]);
                        EXPECT_EQ(PlacesListing(placeSets[p]), expected);
                        listed += expected.empty() ? 0 : 1;
                    }
                }
            }
        }
    }
    // Most combinations list something, so the comparison is not of empty listings.
    EXPECT_GT(listed, 2 * 2 * std::size(filters) * std::size(ticks));
}

TEST_F(PlacesSearchRun, AsksTheControlWhetherToGoOnAndStopsWhenItSaysNo)
{
    m_control.Ticked = {true, true, true};
    m_control.Given.TimeLimit = std::chrono::seconds(0);
    const std::vector<std::vector<std::uint32_t>> one = {{m_places[0][0]}};
    EXPECT_EQ(PlacesListing(one), ToUtf8(std::string(DictWords[0][m_places[0][0]])));
    EXPECT_GE(m_control.Polls.size(), 1u);

    m_control.OnKeepGoing = [](TSearchClock::duration) { return false; };
    EXPECT_THROW(PlacesListing(m_places), ESearchCancelled);
}

}  // namespace
