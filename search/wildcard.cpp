// Wildcard matching for the expressions the mask rows send, built from the tokens of the mask:
// bytes compared directly for masks of letters and signs, sets of bytes for masks with sets.

#include "search/wildcard.h"

#include <algorithm>
#include <cstddef>

#include "search/expression_rewriter.h"
#include "search/mask.h"
#include "wordstore/letters.h"

namespace {

// A part with a set: one set of bytes per position, so every byte costs the same one lookup.
bool SetPartMatchesAt(const std::vector<TByteSet>& part, std::string_view word, std::size_t pos)
{
    for (std::size_t i = 0; i < part.size(); ++i) {
        if (!part[i][static_cast<unsigned char>(word[pos + i])]) {
            return false;
        }
    }
    return true;
}

// Whether word matches the parts of a wildcard, which stars stood between when hasStar is set;
// partMatchesAt(part, pos) tells whether part matches word from pos on.
template <class TPart, class TPartMatchesAt>
bool PartsMatch(const std::vector<TPart>& parts, bool hasStar, std::string_view word,
                TPartMatchesAt partMatchesAt)
{
    const TPart& head = parts.front();
    if (!hasStar) {
        return word.size() == head.size() && partMatchesAt(head, 0);
    }
    // The first part is tied to the start and the last to the end; trying the last first turns
    // away most words of a mask such as "*янка" after a byte or two.
    const TPart& tail = parts.back();
    if (word.size() < head.size() + tail.size() ||
        !partMatchesAt(tail, word.size() - tail.size()) || !partMatchesAt(head, 0)) {
        return false;
    }
    // Each part between stars is taken at its leftmost place: that leaves the most room for the
    // parts after it, so no match is missed and nothing is tried twice.
    std::size_t pos = head.size();
    const std::size_t end = word.size() - tail.size();
    for (std::size_t k = 1; k + 1 < parts.size(); ++k) {
        const TPart& part = parts[k];
        while (pos + part.size() <= end && !partMatchesAt(part, pos)) {
            ++pos;
        }
        if (pos + part.size() > end) {
            return false;
        }
        pos += part.size();
    }
    return true;
}

// The set of bytes one token other than a run stands for.
TByteSet BytesOf(const TMaskToken& token)
{
    TByteSet bytes;
    switch (token.Kind) {
        case TMaskTokenKind::AnyChar:
            bytes.set();
            break;
        case TMaskTokenKind::Hyphen:
            bytes.set('-');
            break;
        case TMaskTokenKind::Letter:
            bytes.set(static_cast<unsigned char>(token.Letter));
            break;
        case TMaskTokenKind::YeOrYo:
            bytes.set(kSmallYe);
            bytes.set(kSmallYo);
            break;
        case TMaskTokenKind::Set:
            bytes = token.Set;
            break;
        case TMaskTokenKind::AnyRun:
            break;
    }
    return bytes;
}

}  // namespace

std::optional<TWildcard> TWildcard::FromExpression(const std::string& expression,
                                                   const std::string& modifiers)
{
    // Such an expression holds only "^", "$", small letters, "-", ".", ".*" and classes of small
    // letters, ё and "-" without ranges, and words hold no line breaks; of the modifiers only i
    // changes what it matches (capitals would match the letters). s and m matter only at line
    // breaks, g only for where a match ends, x only for blanks and "#", r only for ranges. A bad
    // modifier string is the engine's error to report.
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
    // What the tokens after the last star take, read from the end.
    std::vector<TByteSet> lastBytes;
    for (auto token = tokens->rbegin();
         token != tokens->rend() && token->Kind != TMaskTokenKind::AnyRun; ++token) {
        lastBytes.push_back(BytesOf(*token));
    }
    wildcard.m_tailFilter = TTailFilter::OfLastBytes(lastBytes);
    const bool hasSet = std::any_of(tokens->begin(), tokens->end(), [](const TMaskToken& token) {
        return token.Kind == TMaskTokenKind::Set;
    });
    if (hasSet) {
        // A set is a test of its own per byte; the plain parts below keep their cheaper loop for
        // the masks without one.
        wildcard.m_setParts.emplace_back();
        for (const TMaskToken& token : *tokens) {
            if (token.Kind == TMaskTokenKind::AnyRun) {
                wildcard.m_hasStar = true;
                wildcard.m_setParts.emplace_back();
            } else {
                wildcard.m_setParts.back().push_back(BytesOf(token));
            }
        }
        return wildcard;
    }
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
            case TMaskTokenKind::Set:
                break;
        }
    }
    // With a star at one end only, the other part is tied to the other end of the word.
    const std::vector<std::string>& parts = wildcard.m_parts;
    if (parts.size() == 1) {
        wildcard.m_shape = TShape::Whole;
        wildcard.m_piece = parts.front();
    } else if (parts.size() == 2 && (parts.front().empty() || parts.back().empty())) {
        wildcard.m_shape = parts.front().empty() ? TShape::Tail : TShape::Head;
        wildcard.m_piece = parts.front() + parts.back();
    }
    wildcard.m_piecePlain =
        wildcard.m_piece.find_first_of(std::string{kAnyByte, kYeOrYo}) == std::string::npos;
    return wildcard;
}

bool TWildcard::MatchesByParts(std::string_view word) const
{
    if (!m_setParts.empty()) {
        return PartsMatch(m_setParts, m_hasStar, word,
                          [word](const std::vector<TByteSet>& part, std::size_t pos) {
                              return SetPartMatchesAt(part, word, pos);
                          });
    }
    return m_hasYeOrYo ? MatchesWith<true>(word) : MatchesWith<false>(word);
}

template <bool kFoldYe>
bool TWildcard::MatchesWith(std::string_view word) const
{
    return PartsMatch(m_parts, m_hasStar, word, [word](const std::string& part, std::size_t pos) {
        return PartMatchesAt<kFoldYe>(part, word.data() + pos);
    });
}
