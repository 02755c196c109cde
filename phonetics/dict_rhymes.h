#pragma once
// The rhyme index of one dictionary: each word's rhyme keys, numbered, and word classes, with the
// lists of the words of each key that the rhyme search walks. Its arrays are its own when it is
// built, and views of the cache file's bytes when it is loaded (phonetics/rhyme_cache.h).

#include <compare>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "phonetics/headwords.h"
#include "phonetics/index_array.h"
#include "wordstore/large_array.h"
#include "wordstore/word_store.h"

// A homograph's second key: word's place and the key's id.
struct TSecondKey
{
    std::uint32_t Word = 0;
    std::uint32_t Key = 0;

    friend auto operator<=>(const TSecondKey&, const TSecondKey&) = default;
};

// The index of one dictionary, word j of its word list at place j.
struct TDictRhymes
{
    // The keys: key id -> its bytes KeyText[KeyStart[id]] up to KeyText[KeyStart[id + 1]]; id 0
    // is "no key", the others in byte order of the keys.
    TIndexArray<char> KeyText;
    TIndexArray<std::uint32_t> KeyStart{0, 0};
    // Each word's key id; worked out afresh when the index is loaded, on huge pages where the
    // kernel gives them, as the page faults of small ones would cost more than the work.
    std::vector<std::uint32_t, TLargeAllocator<std::uint32_t>> KeyIds;
    // Each word's TWordClass bits (phonetics/headwords.h): ClassTable[ClassIds[j]], or, when the
    // words have more than 256 kinds of classes, WideClasses[j].
    TIndexArray<std::uint8_t> ClassIds;
    TIndexArray<std::uint16_t> ClassTable;
    TIndexArray<std::uint16_t> WideClasses;
    // The homographs' second keys, by word, at most one a word.
    TIndexArray<TSecondKey> SecondKeys;
    // The lists MakeKeyLists() makes: the words of key id are ListWords[ListStart[id]] up to
    // ListWords[ListStart[id + 1]].
    TIndexArray<std::uint32_t> ListStart;
    TIndexArray<std::uint32_t> ListWords;
    // Where every kWordsPerStart-th word starts in the word list file: word kWordsPerStart * m
    // at byte WordStarts[m]; empty when not known. A program that reads a few words by their
    // places finds them there without splitting the whole list.
    static constexpr std::size_t kWordsPerStart = TKeptPlaces::kWordsPerStart;
    TIndexArray<std::uint32_t> WordStarts;
    // What the arrays view, when they view a file: kept while any copy of the index lives.
    std::shared_ptr<const void> Storage;

    std::size_t size() const { return KeyIds.size(); }
    std::size_t KeyCount() const { return KeyStart.size() - 1; }
    // The bytes of key id; id < KeyCount().
    std::string_view Key(std::uint32_t id) const
    {
        return {KeyText.data() + KeyStart[id], KeyStart[id + 1] - KeyStart[id]};
    }
    // Numbers keys as they are given: keys[0] must be "".
    void SetKeys(const std::vector<std::string>& keys);
    // Each word's TWordClass bits.
    std::uint16_t Classes(std::size_t j) const
    {
        return ClassTable.empty() ? WideClasses[j] : ClassTable[ClassIds[j]];
    }
    // Keeps classes, one a word, as compactly as they allow.
    void SetClasses(const std::vector<std::uint16_t>& classes);
    bool IsHeadword(std::size_t j) const { return (Classes(j) & TWordClass::kHeadwords) != 0; }
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

    // Whether a and b hold the same keys, words and lists, wherever their arrays lie.
    friend bool operator==(const TDictRhymes& a, const TDictRhymes& b);
};
