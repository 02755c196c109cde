#pragma once
// What the result pane's actions do with its text, apart from any widget: the one-line form of a
// listing, the web search request for a selection and the word a rhyme search starts from. Texts
// are Windows-1251 with CR LF.

#include <cstddef>
#include <string>
#include <string_view>

// Returns paneText as one line for the pane: every CR becomes "," and every LF a blank (so a CR LF
// pair becomes ", "), and one CR LF ends the result, as adding a line to the pane does.
std::string LinearText(const std::string& paneText);

// Percent-encodes text for the query part of a URL. Blanks and the bytes 0x01 to 0x0D become "+";
// "&", "#", "%", "+", the control bytes 0x00, 0x0E to 0x1F and 0x7F, and every byte above 0x7F
// become the UTF-8 bytes of their Windows-1251 character, each as "%" and two upper-case hex
// digits; every other byte stays as it is.
std::string EncodeQueryUtf8(const std::string& text);

// The web search request for selection: the search engine's address, "/yandsearch?text=", the
// encoded selection and "&msg=Viva%20la%20Yandex!". Plain ASCII.
std::string WebSearchRequest(const std::string& selection);

// The word the rhyme search takes from the pane, as a double-click would select it: when
// selection is not empty, its first word that holds a letter; else the word of line (one line,
// without its break) that holds the byte at caret or ends just before it, when that word holds a
// letter. Empty when there is no such word, as on a blank or on a number.
std::string RhymeWordOf(std::string_view selection, std::string_view line, std::size_t caret);
