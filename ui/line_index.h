#pragma once
// The result pane's bookkeeping that needs no widget: where the lines of a Windows-1251 text
// start, how to find the next possible line break quickly, and how a 64-bit row maps onto a
// scroll bar's int range.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "wordstore/large_array.h"

// Returns an offset at or after from that is never past the first byte there below 14 (so never
// past a CR or an LF), or text.size() when there is no such byte. On a little-endian machine it is
// that byte; elsewhere it may fall a little earlier. Runs of ordinary bytes are passed over eight
// at a time.
std::size_t NextBreakCandidate(std::string_view text, std::size_t from);

// Where each line of a text starts. A line ends at CR LF, at a lone CR or at a lone LF; a text
// has one line more than it has line breaks, so an empty text is one empty line.
class TLineIndex
{
public:
    // Indexes text. The vectors keep their capacity for the next text until Trim().
    void Build(std::string_view text);
    void Trim();

    std::uint64_t Count() const
    {
        return m_starts64.empty() ? m_starts32.size() : m_starts64.size();
    }
    // The byte offset at which line starts; line is below Count().
    std::uint64_t Start(std::uint64_t line) const
    {
        return m_starts64.empty() ? m_starts32[line] : m_starts64[line];
    }
    // The line that holds the byte offset position (a line's start belongs to it).
    std::uint64_t LineOf(std::uint64_t position) const;

private:
    // Offsets take four bytes each while the text is below 4 GiB, eight beyond.
    std::vector<std::uint32_t, TLargeAllocator<std::uint32_t>> m_starts32;
    std::vector<std::uint64_t, TLargeAllocator<std::uint64_t>> m_starts64;
};

// Maps the pane's top row, a 64-bit index, onto a scroll bar's int range and back. Up to
// kMaxValue rows each row is one step; beyond, one step covers several rows. The maximum value
// always maps to the last top row, so the end of the text stays reachable.
class TRowScroll
{
public:
    static constexpr int kMaxValue = 1 << 30;

    explicit TRowScroll(std::uint64_t lastTopRow = 0);

    int Maximum() const { return m_maximum; }
    std::uint64_t RowsPerStep() const { return m_rowsPerStep; }
    std::uint64_t LastTopRow() const { return m_lastTopRow; }
    int ValueOf(std::uint64_t topRow) const;
    std::uint64_t TopRowOf(int value) const;

private:
    std::uint64_t m_lastTopRow;
    std::uint64_t m_rowsPerStep;
    int m_maximum;
};
