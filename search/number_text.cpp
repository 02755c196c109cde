// Reading the minimum frequency typed by the user, and the error text both front ends show.

#include "search/number_text.h"

#include <charconv>

double StrToFloat(const std::string& text)
{
    const auto fail = [&text]() -> double {
        throw EConvertError("'" + text + "' is not a valid floating point value");
    };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == ' ') {
        ++begin;
    }
    while (end > begin && text[end - 1] == ' ') {
        --end;
    }
    // Rebuilt in the form std::from_chars reads, which knows no locale: a point, no plus sign.
    std::string number;
    std::size_t pos = begin;
    bool negative = false;
    if (pos < end && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int digits = 0;
    for (; pos < end && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++digits) {
        number.push_back(text[pos]);
    }
    if (pos < end && text[pos] == ',') {
        number.push_back('.');
        for (++pos; pos < end && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++digits) {
            number.push_back(text[pos]);
        }
    }
    if (digits == 0) {
        return fail();
    }
    if (pos < end && (text[pos] == 'e' || text[pos] == 'E')) {
        number.push_back('e');
        ++pos;
        if (pos < end && (text[pos] == '+' || text[pos] == '-')) {
            number.push_back(text[pos++]);
        }
        int exponentDigits = 0;
        for (; pos < end && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++exponentDigits) {
            number.push_back(text[pos]);
        }
        if (exponentDigits == 0) {
            return fail();
        }
    }
    if (pos != end) {
        return fail();
    }
    double value = 0.0;
    const auto [last, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || last != number.data() + number.size()) {
        // Out of the range of a double.
        return fail();
    }
    return negative ? -value : value;
}

std::string UserErrorText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + ".";
    }
    return message;
}
