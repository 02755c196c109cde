// The rhyme pairs of classic poems (data/rhyme_pairs.tsv) through espeak-ng and the rhyme keys,
// each word read as the index reads it, ё restored.

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "phonetics/key_worker.h"
#include "phonetics/phonemes.h"
#include "phonetics/rhyme_key.h"
#include "phonetics/yo_readings.h"
#include "wordstore/encoding.h"
#include "wordstore/letters.h"

namespace {

// The keys of a word of the table (UTF-8), a typed stress taken as the rhyme search takes it.
std::vector<std::string> TableKeysOf(const std::string& utf8)
{
    const TStressedWord typed = ReadStressedWord(LowerKeepingYo(ToCp1251(utf8)));
    if (typed.StressedVowel >= 0) {
        return RhymeKeysOf(typed.Word, typed.StressedVowel);
    }
    return ReadingKeysOf(InstalledYoReadings().ToPhonemise(typed.Word));
}

TEST(RhymePairs, PoemsRhymesMatchAndLookAlikesDoNot)
{
    std::ifstream table(SLOVOSITO_TEST_DATA_DIR "/rhyme_pairs.tsv");
    ASSERT_TRUE(table) << SLOVOSITO_TEST_DATA_DIR "/rhyme_pairs.tsv";
    std::map<std::string, std::pair<int, int>> byCategory;  // pairs right, pairs in all
    std::string line;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, '\t');) {
            fields.push_back(field);
        }
        ASSERT_GE(fields.size(), 4u) << line;
        const std::vector<std::string> first = TableKeysOf(fields[0]);
        const std::vector<std::string> second = TableKeysOf(fields[1]);
        const bool rhyme = std::any_of(first.begin(), first.end(), [&](const std::string& key) {
            return std::find(second.begin(), second.end(), key) != second.end();
        });
        const bool right = rhyme == (fields[2] == "yes");
        EXPECT_TRUE(right) << line << "\n  keys " << (first.empty() ? "-" : first[0]) << " / "
                           << (second.empty() ? "-" : second[0]);
        auto& [rightCount, total] = byCategory[fields[3]];
        rightCount += right ? 1 : 0;
        ++total;
    }
    for (const auto& [category, counts] : byCategory) {
        std::printf("%-12s %3d of %3d\n", category.c_str(), counts.first, counts.second);
    }
}

}  // namespace
