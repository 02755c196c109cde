#pragma once
// The list of known stresses (phonetics/data/stresses.tsv) as the build compiles it in, one line
// of the list a row, UTF-8, in the list's order.

#include <span>

struct TKnownStressLine
{
    const char* Word;
    const char* First;   // the word with a "'" after its stressed vowel
    const char* Second;  // its other stress, or "" when it has one
};

extern const std::span<const TKnownStressLine> kKnownStressLines;
