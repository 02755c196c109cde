#pragma once
// What the result pane's actions do with its text, apart from any widget: the one-line form of a
// listing and the web search request for a selection. Texts are Windows-1251 with CR LF.

#include <string>

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
