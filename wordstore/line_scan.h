#pragma once
// The loader's line rules over a word list's bytes as read: finds each word and the line break
// after it from masks of the line-ending bytes of 64 bytes at a time.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Which of up to 64 bytes are CR, LF and NUL: bit i stands for byte i.
struct TLineByteMasks
{
    std::uint64_t Cr = 0;
    std::uint64_t Lf = 0;
    std::uint64_t Nul = 0;
};

// The masks of bytes[0, count), count <= 64, one byte at a time.
inline TLineByteMasks LineByteMasksOneByOne(const char* bytes, std::size_t count)
{
    TLineByteMasks masks;
    for (std::size_t i = 0; i < count; ++i) {
        masks.Cr |= static_cast<std::uint64_t>(bytes[i] == '\r') << i;
        masks.Lf |= static_cast<std::uint64_t>(bytes[i] == '\n') << i;
        masks.Nul |= static_cast<std::uint64_t>(bytes[i] == '\0') << i;
    }
    return masks;
}

// The masks of bytes[0, 64).
inline TLineByteMasks LineByteMasks64(const char* bytes)
{
#if defined(__SSE2__)
    TLineByteMasks masks;
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    for (int part = 0; part < 4; ++part) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * part));
        const auto maskOf = [&chunk, part](__m128i byte) {
            const auto bits =
                static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, byte)));
            return static_cast<std::uint64_t>(bits) << (16 * part);
        };
        masks.Cr |= maskOf(cr);
        masks.Lf |= maskOf(lf);
        masks.Nul |= maskOf(nul);
    }
    return masks;
#else
    return LineByteMasksOneByOne(bytes, 64);
#endif
}

// The line breaks of a block, from its masks (the NUL that ends the words among them, when one
// does), whether the byte before it is a CR and whether an LF follows it.
struct TBlockBreaks
{
    std::uint64_t Ends = 0;      // the bytes that end a word, before the first NUL
    std::uint64_t CrOfCrLf = 0;  // those that are a CR with an LF after it: a two-byte break
    std::uint64_t Nul = 0;       // the first NUL's bit, or 0
    std::uint64_t CrAtEnd = 0;   // 1 when the block's last byte is a CR, for the next block

    TBlockBreaks(const TLineByteMasks& masks, std::uint64_t crBefore, bool lfAfterBlock)
        : CrOfCrLf(masks.Cr & (masks.Lf >> 1 | static_cast<std::uint64_t>(lfAfterBlock) << 63))
        , Nul(masks.Nul & (~masks.Nul + 1))
        , CrAtEnd(masks.Cr >> 63)
    {
        // An LF right after a CR is part of the CR's break; the CR may end the block before.
        const std::uint64_t lfOfCrLf = masks.Lf & (masks.Cr << 1 | crBefore);
        Ends = masks.Cr | (masks.Lf & ~lfOfCrLf);
        if (Nul != 0) {
            Ends &= Nul - 1;
        }
    }

    // The bytes of the break at bit b: 1 or 2.
    std::size_t BreakBytes(unsigned b) const { return 1 + ((CrOfCrLf >> b) & 1); }
};

// Walks the words of bytes[begin, end), where begin is a word's start, as if a NUL stood at end;
// bytes[end] is not read. A line ends at LF, CR or NUL; then one CR and one LF are skipped, so a
// break is "\r\n", "\r" or "\n". The first NUL ends the words: nothing after it is a word, and a
// word it cuts short has no break. Calls onWord(start, breakBytes) for each word in order: the
// word starts at start and ends where the next word starts (or at the NUL, after the last), less
// breakBytes. Returns the offset of the first NUL, or end.
template <typename TOnWord>
std::size_t ScanLines(const char* bytes, std::size_t begin, std::size_t end, TOnWord&& onWord)
{
    constexpr std::size_t kBlock = 64;
    std::size_t start = begin;
    std::uint64_t crBefore = 0;  // 1 when the byte before the block is a CR
    for (std::size_t block = begin;; block += kBlock) {
        const std::size_t count = std::min(kBlock, end - block);
        TLineByteMasks masks = count == kBlock ? LineByteMasks64(bytes + block)
                                               : LineByteMasksOneByOne(bytes + block, count);
        if (count < kBlock) {
            masks.Nul |= std::uint64_t{1} << count;  // the NUL that stands at end
        }
        const TBlockBreaks breaks(masks, crBefore,
                                  block + kBlock < end && bytes[block + kBlock] == '\n');
        crBefore = breaks.CrAtEnd;
        for (std::uint64_t ends = breaks.Ends; ends != 0; ends &= ends - 1) {
            const auto bit = static_cast<unsigned>(std::countr_zero(ends));
            const std::size_t breakBytes = breaks.BreakBytes(bit);
            onWord(start, breakBytes);
            start = block + bit + breakBytes;
        }
        if (breaks.Nul != 0) {
            const std::size_t nul = block + static_cast<std::size_t>(std::countr_zero(breaks.Nul));
            if (start < nul) {
                onWord(start, std::size_t{0});
            }
            return nul;
        }
    }
}

