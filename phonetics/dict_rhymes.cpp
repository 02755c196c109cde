// The keys, classes, key lookup and per-key word lists of one dictionary's rhyme index.

#include "phonetics/dict_rhymes.h"

#include <algorithm>
#include <limits>

void TDictRhymes::SetKeys(const std::vector<std::string>& keys)
{
    std::vector<char> text;
    std::vector<std::uint32_t> starts{0};
    for (const std::string& key : keys) {
        text.insert(text.end(), key.begin(), key.end());
        starts.push_back(static_cast<std::uint32_t>(text.size()));
    }
    KeyText = std::move(text);
    KeyStart = std::move(starts);
}

void TDictRhymes::SetClasses(const std::vector<std::uint16_t>& classes)
{
    std::vector<std::uint16_t> table(classes);
    std::sort(table.begin(), table.end());
    table.erase(std::unique(table.begin(), table.end()), table.end());
    if (table.size() > std::numeric_limits<std::uint8_t>::max() + 1U) {
        WideClasses = classes;
        ClassIds = {};
        ClassTable = {};
        return;
    }
    std::vector<std::uint8_t> ids(classes.size());
    for (std::size_t j = 0; j < classes.size(); ++j) {
        ids[j] = static_cast<std::uint8_t>(
            std::lower_bound(table.begin(), table.end(), classes[j]) - table.begin());
    }
    ClassIds = std::move(ids);
    ClassTable = std::move(table);
    WideClasses = {};
}

std::uint32_t TDictRhymes::KeyId(std::string_view key) const
{
    if (key.empty()) {
        return 0;
    }
    const std::uint32_t first = KeyIdsStartingWith(key).first;
    return first < KeyCount() && Key(first) == key ? first : 0;
}

std::pair<std::uint32_t, std::uint32_t> TDictRhymes::KeyIdsStartingWith(
    std::string_view prefix) const
{
    const auto count = static_cast<std::uint32_t>(KeyCount());
    if (count < 2) {
        return {0, 0};
    }
    // The first key not below prefix, by halving over ids 1 .. count - 1.
    std::uint32_t first = 1;
    std::uint32_t last = count;
    while (first < last) {
        const std::uint32_t middle = first + (last - first) / 2;
        if (Key(middle) < prefix) {
            first = middle + 1;
        } else {
            last = middle;
        }
    }
    last = first;
    while (last < count && Key(last).starts_with(prefix)) {
        ++last;
    }
    return {first, last};
}

std::uint32_t TDictRhymes::SecondKeyId(std::size_t j) const
{
    const auto second = std::lower_bound(SecondKeys.begin(), SecondKeys.end(),
                                         TSecondKey{static_cast<std::uint32_t>(j), 0});
    return second != SecondKeys.end() && second->Word == j ? second->Key : 0;
}

void TDictRhymes::MakeKeyLists()
{
    std::vector<std::uint32_t> starts(KeyCount() + 1, 0);
    const auto countWord = [&starts](std::uint32_t id) {
        if (id != 0) {
            ++starts[id + 1];
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
    for (std::size_t id = 1; id < starts.size(); ++id) {
        starts[id] += starts[id - 1];
    }
    std::vector<std::uint32_t> words(starts.back());
    // Filled in word order, so that each list rises; next[id] is where its next word goes.
    std::vector<std::uint32_t> next(starts.begin(), starts.end() - 1);
    const TSecondKey* second = SecondKeys.begin();
    for (std::uint32_t j = 0; j < KeyIds.size(); ++j) {
        if (KeyIds[j] != 0) {
            words[next[KeyIds[j]]++] = j;
        }
        for (; second != SecondKeys.end() && second->Word == j; ++second) {
            if (second->Key != 0 && second->Key != KeyIds[j]) {
                words[next[second->Key]++] = j;
            }
        }
    }
    ListStart = std::move(starts);
    ListWords = std::move(words);
}

std::span<const std::uint32_t> TDictRhymes::WordsWithKey(std::uint32_t id) const
{
    if (id == 0 || id + 1 >= ListStart.size()) {
        return {};
    }
    return ListWords.Span().subspan(ListStart[id], ListStart[id + 1] - ListStart[id]);
}

bool operator==(const TDictRhymes& a, const TDictRhymes& b)
{
    if (a.size() != b.size() || a.KeyText != b.KeyText || a.KeyStart != b.KeyStart ||
        a.KeyIds != b.KeyIds || a.SecondKeys != b.SecondKeys || a.ListStart != b.ListStart ||
        a.ListWords != b.ListWords || a.WordStarts != b.WordStarts) {
        return false;
    }
    for (std::size_t j = 0; j < a.size(); ++j) {
        if (a.Classes(j) != b.Classes(j)) {
            return false;
        }
    }
    return true;
}
