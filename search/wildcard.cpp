// Wildcard matching for the expressions the mask rows send, built from the tokens of the mask.

#include "search/wildcard.h"

#include <cstddef>

#include "search/cp1251_letters.h"
#include "search/expression_rewriter.h"
#include "search/mask.h"

namespace {

// Stand for any one byte, and for е or ё, inside a part; no letter or hyphen of a mask is either
// byte (a Letter token is never ё).
constexpr char kAnyByte = '?';
constexpr char kYeOrYo = static_cast<char>(kSmallYo);

// kFoldYe: whether the part may hold kYeOrYo. Without it a byte that differs, as most do, is
// turned away after two tests.
template <bool kFoldYe>
bool PartMatchesAt(const std::string& part, std::string_view word, std::size_t pos)
{
    for (std::size_t i = 0; i < part.size(); ++i) {
        if (part[i] != kAnyByte && part[i] != word[pos + i] &&
            !(kFoldYe && part[i] == kYeOrYo && word[pos + i] == static_cast<char>(kSmallYe))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<TWildcard> TWildcard::FromExpression(const std::string& expression,
                                                   const std::string& modifiers)
{
    // Such an expression holds only "^", "$", small letters, "-", ".", ".*" and "[её]", and words
    // hold no line breaks; of the modifiers only i changes what it matches (capitals would match
    // the letters). s and m matter only at line breaks, g only for where a match ends, x only for
    // blanks and "#", r only for ranges. A bad modifier string is the engine's error to report.
    const std::optional<TRegExprModifiers> letters =
        ApplyModifierLetters(TRegExprModifiers(), modifiers);
    if (!letters || letters->CaseInsensitive) {
        return std::nullopt;
    }
    const std::optional<std::vector<TMaskToken>> tokens = ReadExactMaskExpression(expression);
    if (!tokens) {
        return std::nullopt;
    }
    TWildcard wildcard;
    wildcard.m_parts.emplace_back();
    for (const TMaskToken& token : *tokens) {
        switch (token.Kind) {
            case TMaskTokenKind::AnyRun:
                wildcard.m_hasStar = true;
                wildcard.m_parts.emplace_back();
                break;
            case TMaskTokenKind::AnyChar:
                wildcard.m_parts.back().push_back(kAnyByte);
                break;
            case TMaskTokenKind::Hyphen:
                wildcard.m_parts.back().push_back('-');
                break;
            case TMaskTokenKind::Letter:
                wildcard.m_parts.back().push_back(token.Letter);
                break;
            case TMaskTokenKind::YeOrYo:
                wildcard.m_hasYeOrYo = true;
                wildcard.m_parts.back().push_back(kYeOrYo);
                break;
        }
    }
    return wildcard;
}

bool TWildcard::Matches(std::string_view word) const
{
    return m_hasYeOrYo ? MatchesWith<true>(word) : MatchesWith<false>(word);
}

template <bool kFoldYe>
bool TWildcard::MatchesWith(std::string_view word) const
{
    const std::string& head = m_parts.front();
    if (!m_hasStar) {
        return word.size() == head.size() && PartMatchesAt<kFoldYe>(head, word, 0);
    }
    // The first part is tied to the start and the last to the end; trying the last first turns
    // away most words of a mask such as "*янка" after a byte or two.
    const std::string& tail = m_parts.back();
    if (word.size() < head.size() + tail.size() ||
        !PartMatchesAt<kFoldYe>(tail, word, word.size() - tail.size()) ||
        !PartMatchesAt<kFoldYe>(head, word, 0)) {
        return false;
    }
    // Each part between stars is taken at its leftmost place: that leaves the most room for the
    // parts after it, so no match is missed and nothing is tried twice.
    std::size_t pos = head.size();
    const std::size_t end = word.size() - tail.size();
    for (std::size_t k = 1; k + 1 < m_parts.size(); ++k) {
        const std::string& part = m_parts[k];
        while (pos + part.size() <= end && !PartMatchesAt<kFoldYe>(part, word, pos)) {
            ++pos;
        }
        if (pos + part.size() > end) {
            return false;
        }
        pos += part.size();
    }
    return true;
}
