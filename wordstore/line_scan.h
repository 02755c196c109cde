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
        // An LF right after a CR is part of the CR's break; the CR may end the block before.
        const std::uint64_t lfOfCrLf = masks.Lf & (masks.Cr << 1 | crBefore);
        std::uint64_t ends = masks.Cr | (masks.Lf & ~lfOfCrLf);
        const bool lfAfterBlock = block + kBlock < end && bytes[block + kBlock] == '\n';
        const std::uint64_t crOfCrLf =
            masks.Cr & (masks.Lf >> 1 | static_cast<std::uint64_t>(lfAfterBlock) << 63);
        crBefore = masks.Cr >> 63;
        if (masks.Nul != 0) {
            ends &= (masks.Nul & (~masks.Nul + 1)) - 1;
        }
        while (ends != 0) {
            const auto bit = static_cast<std::size_t>(std::countr_zero(ends));
            const std::size_t breakBytes = 1 + ((crOfCrLf >> bit) & 1);
            onWord(start, breakBytes);
            start = block + bit + breakBytes;
            ends &= ends - 1;
        }
        if (masks.Nul != 0) {
            const std::size_t nul = block + static_cast<std::size_t>(std::countr_zero(masks.Nul));
            if (start < nul) {
                onWord(start, std::size_t{0});
            }
            return nul;
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
            TLineByteMasks masks = count == 64 ? LineByteMasks64(bytes + at)
                                               : LineByteMasksOneByOne(bytes + at, count);
            if (masks.Nul != 0) {
                const std::uint64_t before = (masks.Nul & (~masks.Nul + 1)) - 1;
                masks.Cr &= before;
                masks.Lf &= before;
                m_stopped = true;
            }
            const std::uint64_t lfOfCrLf = masks.Lf & (masks.Cr << 1 | m_crBefore);
            m_breaks += static_cast<std::size_t>(std::popcount(masks.Cr) +
                                                 std::popcount(masks.Lf & ~lfOfCrLf));
            const std::size_t kept =
                m_stopped ? static_cast<std::size_t>(std::countr_zero(masks.Nul)) : count;
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
