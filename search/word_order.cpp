// The alphabetical order of the listings: each byte's place in it, and the comparison and prefix
// keys built on those places.

#include "search/word_order.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "wordstore/letters.h"

namespace {

// The place of each byte in the alphabetical order. Byte order, except that ё and Ё, which
// Windows-1251 keeps apart below the alphabet, come right after е and Е, where a reader looks for
// them. A permutation: two bytes share a place only when they are equal.
constexpr std::array<unsigned char, 256> AlphabeticalRanks()
{
    constexpr unsigned char kCapitalYe = kSmallYe - kCaseDistance;  // Е
    std::array<unsigned char, 256> ranks{};
    unsigned next = 0;
    for (unsigned byte = 0; byte < 256; ++byte) {
        if (byte == kCapitalYo || byte == kSmallYo) {
            continue;
        }
        ranks[byte] = static_cast<unsigned char>(next++);
        if (byte == kCapitalYe || byte == kSmallYe) {
            ranks[byte == kCapitalYe ? kCapitalYo : kSmallYo] = static_cast<unsigned char>(next++);
        }
    }
    return ranks;
}

constexpr std::array<unsigned char, 256> kAlphabeticalRank = AlphabeticalRanks();

unsigned char AlphabeticalRank(char byte)
{
    return kAlphabeticalRank[static_cast<unsigned char>(byte)];
}

}  // namespace

// The first differing byte decides, through its rank; a proper prefix comes first. Since the
// ranks are a permutation, the first differing byte is also the first differing rank.
bool ListedBefore(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    const auto [inA, inB] = std::mismatch(a.begin(), a.begin() + common, b.begin());
    if (inA == a.begin() + common) {
        return a.size() < b.size();
    }
    return AlphabeticalRank(*inA) < AlphabeticalRank(*inB);
}

std::uint64_t ListingPrefixKey(std::string_view word)
{
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        const unsigned char rank = i < word.size() ? AlphabeticalRank(word[i]) : 0;
        key = (key << 8) | rank;
    }
    return key;
}
