#pragma once
// The rhyme index of one dictionary: each word's rhyme keys, numbered, its headword flag and word
// classes, with the lists of the words of each key that the rhyme search walks.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The index of one dictionary, word j of its word list at place j.
struct TDictRhymes
{
    // Key id -> key: id 0 is "no key", the others in byte order of the keys.
    std::vector<std::string> Keys{std::string()};
    std::vector<std::uint32_t> KeyIds;   // each word's key id
    std::vector<std::uint8_t> Flags;     // each word's kHeadword and kSecondKey bits
    std::vector<std::uint16_t> Classes;  // each word's TWordClass bits (phonetics/headwords.h)
    // (word, key id) for the homographs' second keys, by word.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> SecondKeys;

    static constexpr std::uint8_t kHeadword = 1;
    static constexpr std::uint8_t kSecondKey = 2;

    std::size_t size() const { return KeyIds.size(); }
    bool IsHeadword(std::size_t j) const { return (Flags[j] & kHeadword) != 0; }
    // The id of key, or 0 when no word has it.
    std::uint32_t KeyId(std::string_view key) const;
    // The ids of the keys that start with prefix: [first, second).
    std::pair<std::uint32_t, std::uint32_t> KeyIdsStartingWith(std::string_view prefix) const;
    // The id of word j's second key, or 0 when it has none.
    std::uint32_t SecondKeyId(std::size_t j) const;

    // Lists the words by key id, first and second keys alike, for WordsWithKey().
    void MakeKeyLists();
    // The words whose first or second key is id, each once, in rising order; none for id 0 and
    // before MakeKeyLists().
    std::span<const std::uint32_t> WordsWithKey(std::uint32_t id) const;

    // The lists MakeKeyLists() makes: the words of key id are ListWords[ListStart[id]] up to
    // ListWords[ListStart[id + 1]].
    std::vector<std::uint32_t> ListStart;
    std::vector<std::uint32_t> ListWords;
};
