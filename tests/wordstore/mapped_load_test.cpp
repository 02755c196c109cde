// Tests: a store loaded from mapped files holds the same words, counts, totals and reports as one
// read into memory of its own, over generated word lists of every kind of line; so does one
// loaded for a single search, of the words that search can find.

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/recording_load_view.h"
#include "tests/support/temp_folder.h"

namespace {

class TMappingLoadView : public TRecordingLoadView
{
public:
    bool MapsFiles() const override { return true; }
};

// A view for one search of the words that end in а, б, в or г after а to г.
class TKeepingLoadView : public TMappingLoadView
{
public:
    TTailFilter KeptWords(const std::string&) override
    {
        return TTailFilter::OfLastBytes({kAtoG, kAtoG});
    }
    static inline const std::bitset<256> kAtoG = std::bitset<256>().set(0xE1).set(0xE2);
};

// What a load left: rows and warnings, then each slot's total, its words and counts, of those
// that pass kept only.
template <typename TView>
std::vector<std::string> Loaded(const std::string& folder, const TTailFilter& kept = {})
{
    ClearWordStore();
    TView view;
    ScanDictionaryFolder(folder, view);
    std::vector<std::string> loaded = view.Rows;
    loaded.insert(loaded.end(), view.Warnings.begin(), view.Warnings.end());
    for (std::size_t slot = 0; slot < DictWords.size(); ++slot) {
        EXPECT_EQ(DictCounts[slot].size(), DictWords[slot].size());
        loaded.push_back(std::to_string(DictTotals[slot]));
        for (std::size_t j = 0; j < DictWords[slot].size(); ++j) {
            if (kept.Passes(DictWords[slot][j])) {
                loaded.push_back(std::string(DictWords[slot][j]) + " " +
                                 std::to_string(DictCounts[slot][j]));
            }
        }
    }
    return loaded;
}

// Writes the pair name: list, and words random counts with two spare bytes when spare.
void WritePair(const TTempFolder& folder, const std::string& name, const std::string& list,
               std::size_t words, std::mt19937& random, bool spare = false)
{
    std::vector<std::int32_t> counts(words);
    std::generate(counts.begin(), counts.end(),
                  [&] { return static_cast<std::int32_t>(random()); });
    folder.Write(name, list);
    folder.Write(name + ".cnt", Counts(counts) + (spare ? "xy" : ""));
}

TEST(MappedLoad, GivesTheStoreThatReadingGives)
{
    std::mt19937 random(7);
    const char* const breaks[] = {"\r\n", "\n", "\r"};
    // Sizes about a page (the NUL after a list that fills its last page is on a page of its own)
    // and over the size from which two cores split a list.
    for (const std::size_t size : {1, 100, 4095, 4096, 4097, 8192, 3 << 20}) {
        SCOPED_TRACE(size);
        std::string list;
        std::size_t lines = 0;
        for (; list.size() < size; ++lines) {
            std::string word(random() % 12, 'a');
            for (char& letter : word) {
                letter = static_cast<char>(0xE1 + random() % 31);
            }
            list += "\xE0" + word + breaks[random() % 3];
        }
        // Cut inside its last line, the list keeps every line, the last maybe without a break.
        // Each line starts with an а, which no other place holds.
        const std::size_t lineEnd = std::min(list.find('\xE0', list.size() / 2), list.size());
        const TTempFolder folder;
        WritePair(folder, "d/cut.txt", list.substr(0, size), lines, random);
        WritePair(folder, "d/whole.txt", list, lines, random, true);
        // A NUL after a line ends the words there.
        WritePair(folder, "d/nul.txt",
                  list.substr(0, lineEnd) + std::string(1, '\0') + list.substr(lineEnd),
                  std::count(list.begin(), list.begin() + lineEnd, '\xE0'), random);
        WritePair(folder, "d/damaged.txt", list, lines + 1, random);
        const std::vector<std::string> read = Loaded<TRecordingLoadView>(folder.Path() + "/d");
        EXPECT_EQ(Loaded<TMappingLoadView>(folder.Path() + "/d"), read);
        // A store for one search holds the words it can find, with their counts and the totals.
        EXPECT_EQ(
            Loaded<TKeepingLoadView>(folder.Path() + "/d"),
            Loaded<TRecordingLoadView>(folder.Path() + "/d", TKeepingLoadView().KeptWords("")));
    }
}

}  // namespace
