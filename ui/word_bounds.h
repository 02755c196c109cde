#pragma once
// What the result pane counts as a word: what a double-click selects and where Ctrl+Left and
// Ctrl+Right stop. All work on one line of Windows-1251 bytes, without its line break; positions
// are byte offsets into it.

#include <cstddef>
#include <string_view>

// A stretch of a line: bytes [Begin, End).
struct TWordSpan
{
    std::size_t Begin = 0;
    std::size_t End = 0;
};

// Whether the byte at pos (below line.size()) belongs to a word: a letter, a digit or "_", or a
// mark that joins two of them into one word, as in "12,34567", "3.5", "д'Артаньян" and "т.е".
bool InWord(std::string_view line, std::size_t pos);

// What a double-click on the byte at pos (below line.size()) selects: the whole word holding it,
// or that byte alone when it is not in a word.
TWordSpan WordAt(std::string_view line, std::size_t pos);

// Where Ctrl+Right from pos (below line.size()) stops: past the word, or the one other mark, at
// pos, then past blanks, so at the start of the next word or at the line's end.
std::size_t NextWordStop(std::string_view line, std::size_t pos);

// Where Ctrl+Left from pos (above 0, at most line.size()) stops: back over blanks, then to the
// start of the word before them, or over the one other mark before them.
std::size_t PreviousWordStop(std::string_view line, std::size_t pos);
