#pragma once
// Test support for the manual pages: reads roff back into the plain text a reader sees, and the
// option entries of one section.

#include <string>
#include <string_view>
#include <vector>

// One ".TP" entry: its first line (the option) and the lines after it joined by spaces.
struct TManEntry
{
    std::string Head;
    std::string Body;
};

// roff text with the font changes (\fB, \fI, \fR) dropped and \-, \e and \& read back.
std::string PlainRoff(std::string_view roff);

// The ".TP" entries of the section (".SH") or subsection (".SS") titled title, in page order,
// as plain text; none when there is no such section.
std::vector<TManEntry> ManEntries(const std::string& roff, std::string_view title);
