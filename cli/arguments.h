#pragma once
// What the options of slovosito-cli's commands set: each option's effect writes here, and each
// command reads its part.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "search/table_text.h"
#include "search/word_filter.h"
#include "wordstore/dictionary_builder.h"

// The searches, one option each; the option's value is the query.
enum class TSearchMode { Ending, Mask, Regexp, Inexact, Anagram, FromLetters, Rhyme };

// The options of the search (UTF-8 text as typed).
struct TSearchArgs
{
    bool List = false;
    bool Verbose = false;
    bool Version = false;
    std::vector<std::string> Dicts;
    bool All = false;
    bool Alpha = false;
    bool ByLength = false;  // --order length: longest first, then by frequency
    bool Ipm = false;
    std::string Min = "0,0";
    bool Raw = false;
    TTableFormat Format = TTableFormat::Text;
    bool Compare = false;
    std::chrono::seconds TimeLimit{10};
    TWordFilter Filter;
    bool Headwords = false;
    std::uint16_t Parts = 0;  // --pos: TWordClass::Part bits (phonetics/headwords.h)
    bool Known = false;
    bool NoNames = false;
    bool Near = false;
    bool Stress = false;
    std::optional<TCountRange> StressPlace;
    std::optional<TSearchMode> Mode;
    std::string Query;
};

// The options of make-dict.
struct TMakeDictArgs
{
    bool Force = false;
    std::optional<TInputFormat> Format;  // Build.Format once the arguments are read
    TBuildOptions Build;
};

// What the arguments of one command said.
struct TCliArgs
{
    std::string Dir;
    bool Help = false;
    std::vector<std::string> Operands;
    TSearchArgs Search;
    TMakeDictArgs MakeDict;
};
