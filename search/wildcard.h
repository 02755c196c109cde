#pragma once
// Wildcard matching for the expressions the mask rows send, without the regular-expression
// engine's cost per word.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/mask.h"

// A wildcard: "?" stands for one byte, "*" for any run of bytes, a mask's е for е or ё, a set of
// a mask for one byte of the set, every other byte for itself.
class TWildcard
{
public:
    // The wildcard that matches exactly the words the pattern search would list for expression
    // with the modifier letters modifiers, when the expression is a mask's exact expression
    // (as ReadExactMaskExpression of search/mask.h reads it, "^.*янка$", "^[её]ж$",
    // "^к[аеёиоуыэюя]т$") and the modifier letters are valid and leave i off. Empty otherwise:
    // the engine must match.
    static std::optional<TWildcard> FromExpression(const std::string& expression,
                                                   const std::string& modifiers);

    // Whether the whole word matches. Words hold no line breaks.
    bool Matches(std::string_view word) const;

private:
    // The wildcard split at its stars; m_hasStar tells one part without stars from several, and
    // m_hasYeOrYo whether a part holds a mask's е. A wildcard with a set keeps its parts as one
    // set of bytes per position in m_setParts instead, and m_parts stays empty.
    std::vector<std::string> m_parts;
    std::vector<std::vector<TByteSet>> m_setParts;
    bool m_hasStar = false;
    bool m_hasYeOrYo = false;

    template <bool kFoldYe>
    bool MatchesWith(std::string_view word) const;
};
