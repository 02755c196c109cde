#pragma once
// The alphabetical order of the listings: words compare byte by byte, the first differing byte
// deciding and a proper prefix coming first. Bytes compare by their value as unsigned char,
// except that "ё" (0xB8) sorts between "е" (0xE5) and "ж" (0xE6), and "Ё" (0xA8) between "Е"
// (0xC5) and "Ж" (0xC6). Two words are the same word only when their bytes are equal: "еще" and
// "ещё" are two words.

#include <cstdint>
#include <string_view>

// Whether word a comes before word b in the alphabetical order above; the listings' order by word.
bool ListedBefore(std::string_view a, std::string_view b);

// The alphabetical places of word's first 8 bytes, big-endian, padded with zeros. Words with
// unequal keys are ordered as their keys; words with equal keys need ListedBefore.
std::uint64_t ListingPrefixKey(std::string_view word);
