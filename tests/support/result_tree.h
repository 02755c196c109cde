#pragma once
// The reference result tree, a model of the listing for the tests: the hits of one run go in one
// by one, and the listing comes out as the design lists it. The product's listings
// (search/hit_listing.h) must give the same text.
//
// The order is that of an unbalanced binary tree under a sentinel root with an empty word: by
// word, alphabetical and without repeats; or by value, descending, the latest of equal values
// first. The hits are collected and sorted instead, which gives the same listing in O(n log n).
//
// Words are ordered by word as search/word_order.h orders them.

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