// The number of bits set in bits, without a call where the instruction set lacks one.
inline unsigned BitCount(std::uint64_t bits)
{
#if defined(__POPCNT__)
    return static_cast<unsigned>(std::popcount(bits));
#else
    bits -= (bits >> 1) & 0x5555555555555555;
    bits = (bits & 0x3333333333333333) + ((bits >> 2) & 0x3333333333333333);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0F;
    return static_cast<unsigned>((bits * 0x0101010101010101) >> 56);
#endif
}

// The line masks of 64 bytes or fewer, with which of them could be a word's last byte and which
// the byte before it by a tail filter's Mask and Value (tail_filter.h): the last byte's test in
// the high half of mask and value, the one before it in the low half.
struct TTailByteMasks
{
    TLineByteMasks Line;
    std::uint64_t Last = 0;
    std::uint64_t BeforeLast = 0;
};

// The masks of bytes[0, count), count <= 64.
inline TTailByteMasks TailByteMasks(const char* bytes, std::size_t count, std::uint16_t mask,
                                    std::uint16_t value)
{
    const auto lastMask = static_cast<std::uint8_t>(mask >> 8);
    const auto lastValue = static_cast<std::uint8_t>(value >> 8);
    const auto beforeMask = static_cast<std::uint8_t>(mask);
    const auto beforeValue = static_cast<std::uint8_t>(value);
    TTailByteMasks masks;
#if defined(__SSE2__)
    if (count == 64) {
        __m128i chunks[4];
        for (int part = 0; part < 4; ++part) {
            chunks[part] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * part));
        }
        const auto maskOf = [](int part, __m128i equal) {
            return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(equal)))
                   << (16 * part);
        };
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        const __m128i lastBits = _mm_set1_epi8(static_cast<char>(lastMask));
        const __m128i lastWanted = _mm_set1_epi8(static_cast<char>(lastValue));
        const __m128i beforeBits = _mm_set1_epi8(static_cast<char>(beforeMask));
        const __m128i beforeWanted = _mm_set1_epi8(static_cast<char>(beforeValue));
        for (int part = 0; part < 4; ++part) {
            const __m128i chunk = chunks[part];
            masks.Line.Cr |= maskOf(part, _mm_cmpeq_epi8(chunk, cr));
            masks.Line.Lf |= maskOf(part, _mm_cmpeq_epi8(chunk, lf));
            masks.Last |= maskOf(part, _mm_cmpeq_epi8(_mm_and_si128(chunk, lastBits), lastWanted));
            masks.BeforeLast |=
                maskOf(part, _mm_cmpeq_epi8(_mm_and_si128(chunk, beforeBits), beforeWanted));
        }
        // A NUL is rare: the block is looked at for one as a whole first.
        const __m128i least =
            _mm_min_epu8(_mm_min_epu8(chunks[0], chunks[1]), _mm_min_epu8(chunks[2], chunks[3]));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(least, _mm_setzero_si128())) != 0) {
            masks.Line.Nul = LineByteMasksOneByOne(bytes, count).Nul;
        }
        return masks;
    }
#endif
    masks.Line = LineByteMasksOneByOne(bytes, count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[i]);
        masks.Last |= static_cast<std::uint64_t>((byte & lastMask) == lastValue) << i;
        masks.BeforeLast |= static_cast<std::uint64_t>((byte & beforeMask) == beforeValue) << i;
    }
    return masks;
}

// What ScanTails found.
struct TLineCount
{
    std::size_t Words = 0;  // every word, as ScanLines would give them
    std::size_t End = 0;    // as ScanLines returns it
};

