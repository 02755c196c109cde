#pragma once
// The rhyme search's question asked of one word, as the search went before the key lists: whether
// a word has one of two key ids. The tests and the rhyme benchmark hold the key lists against it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "phonetics/dict_rhymes.h"

// Whether word j of dict has one of the key ids (0 stands for none).
inline bool HasRhymeKey(const TDictRhymes& dict, std::size_t j, std::uint32_t first,
                        std::uint32_t second)
{
    const std::uint32_t id = dict.KeyIds[j];
    if (id != 0 && (id == first || id == second)) {
        return true;
    }
    if ((dict.Flags[j] & TDictRhymes::kSecondKey) == 0) {
        return false;
    }
    const auto found = std::lower_bound(dict.SecondKeys.begin(), dict.SecondKeys.end(),
                                        std::make_pair(static_cast<std::uint32_t>(j), 0U));
    return found != dict.SecondKeys.end() && found->first == j && found->second != 0 &&
           (found->second == first || found->second == second);
}
