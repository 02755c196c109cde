// Prints a listing piece by piece, converting to UTF-8 through a table of the 256 bytes.

#include "cli/listing_printer.h"

#include <cstring>
#include <ostream>

#include "wordstore/encoding.h"

TListingPrinter::TListingPrinter(std::ostream& out, bool raw)
    : m_out(out)
    , m_raw(raw)
{
    for (std::size_t byte = 0; byte < 256; ++byte) {
        const std::string utf8 = ToUtf8(std::string(1, static_cast<char>(byte)));
        utf8.copy(m_utf8[byte].data(), m_utf8[byte].size() - 1);
        m_utf8[byte].back() = static_cast<char>(utf8.size());
    }
}

void TListingPrinter::Print(std::string_view piece)
{
    if (piece.empty()) {
        return;
    }
    m_printedAny = true;
    if (m_raw) {
        m_out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        return;
    }
    // A byte takes at most 3 bytes of UTF-8, and its copy writes 4; the 1 is for a CR held from
    // the last piece.
    m_text.resize(3 * piece.size() + 2);
    char* out = m_text.data();
    std::size_t pos = 0;
    if (m_pendingCr) {
        m_pendingCr = false;
        if (piece[0] == '\n') {
            *out++ = '\n';
            pos = 1;
        } else {
            *out++ = '\r';
        }
    }
    // Four bytes go out for every byte whatever its length, and a CR before an LF takes no
    // room, all without a branch: a listing mixes Cyrillic letters, digits and line breaks too
    // finely for a branch on them to be predicted. The next byte overwrites the spare ones.
    for (; pos + 1 < piece.size(); ++pos) {
        const auto byte = static_cast<unsigned char>(piece[pos]);
        const std::array<char, 4>& utf8 = m_utf8[byte];
        std::memcpy(out, utf8.data(), utf8.size());
        out += static_cast<unsigned char>(utf8.back()) - (byte == '\r' && piece[pos + 1] == '\n');
    }
    if (pos < piece.size()) {
        // The last byte: a CR waits for the next piece to tell whether it begins a line break.
        const auto byte = static_cast<unsigned char>(piece[pos]);
        if (byte == '\r') {
            m_pendingCr = true;
        } else {
            std::memcpy(out, m_utf8[byte].data(), m_utf8[byte].size());
            out += static_cast<unsigned char>(m_utf8[byte].back());
        }
    }
    m_out.write(m_text.data(), out - m_text.data());
}

void TListingPrinter::Finish()
{
    if (m_raw || !m_printedAny) {
        return;
    }
    if (m_pendingCr) {
        m_out.put('\r');
        m_pendingCr = false;
    }
    m_out.put('\n');
}
