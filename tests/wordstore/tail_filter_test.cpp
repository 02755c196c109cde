// Tests of the filter of a word's last two bytes that walks test before a search's own test.

#include "wordstore/tail_filter.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using TByteSet = std::bitset<256>;

TByteSet RandomSet(std::mt19937& random)
{
    TByteSet set;
    const unsigned size = 1 + random() % 4;
    for (unsigned i = 0; i < size; ++i) {
        set.set(random() % 256);
    }
    return set;
}

// Every two-byte ending that lies in the sets passes; with sets of one byte, nothing else does.
TEST(TTailFilter, PassesEveryEndingInTheSetsAndOnlyThoseOfSingleBytes)
{
    std::mt19937 random(20261209);
    for (int round = 0; round < 40; ++round) {
        std::vector<TByteSet> lastFirst = {RandomSet(random), RandomSet(random)};
        const TTailFilter filter = TTailFilter::OfLastBytes(lastFirst);
        const bool single = lastFirst[0].count() == 1 && lastFirst[1].count() == 1;
        for (unsigned before = 0; before < 256; ++before) {
            for (unsigned last = 0; last < 256; ++last) {
                const std::string word = {'x', static_cast<char>(before), static_cast<char>(last)};
                const bool inSets = lastFirst[0][last] && lastFirst[1][before];
                if (inSets || single) {
                    ASSERT_EQ(filter.Passes(word), inSets) << before << " " << last;
                }
            }
        }
    }
}

TEST(TTailFilter, TestsOnlyTheBytesItWasGivenAndNeedsThatManyOfTheWord)
{
    TByteSet a;
    a.set('a');
    TByteSet b;
    b.set('b');
    const struct
    {
        std::vector<TByteSet> LastFirst;
        std::vector<std::pair<std::string, bool>> Words;
    } cases[] = {
        {{}, {{"", true}, {"zz", true}}},
        {{a}, {{"", false}, {"a", true}, {"ba", true}, {"ab", false}}},
        {{a, b}, {{"a", false}, {"ba", true}, {"xba", true}, {"aa", false}}},
        // A third set is not tested, though it still needs no more than two bytes.
        {{a, b, a}, {{"ba", true}, {"bba", true}}},
    };
    for (const auto& c : cases) {
        const TTailFilter filter = TTailFilter::OfLastBytes(c.LastFirst);
        for (const auto& [word, passes] : c.Words) {
            EXPECT_EQ(filter.Passes(word), passes) << c.LastFirst.size() << " '" << word << "'";
        }
    }
}

}  // namespace
