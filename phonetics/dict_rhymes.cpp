// The key lookup and the per-key word lists of one dictionary's rhyme index.

#include "phonetics/dict_rhymes.h"

#include <algorithm>

std::uint32_t TDictRhymes::KeyId(std::string_view key) const
{
    if (key.empty() || Keys.size() < 2) {
        return 0;
    }
    const auto found = std::lower_bound(Keys.begin() + 1, Keys.end(), key);
    return found == Keys.end() || *found != key ? 0
                                                : static_cast<std::uint32_t>(found - Keys.begin());
}

std::pair<std::uint32_t, std::uint32_t> TDictRhymes::KeyIdsStartingWith(
    std::string_view prefix) const
{
    if (Keys.size() < 2) {
        return {0, 0};
    }
    const auto first = std::lower_bound(Keys.begin() + 1, Keys.end(), prefix);
    const auto last = std::find_if(first, Keys.end(), [prefix](const std::string& key) {
        return !std::string_view(key).starts_with(prefix);
    });
    return {static_cast<std::uint32_t>(first - Keys.begin()),
            static_cast<std::uint32_t>(last - Keys.begin())};
}

std::uint32_t TDictRhymes::SecondKeyId(std::size_t j) const
{
    const auto second =
        std::lower_bound(SecondKeys.begin(), SecondKeys.end(),
                         std::pair<std::uint32_t, std::uint32_t>(static_cast<std::uint32_t>(j), 0));
    return second != SecondKeys.end() && second->first == j ? second->second : 0;
}

void TDictRhymes::MakeKeyLists()
{
    ListStart.assign(Keys.size() + 1, 0);
    const auto countWord = [this](std::uint32_t id) {
        if (id != 0) {
            ++ListStart[id + 1];
        }
    };
    for (const std::uint32_t id : KeyIds) {
        countWord(id);
    }
    for (const auto& [word, id] : SecondKeys) {
        if (id != KeyIds[word]) {
            countWord(id);
        }
    }
    for (std::size_t id = 1; id < ListStart.size(); ++id) {
        ListStart[id] += ListStart[id - 1];
    }
    ListWords.resize(ListStart.back());
    // Filled in word order, so that each list rises; next[id] is where its next word goes.
    std::vector<std::uint32_t> next(ListStart.begin(), ListStart.end() - 1);
    auto second = SecondKeys.begin();
    for (std::uint32_t j = 0; j < KeyIds.size(); ++j) {
        if (KeyIds[j] != 0) {
            ListWords[next[KeyIds[j]]++] = j;
        }
        for (; second != SecondKeys.end() && second->first == j; ++second) {
            if (second->second != 0 && second->second != KeyIds[j]) {
                ListWords[next[second->second]++] = j;
            }
        }
    }
}

std::span<const std::uint32_t> TDictRhymes::WordsWithKey(std::uint32_t id) const
{
    if (id == 0 || id + 1 >= ListStart.size()) {
        return {};
    }
    return std::span<const std::uint32_t>(ListWords).subspan(ListStart[id],
                                                             ListStart[id + 1] - ListStart[id]);
}