// Walks the words of bytes[begin, end) by ScanLines' rules, but calls onWord(index, start, size)
// only for the words whose last two bytes agree with a tail filter's value on the bits of its
// mask (see TTailByteMasks), and for a few others that end where such bytes stand before a line
// break (the caller tests each word it is given whole): index is the word's number among all the
// words from begin, start its offset, size its bytes without the break. The words are counted
// 64 bytes at a time, so a walk that turns most words away by their last bytes does no work per
// word.
template <typename TOnWord>
TLineCount ScanTails(const char* bytes, std::size_t begin, std::size_t end, std::uint16_t mask,
                     std::uint16_t value, TOnWord&& onWord)
{
    constexpr std::size_t kBlock = 64;
    TLineCount count;
    std::size_t start = begin;   // where the word after the last break found starts
    std::uint64_t crBefore = 0;  // 1 when the byte before the block is a CR
    // The BeforeLast bits of the two bytes before the block, and the Last bit of the one right
    // before it; before begin, where a word has no bytes, they are those of a NUL, as a tail
    // filter takes a missing byte.
    std::uint64_t pairBefore = (value & 0xFF) == 0 ? 3 : 0;
    std::uint64_t lastBefore = 0;
    for (std::size_t block = begin;; block += kBlock) {
        const std::size_t size = std::min(kBlock, end - block);
        TTailByteMasks masks = TailByteMasks(bytes + block, size, mask, value);
        if (size < kBlock) {
            masks.Line.Nul |= std::uint64_t{1} << size;  // the NUL that stands at end
        }
        const TBlockBreaks breaks(masks.Line, crBefore,
                                  block + kBlock < end && bytes[block + kBlock] == '\n');
        crBefore = breaks.CrAtEnd;
        const std::uint64_t ends = breaks.Ends;
        const std::uint64_t nul = breaks.Nul;
        // Bit i: byte i - 1 could be a word's last and byte i - 2 the one before it.
        const std::uint64_t pairs =
            (masks.Last << 1 | lastBefore) & (masks.BeforeLast << 2 | pairBefore);
        // The place after the break at bit b.
        const auto after = [&](unsigned b) { return block + b + breaks.BreakBytes(b); };
        // The words that end in this block, or at its NUL, after such bytes.
        for (std::uint64_t passed = (ends | nul) & pairs; passed != 0; passed &= passed - 1) {
            const auto bit = static_cast<unsigned>(std::countr_zero(passed));
            const std::uint64_t endsBefore = ends & ((std::uint64_t{1} << bit) - 1);
            const std::size_t wordStart =
                endsBefore != 0 ? after(63 - static_cast<unsigned>(std::countl_zero(endsBefore)))
                                : start;
            if (wordStart < block + bit) {
                onWord(count.Words + BitCount(endsBefore), wordStart, block + bit - wordStart);
            }
        }
        count.Words += BitCount(ends);
        if (ends != 0) {
            start = after(63 - static_cast<unsigned>(std::countl_zero(ends)));
        }
        lastBefore = masks.Last >> 63;
        pairBefore = masks.BeforeLast >> 62;
        if (nul != 0) {
            count.End = block + static_cast<std::size_t>(std::countr_zero(nul));
            // A word that the NUL cuts short counts, as ScanLines gives it.
            if (start < count.End) {
                ++count.Words;
            }
            return count;
        }
    }
}

