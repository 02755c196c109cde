#pragma once
// The rhyme search's question asked of one word, as the search went before the key lists: whether
// a word has one of two key ids. The tests and the rhyme benchmark hold the key lists against it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "phonetics/dict_rhymes.h"
#include "phonetics/rhyme_key.h"

// Whether word j of dict has one of the key ids (0 stands for none).
inline bool HasRhymeKey(const TDictRhymes& dict, std::size_t j, std::uint32_t first,
                        std::uint32_t second)
{
    const std::uint32_t id = dict.KeyIds[j];
    if (id != 0 && (id == first || id == second)) {
        return true;
    }
    const std::uint32_t other = dict.SecondKeyId(j);
    return other != 0 && (other == first || other == second);
}

// Which key ids of dict have the rhyme key of one of the index keys keys, onsets aside.
inline std::vector<bool> RhymingIds(const TDictRhymes& dict, const std::vector<std::string>& keys)
{
    std::vector<bool> rhyming(dict.KeyCount());
    for (std::uint32_t id = 1; id < dict.KeyCount(); ++id) {
        rhyming[id] = std::any_of(keys.begin(), keys.end(), [&](const std::string& key) {
            return RhymePart(key) == RhymePart(dict.Key(id));
        });
    }
    return rhyming;
}

// Whether word j of dict has a key of rhyming (RhymingIds).
inline bool HasRhymingKey(const TDictRhymes& dict, std::size_t j, const std::vector<bool>& rhyming)
{
    const std::uint32_t first = dict.KeyIds[j];
    const std::uint32_t second = dict.SecondKeyId(j);
    return (first != 0 && rhyming[first]) || (second != 0 && rhyming[second]);
}
