#pragma once
// Prints a search's listing as it comes from the core, a piece at a time: UTF-8 lines for the
// terminal, or the core's bytes as they are.

#include <array>
#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

// Takes the pieces of one listing (Windows-1251, lines separated by CR LF) and prints them to
// out: converted to UTF-8 with each CR LF as "\n" and a "\n" after the last line, or with raw the
// bytes unchanged. Where a piece ends does not change what is printed.
class TListingPrinter
{
public:
    TListingPrinter(std::ostream& out, bool raw);

    // Prints the next piece.
    void Print(std::string_view piece);
    // Ends the listing; call once, after the last piece.
    void Finish();
    // Whether the listing had any bytes.
    bool PrintedAny() const { return m_printedAny; }

private:
    std::ostream& m_out;
    const bool m_raw;
    bool m_printedAny = false;
    // A CR that ended the last piece, not printed until the next byte tells whether it begins
    // a line break.
    bool m_pendingCr = false;
    // The UTF-8 form of each byte (at most 3 bytes), then its length in the last of the 4.
    std::array<std::array<char, 4>, 256> m_utf8{};
    std::string m_text;  // the converted piece, kept for the next one
};
