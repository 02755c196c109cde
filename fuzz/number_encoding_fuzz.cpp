// Fuzz target: the ipm text against the exact decimal model, reading numbers back, and the
// Windows-1251 conversions against one another.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "search/number_text.h"
#include "tests/support/exact_decimal.h"
#include "wordstore/encoding.h"

namespace {

void CheckIpmText(double value)
{
    std::string expected;
    if (std::isnan(value)) {
        expected = "NAN";
    } else if (std::isinf(value)) {
        expected = value < 0 ? "-INF" : "INF";
    } else {
        expected = ExactIpmText(value);
    }
    const std::string text = IpmText(value);
    Check(text == expected, "IpmText differs from the exact decimal model",
          text + " vs " + expected);
    // Exactly the room the contract promises, so that AddressSanitizer sees a byte written past it.
    char buffer[kMaxIpmTextSize];
    const char* const end = WriteIpmText(value, buffer);
    Check(std::string_view(buffer, static_cast<std::size_t>(end - buffer)) == text,
          "WriteIpmText differs from IpmText", text);
}

// A finite double written with 17 significant digits and a decimal comma reads back as itself.
void CheckNumberReadsBack(double value)
{
    if (!std::isfinite(value)) {
        return;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    std::string typed = text;
    for (char& c : typed) {
        c = c == '.' ? ',' : c;
    }
    double read = 0;
    try {
        read = StrToFloat(typed);
    } catch (const EConvertError&) {
        Check(false, "StrToFloat refuses a number", typed);
    }
    Check(read == value && std::signbit(read) == std::signbit(value),
          "StrToFloat does not read back the value written", typed);
}

void CheckConversions(std::string_view bytes)
{
    // As Windows-1251: to UTF-8 and back is the identity, but for 0x98, which the code page
    // leaves undefined.
    const std::string utf8 = ToUtf8(bytes);
    std::size_t pos = 0;
    for (const char c : bytes) {
        const long cp = DecodeUtf8(utf8, pos);
        Check(cp == static_cast<long>(Cp1251ToUnicode(static_cast<unsigned char>(c))),
              "ToUtf8 writes a character other than the byte's", bytes);
    }
    Check(pos == utf8.size(), "ToUtf8 writes more than the bytes' characters", bytes);
    const bool hasUndefined = bytes.find('\x98') != std::string_view::npos;
    try {
        Check(ToCp1251(utf8) == bytes && !hasUndefined, "ToCp1251(ToUtf8(x)) is not x", bytes);
    } catch (const EEncodingError&) {
        Check(hasUndefined, "ToCp1251 refuses what ToUtf8 wrote", bytes);
    }
    std::string lossy(bytes);
    for (char& c : lossy) {
        c = c == '\x98' ? '?' : c;
    }
    Check(ToCp1251Lossy(utf8) == lossy, "ToCp1251Lossy(ToUtf8(x)) is not x", bytes);

    // As UTF-8: what converts goes back to the same bytes, and the lossy form agrees with it.
    try {
        const std::string cp1251 = ToCp1251(bytes);
        Check(ToUtf8(cp1251) == bytes, "ToUtf8(ToCp1251(x)) is not x", bytes);
        Check(ToCp1251Lossy(bytes) == cp1251, "ToCp1251Lossy differs from ToCp1251", bytes);
    } catch (const EEncodingError&) {
        Check(ToCp1251Lossy(bytes).find('?') != std::string::npos,
              "ToCp1251 refuses text that ToCp1251Lossy converts without a '?'", bytes);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Every 8 bytes are a double, any bit pattern; the first 8 also give a count and a total
    // in millions as the searches divide them, the values listings really show.
    for (std::size_t offset = 0; offset + 8 <= size && offset < 64; offset += 8) {
        double value = 0;
        std::memcpy(&value, data + offset, sizeof value);
        CheckIpmText(value);
        CheckNumberReadsBack(value);
        if (offset == 0) {
            std::int32_t count = 0;
            std::int32_t total = 0;
            std::memcpy(&count, data, sizeof count);
            std::memcpy(&total, data + 4, sizeof total);
            if (total != 0) {
                CheckIpmText(count / (total / 1000000.0));
            }
        }
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckConversions(bytes);
    try {
        const double value = StrToFloat(std::string(bytes));
        Check(std::isfinite(value), "StrToFloat reads a number that is not finite", bytes);
    } catch (const EConvertError&) {
    }
    return 0;
}
