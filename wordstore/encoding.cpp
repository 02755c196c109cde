// Conversion between Windows-1251 and UTF-8.

#include "wordstore/encoding.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// Code points of the bytes 0x80 to 0xBF; 0xC0 to 0xFF are U+0410 to U+044F in order.
constexpr std::array<char16_t, 64> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
};

std::string CodePointName(char32_t cp)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex;
    for (char32_t rest = cp; rest != 0 || hex.size() < 4; rest >>= 4) {
        hex.insert(hex.begin(), kHex[rest & 0xF]);
    }
    std::string text = "\"";
    AppendUtf8(text, cp);
    return text + "\" (U+" + hex + ")";
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes the UTF-8 sequence at text[pos]; advances pos. Returns -1 for a malformed sequence
// (pos then moves past its first byte).
long DecodeUtf8(std::string_view text, std::size_t& pos)
{
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) {
        return lead;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
        return -1;
    }
    std::size_t next = pos;
    for (int i = 0; i < extra; ++i, ++next) {
        if (next >= text.size() || (static_cast<unsigned char>(text[next]) & 0xC0) != 0x80) {
            return -1;
        }
        cp = (cp << 6) | (static_cast<unsigned char>(text[next]) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return -1;
    }
    pos = next;
    return static_cast<long>(cp);
}

TUtf8Reading ReadAsUtf8(std::string_view bytes, bool piece)
{
    TUtf8Reading reading;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t start = pos;
        const long cp = DecodeUtf8(bytes, pos);
        if (cp >= 0) {
            reading.BeyondAscii = reading.BeyondAscii || cp >= 0x80;
            reading.Cyrillic = reading.Cyrillic || (cp >= 0x0400 && cp <= 0x04FF);
            continue;
        }
        // A lead byte followed only by continuation bytes up to the end may be completed by
        // the bytes that come next.
        const auto lead = static_cast<unsigned char>(bytes[start]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const std::string_view rest = bytes.substr(start + 1);
        const bool cut = lead >= 0xC2 && lead <= 0xF4 && rest.size() < length - 1 &&
                         std::all_of(rest.begin(), rest.end(), [](char c) {
                             return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
                         });
        reading.Valid = piece && cut;
        break;
    }
    return reading;
}

char32_t Cp1251ToUnicode(unsigned char byte)
{
    if (byte < 0x80) {
        return byte;
    }
    if (byte >= 0xC0) {
        return 0x0410 + (byte - 0xC0);
    }
    return kUpperHalf[byte - 0x80];
}

int UnicodeToCp1251(char32_t codePoint)
{
    if (codePoint < 0x80) {
        return static_cast<int>(codePoint);
    }
    if (codePoint >= 0x0410 && codePoint <= 0x044F) {
        return static_cast<int>(codePoint - 0x0410 + 0xC0);
    }
    if (codePoint == 0xFFFD) {
        return -1;
    }
    for (std::size_t i = 0; i < kUpperHalf.size(); ++i) {
        if (kUpperHalf[i] == codePoint) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

std::string ToUtf8(std::string_view cp1251)
{
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (const char c : cp1251) {
        AppendUtf8(out, Cp1251ToUnicode(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string ToCp1251(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t start = pos;
        const long cp = DecodeUtf8(utf8, pos);
        if (cp < 0) {
            throw EEncodingError("Invalid UTF-8 at byte " + std::to_string(start + 1));
        }
        const int byte = UnicodeToCp1251(static_cast<char32_t>(cp));
        if (byte < 0) {
            throw EEncodingError("The character " + CodePointName(static_cast<char32_t>(cp)) +
                                 " has no Windows-1251 form");
        }
        out.push_back(static_cast<char>(byte));
    }
    return out;
}

std::string ToCp1251Lossy(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const long cp = DecodeUtf8(utf8, pos);
        const int byte = cp < 0 ? -1 : UnicodeToCp1251(static_cast<char32_t>(cp));
        out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return out;
}

std::string SpellName(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    const auto appendEscaped = [&out](std::string_view escaped) {
        for (const char c : escaped) {
            const auto byte = static_cast<unsigned char>(c);
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    };
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t start = pos;
        const long cp = DecodeUtf8(bytes, pos);
        const std::string_view character = bytes.substr(start, pos - start);
        // A line break or a terminal's control sequence would break a row or act on the screen.
        if (cp < 0 || cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) {
            appendEscaped(character);
        } else if (cp == '\\') {
            out += "\\\\";
        } else {
            out += character;
        }
    }
    return out;
}

std::optional<std::string> ReadSpelledName(std::string_view spelling)
{
    const auto hexValue = [](char c) {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        c = static_cast<char>(c | 0x20);
        return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    std::string bytes;
    bytes.reserve(spelling.size());
    for (std::size_t pos = 0; pos < spelling.size(); ++pos) {
        if (spelling[pos] != '\\') {
            bytes += spelling[pos];
            continue;
        }
        const std::string_view rest = spelling.substr(pos + 1);
        if (rest.starts_with('\\')) {
            bytes += '\\';
            pos += 1;
        } else if (rest.size() >= 3 && rest[0] == 'x' && hexValue(rest[1]) >= 0 &&
                   hexValue(rest[2]) >= 0) {
            bytes += static_cast<char>(hexValue(rest[1]) * 16 + hexValue(rest[2]));
            pos += 3;
        } else {
            return std::nullopt;
        }
    }
    return bytes;
}
