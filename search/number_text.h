#pragma once
// Numbers as the user types and reads them: the minimum frequency typed into the window (with a
// decimal comma or point), the ipm text of a listing (with a comma), and the error text both
// front ends show.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A number that cannot be read; what() is the user's whole message.
class EConvertError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Reads text as a double, whatever the host locale: blanks around it, an optional sign, digits
// with at most one decimal separator, "," or ".", an optional exponent after "E" or "e". A number
// too small for a double reads as zero (of its sign). Throws
// EConvertError("'<text>' is not a valid floating point value") for any other text, and for a
// number too large for a double.
double StrToFloat(const std::string& text);

// The text shown for an error message: the message with "." appended when its last character
// sorts after ".".
std::string UserErrorText(const std::string& message);

// The ipm text of value: at most 7 significant digits and at most 5 decimals, whichever keeps
// fewer, rounded from the exact binary value to the nearest, an exact tie away from zero (so
// 0.203125 gives "0,20313" and 2.675, stored as 2.67499999999999982..., "2,67500"); a decimal
// comma and exactly 5 decimals; no "-" when it rounds to zero; from 10 000 000 on, "d,dddE7"
// notation. Infinities are "INF" and "-INF", a NaN "NAN".
std::string IpmText(double value);

// The longest ipm text: "-", 7 integer digits, ",", 5 decimals.
inline constexpr std::size_t kMaxIpmTextSize = 14;

// Writes IpmText(value) at out, which has room for kMaxIpmTextSize bytes, and returns the end of
// the text. Allocates nothing, for listings that write many.
char* WriteIpmText(double value, char* out);

// The ipm texts of recently written values, for listings that write many. Frequencies repeat a
// lot (all the words that occur once in a dictionary share one), and formatting a double is the
// dearest step of a listing.
class TIpmTextCache
{
public:
    // IpmText(value); valid until the next call.
    std::string_view Text(double value);

private:
    static constexpr int kIndexBits = 12;

    struct TEntry
    {
        std::uint64_t Bits = 0;
        std::uint8_t Size = 0;  // 0 while the entry is unused
        char Text[kMaxIpmTextSize];
    };

    std::vector<TEntry> m_entries = std::vector<TEntry>(std::size_t{1} << kIndexBits);
};
