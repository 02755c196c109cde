// The Russian letters of Windows-1251: folding the case of whole texts and trimming them.

#include "wordstore/letters.h"

#include <algorithm>

void LowerCyr(std::string& text)
{
    for (char& c : text) {
        c = LowerLetterYoAsYe(c);
    }
}

std::string LowerKeepingYo(std::string text)
{
    for (char& c : text) {
        c = LowerLetter(c);
    }
    return text;
}

std::string TrimBlanks(std::string_view text)
{
    const auto begin = std::find_if_not(text.begin(), text.end(), IsBlankByte);
    const auto end = std::find_if_not(text.rbegin(), text.rend(), IsBlankByte).base();
    return begin < end ? std::string(begin, end) : std::string();
}

bool IsAllWhiteSpace(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), IsWhiteSpace);
}
