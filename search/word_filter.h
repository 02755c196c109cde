#pragma once
// The length and syllable filter of a search run: the ranges "N", "N-M", "N-" and "-M", and the
// counts of a word's characters and vowel letters they are tested against.

#include <cstddef>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

// A range of whole numbers, both ends included.
struct TCountRange
{
    std::size_t Min = 0;
    std::size_t Max = std::numeric_limits<std::size_t>::max();

    bool Contains(std::size_t count) const { return count >= Min && count <= Max; }
    bool operator==(const TCountRange&) const = default;
};

// Reads "N" (exactly N), "N-M" (N to M), "N-" (N or more) or "-M" (at most M), where N and M are
// whole non-negative numbers of ASCII digits and N <= M. Returns nullopt for any other text,
// spaces and signs included.
std::optional<TCountRange> ParseCountRange(std::string_view text);

// The number of vowel letters of word (Windows-1251): а е ё и о у ы э ю я in either case.
std::size_t SyllableCount(std::string_view word);

// Which words a run keeps beyond its query: a word's length (its bytes, one a character,
// hyphens included) and its syllables must lie in the ranges given, and Keep, when given, must
// hold for it. With none given every word passes.
struct TWordFilter
{
    std::optional<TCountRange> Length;
    std::optional<TCountRange> Syllables;
    // Whether the run keeps word index of dictionary row row (the headwords, say); called only
    // for words that pass the rest, from either of the run's two threads at once (the
    // index it reads must not change during the run). Empty to keep every word.
    std::function<bool(std::size_t row, std::size_t index)> Keep = nullptr;

    // Sets Keep to keep the words that every one of tests keeps; leaves it empty for none.
    void KeepAll(std::vector<std::function<bool(std::size_t row, std::size_t index)>> tests);

    // Whether a test is given; a run without one skips the filter altogether.
    bool Active() const { return Length.has_value() || Syllables.has_value() || Keep; }
};
