#pragma once
// Reading the minimum frequency typed by the user, and the error text both front ends show.

#include <stdexcept>
#include <string>

// A number that cannot be read; what() is the user's whole message.
class EConvertError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Reads text as a double with a decimal comma, whatever the host locale: blanks around it, an
// optional sign, digits with at most one comma, an optional exponent after "E" or "e". Throws
// EConvertError("'<text>' is not a valid floating point value") otherwise.
double StrToFloat(const std::string& text);

// The text shown for an error message: the message with "." appended when its last character
// sorts after ".".
std::string UserErrorText(const std::string& message);
