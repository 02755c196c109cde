// The line index, the scan for line breaks eight bytes at a time, and the row scroll mapping.

#include "ui/line_index.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101;
constexpr std::uint64_t kHighBits = 0x8080808080808080;

// The high bit of each byte of word that is below 14, and perhaps of a few more significant ones.
constexpr std::uint64_t BreakMarks(std::uint64_t word)
{
    return (word - kOnes * 14) & ~word & kHighBits;
}

std::uint64_t EightBytesAt(const char* bytes)
{
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// The offset in word (its bytes in memory order) of its first marked byte, given some marks. A
// borrow can only mark bytes more significant than a true one, so the mark taken is never past
// the first true one, and is exact on a little-endian machine.
int FirstMarked(std::uint64_t marks)
{
    if constexpr (std::endian::native == std::endian::little) {
        return std::countr_zero(marks) / 8;
    } else {
        return std::countl_zero(marks) / 8;
    }
}

template <typename TOffset, typename TAllocator>
void FillStarts(std::vector<TOffset, TAllocator>& starts, std::string_view text)
{
    const char* const bytes = text.data();
    const std::size_t size = text.size();
    // Lone CRs are rare: counting LFs sizes the index exactly for a listing.
    starts.reserve(static_cast<std::size_t>(std::count(bytes, bytes + size, '\n')) + 1);
    starts.push_back(0);
    for (std::size_t pos = NextBreakCandidate(text, 0); pos < size;
         pos = NextBreakCandidate(text, pos)) {
        const char byte = bytes[pos++];
        if (byte == '\r') {
            if (pos < size && bytes[pos] == '\n') {
                ++pos;
            }
            starts.push_back(static_cast<TOffset>(pos));
        } else if (byte == '\n') {
            starts.push_back(static_cast<TOffset>(pos));
        }
    }
}

}  // namespace

std::size_t NextBreakCandidate(std::string_view text, std::size_t from)
{
    const char* const bytes = text.data();
    const std::size_t size = text.size();
    std::size_t pos = from;
    for (; size - pos >= 8; pos += 8) {
        const std::uint64_t marks = BreakMarks(EightBytesAt(bytes + pos));
        if (marks != 0) {
            return pos + static_cast<std::size_t>(FirstMarked(marks));
        }
    }
    while (pos < size && static_cast<unsigned char>(bytes[pos]) >= 14) {
        ++pos;
    }
    return pos;
}

void TLineIndex::Build(std::string_view text)
{
    m_starts32.clear();
    m_starts64.clear();
    if (text.size() <= UINT32_MAX) {
        m_starts64.shrink_to_fit();
        FillStarts(m_starts32, text);
    } else {
        m_starts32.shrink_to_fit();
        FillStarts(m_starts64, text);
    }
}

void TLineIndex::Trim()
{
    m_starts32.shrink_to_fit();
    m_starts64.shrink_to_fit();
}

std::uint64_t TLineIndex::LineOf(std::uint64_t position) const
{
    const auto find = [position](const auto& starts) {
        return static_cast<std::uint64_t>(std::upper_bound(starts.begin(), starts.end(), position) -
                                          starts.begin() - 1);
    };
    return m_starts64.empty() ? find(m_starts32) : find(m_starts64);
}

TRowScroll::TRowScroll(std::uint64_t lastTopRow)
    : m_lastTopRow(lastTopRow)
    , m_rowsPerStep(lastTopRow <= kMaxValue
                        ? 1
                        : lastTopRow / kMaxValue + (lastTopRow % kMaxValue != 0 ? 1 : 0))
    , m_maximum(
          static_cast<int>(lastTopRow / m_rowsPerStep + (lastTopRow % m_rowsPerStep != 0 ? 1 : 0)))
{}

int TRowScroll::ValueOf(std::uint64_t topRow) const
{
    if (topRow >= m_lastTopRow) {
        return m_maximum;
    }
    return static_cast<int>(topRow / m_rowsPerStep);
}

std::uint64_t TRowScroll::TopRowOf(int value) const
{
    if (value >= m_maximum) {
        return m_lastTopRow;
    }
    return value <= 0 ? 0 : static_cast<std::uint64_t>(value) * m_rowsPerStep;
}
