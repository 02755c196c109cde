#pragma once
// A first test of a word's last two bytes, which a walk over many words makes in a tight loop of
// its own, so that a search's whole test runs only for the few words that pass it.

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Passes every word whose last bytes agree with Value on the bits of Mask; a search that gives
// one must turn away every word that does not pass, so that the words that do not are never
// needed: a walk skips them, and a store loaded for that search alone may leave them out.
struct TTailFilter
{
    // How many bytes a word must have to pass: 0 (a filter that passes every word), 1 or 2.
    std::size_t MinSize = 0;
    // The bits tested of a word's last two bytes, and what they must be: the last byte in the
    // high half, the one before it in the low half.
    std::uint16_t Mask = 0;
    std::uint16_t Value = 0;

    // The filter of the words whose last byte lies in lastFirst[0] and, when given, whose byte
    // before it lies in lastFirst[1]; further sets are not tested. A byte is tested on the bits
    // that all bytes of its set share, so a set of one byte is tested whole.
    static TTailFilter OfLastBytes(const std::vector<std::bitset<256>>& lastFirst);

    // Whether word passes.
    bool Passes(std::string_view word) const
    {
        if (word.size() < MinSize) {
            return false;
        }
        const auto byteAt = [word](std::size_t fromEnd) -> unsigned {
            return fromEnd <= word.size() ? static_cast<unsigned char>(word[word.size() - fromEnd])
                                          : 0;
        };
        return (static_cast<unsigned>(byteAt(1) << 8 | byteAt(2)) & Mask) == Value;
    }

    // The bits tested of the last byte alone, and what they must be.
    std::uint8_t LastMask() const { return static_cast<std::uint8_t>(Mask >> 8); }
    std::uint8_t LastValue() const { return static_cast<std::uint8_t>(Value >> 8); }
};
