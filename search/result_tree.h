#pragma once
// Result tree: orders the hits of one search run and turns them into the listing text.
//
// The order is that of an unbalanced binary tree under a sentinel root with an empty word: by
// word, alphabetical and without repeats; or by value, descending, the latest of equal values
// first. The hits are collected and sorted instead, which gives the same listing in O(n log n).
//
// Alphabetical order compares words byte by byte, the first differing byte deciding and a proper
// prefix coming first. Bytes compare by their value as unsigned char, except that "ё" (0xB8)
// sorts between "е" (0xE5) and "ж" (0xE6), and "Ё" (0xA8) between "Е" (0xC5) and "Ж" (0xC6).
// Two words are the same word only when their bytes are equal: "еще" and "ещё" are two words.

#include <cstdint>
#include <string>
#include <string_view>

// Discards whatever the tree holds and starts an empty one.
void ResetResultTree();

// Inserts word unless an equal word (byte for byte) is present; that word keeps its value.
// The empty word is always refused. Returns whether the word was inserted.
bool InsertByWord(std::string_view word, double value);

// Inserts word with value; always inserts. An empty word takes its place but lists no line.
void InsertByValue(std::string_view word, double value);

// Replaces output with the listing, one word per line, lines separated by CR LF, and empties the
// tree. ResetResultTree must run before the next insertion.
void ListWords(std::string& output);

// As ListWords, each line followed by " = " and the value's IpmText (search/number_text.h).
void ListWordsWithIpm(std::string& output);

// Whether word a comes before word b in the alphabetical order above; the listings' order by word.
bool ListedBefore(std::string_view a, std::string_view b);

// The alphabetical places of word's first 8 bytes, big-endian, padded with zeros. Words with
// unequal keys are ordered as their keys; words with equal keys need ListedBefore.
std::uint64_t ListingPrefixKey(std::string_view word);
