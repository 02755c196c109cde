#pragma once
// Wildcard matching for the expressions the mask rows send, without the regular-expression
// engine's cost per word.

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/mask.h"
#include "wordstore/letters.h"
#include "wordstore/tail_filter.h"

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

    // A filter of the last bytes that every word that matches passes; one that passes every word
    // when the wildcard ends in a star.
    const TTailFilter& TailFilter() const { return m_tailFilter; }

private:
    // Where a wildcard without a set holds its one part: a word is then tested at the one place
    // the part can lie, in the caller's loop. Parts is every other wildcard.
    enum class TShape {
        Whole,  // no star: "к?р?а"
        Head,   // a star at the end only: "пол*"
        Tail,   // a star at the start only, or nothing but stars: "*янка"
        Parts,
    };

    // Inside a part, stand for any one byte, and for е or ё; no letter or hyphen of a mask is
    // either byte (a Letter token is never ё).
    static constexpr char kAnyByte = '?';
    static constexpr char kYeOrYo = static_cast<char>(kSmallYo);

    // The wildcard split at its stars; m_hasStar tells one part without stars from several, and
    // m_hasYeOrYo whether a part holds a mask's е. A wildcard with a set keeps its parts as one
    // set of bytes per position in m_setParts instead, and m_parts stays empty. m_piece is the one
    // part of a shape other than Parts, and m_piecePlain tells that it holds neither stand-in.
    std::vector<std::string> m_parts;
    std::vector<std::vector<TByteSet>> m_setParts;
    bool m_hasStar = false;
    bool m_hasYeOrYo = false;
    TShape m_shape = TShape::Parts;
    std::string m_piece;
    bool m_piecePlain = false;
    TTailFilter m_tailFilter;

    // Whether part matches the bytes from at on, which are at least as many as its own. kFoldYe:
    // whether the part may hold kYeOrYo.
    template <bool kFoldYe>
    static bool PartMatchesAt(const std::string& part, const char* at);
    bool PieceMatchesAt(const char* at) const;
    bool MatchesByParts(std::string_view word) const;
    template <bool kFoldYe>
    bool MatchesWith(std::string_view word) const;
};

template <bool kFoldYe>
inline bool TWildcard::PartMatchesAt(const std::string& part, const char* at)
{
    // From the last byte back: the tail of a word differs from a mask's ending most often at its
    // last byte. Without kFoldYe a byte that differs, as most do, is turned away after two tests.
    for (std::size_t i = part.size(); i-- > 0;) {
        if (part[i] != at[i] && part[i] != kAnyByte &&
            !(kFoldYe && part[i] == kYeOrYo && at[i] == static_cast<char>(kSmallYe))) {
            return false;
        }
    }
    return true;
}

inline bool TWildcard::PieceMatchesAt(const char* at) const
{
    const std::size_t size = m_piece.size();
    if (m_piecePlain) {
        // The last byte differs for most words: test it before the call.
        return size == 0 ||
               (at[size - 1] == m_piece[size - 1] && std::memcmp(at, m_piece.data(), size) == 0);
    }
    return m_hasYeOrYo ? PartMatchesAt<true>(m_piece, at) : PartMatchesAt<false>(m_piece, at);
}

// Inline, so that a search's loop over the words tests the common shapes without a call.
inline bool TWildcard::Matches(std::string_view word) const
{
    const std::size_t size = m_piece.size();
    switch (m_shape) {
        case TShape::Whole:
            return word.size() == size && PieceMatchesAt(word.data());
        case TShape::Head:
            return word.size() >= size && PieceMatchesAt(word.data());
        case TShape::Tail:
            return word.size() >= size && PieceMatchesAt(word.data() + (word.size() - size));
        case TShape::Parts:
            break;
    }
    return MatchesByParts(word);
}