// Walks the words of bytes[begin, end) by ScanLines' rules, but calls onWord(index, start, size,
// breakBytes) only for the words whose index, their number among all the words from begin, is one
// of places (rising): start is the word's offset, size its bytes without the break. The words are
// counted 64 bytes at a time, only the blocks where a wanted word ends are looked into, and the
// walk stops after the last place's word.
template <typename TOnWord>
void ScanPlaces(const char* bytes, std::size_t begin, std::size_t end, const std::uint32_t* places,
                std::size_t placeCount, TOnWord&& onWord)
{
    constexpr std::size_t kBlock = 64;
    std::size_t words = 0;       // the words that end before the block
    std::size_t start = begin;   // where the word after the last break found starts
    std::uint64_t crBefore = 0;  // 1 when the byte before the block is a CR
    std::size_t next = 0;        // the first place not yet given
    for (std::size_t block = begin;; block += kBlock) {
        const std::size_t size = std::min(kBlock, end - block);
        TLineByteMasks masks = size == kBlock ? LineByteMasks64(bytes + block)
                                              : LineByteMasksOneByOne(bytes + block, size);
        if (size < kBlock) {
            masks.Nul |= std::uint64_t{1} << size;  // the NUL that stands at end
        }
        const TBlockBreaks breaks(masks, crBefore,
                                  block + kBlock < end && bytes[block + kBlock] == '\n');
        crBefore = breaks.CrAtEnd;
        const std::uint64_t ends = breaks.Ends;
        const std::size_t endsHere = BitCount(ends);
        const auto after = [&](unsigned b) { return block + b + breaks.BreakBytes(b); };
        // The wanted words whose breaks are in this block.
        for (; next < placeCount && places[next] < words + endsHere; ++next) {
            std::uint64_t rest = ends;
            for (std::size_t k = places[next] - words; k > 0; --k) {
                rest &= rest - 1;
            }
            const auto bit = static_cast<unsigned>(std::countr_zero(rest));
            const std::uint64_t endsBefore = ends & ((std::uint64_t{1} << bit) - 1);
            const std::size_t wordStart =
                endsBefore != 0 ? after(63 - static_cast<unsigned>(std::countl_zero(endsBefore)))
                                : start;
            onWord(std::size_t{places[next]}, wordStart, block + bit - wordStart,
                   breaks.BreakBytes(bit));
        }
        words += endsHere;
        if (ends != 0) {
            start = after(63 - static_cast<unsigned>(std::countl_zero(ends)));
        }
        if (next == placeCount) {
            return;
        }
        if (breaks.Nul != 0) {
            // A word that the NUL cuts short, as ScanLines gives it, has no break.
            const std::size_t nul = block + static_cast<std::size_t>(std::countr_zero(breaks.Nul));
            if (start < nul && places[next] == words) {
                onWord(words, start, nul - start, std::size_t{0});
            }
            return;
        }
    }
}

// The first offset after from, and before size, where a word starts: after an LF, or after a CR
// that no LF follows; size when there is none within maxLook bytes.
inline std::size_t WordStartAfter(const char* bytes, std::size_t from, std::size_t size,
                                  std::size_t maxLook)
{
    const std::size_t last = size - from > maxLook ? from + maxLook : size;
    for (std::size_t at = from + 1; at < last; ++at) {
        if (bytes[at - 1] == '\n' || (bytes[at - 1] == '\r' && bytes[at] != '\n')) {
            return at;
        }
    }
    return size;
}

// Counts the words of a word list fed to it piece by piece, as ScanLines would find them, without
// keeping them or the bytes: every CR and every LF that does not follow a CR ends a word, and a
// word that the first NUL or the end cuts short counts too.
class TWordCounter
{
public:
    // Takes the next size bytes of the list; bytes after the first NUL are ignored.
    void Add(const char* bytes, std::size_t size)
    {
        std::size_t at = 0;
        while (!m_stopped && at < size) {
            const std::size_t count = std::min<std::size_t>(64, size - at);
            const TLineByteMasks masks = count == 64 ? LineByteMasks64(bytes + at)
                                                     : LineByteMasksOneByOne(bytes + at, count);
            // Whether an LF follows the block does not change how many breaks it holds.
            const TBlockBreaks breaks(masks, m_crBefore, false);
            m_stopped = breaks.Nul != 0;
            m_breaks += BitCount(breaks.Ends);
            const std::size_t kept =
                m_stopped ? static_cast<std::size_t>(std::countr_zero(breaks.Nul)) : count;
            if (kept > 0) {
                const char last = bytes[at + kept - 1];
                m_crBefore = last == '\r';
                m_lastEndsLine = last == '\r' || last == '\n';
                m_any = true;
            }
            at += count;
        }
    }

    // The words of the bytes taken so far, when they are the whole list.
    std::size_t Words() const { return m_breaks + (m_any && !m_lastEndsLine ? 1 : 0); }

private:
    std::size_t m_breaks = 0;
    std::uint64_t m_crBefore = 0;  // 1 when the last byte taken is a CR
    bool m_lastEndsLine = false;   // the last byte taken is a CR or an LF
    bool m_any = false;            // a byte before the first NUL was taken
    bool m_stopped = false;        // the first NUL was taken
};
