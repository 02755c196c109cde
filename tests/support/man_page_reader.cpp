// Test support for the manual pages: roff read back into plain text and option entries.

#include "tests/support/man_page_reader.h"

#include <sstream>

std::string PlainRoff(std::string_view roff)
{
    std::string plain;
    for (std::size_t i = 0; i < roff.size(); ++i) {
        if (roff[i] != '\\' || i + 1 == roff.size()) {
            plain += roff[i];
            continue;
        }
        const char next = roff[++i];
        if (next == 'f' && i + 1 < roff.size()) {
            ++i;  // the font letter
        } else if (next == '-') {
            plain += '-';
        } else if (next == 'e') {
            plain += '\\';
        } else if (next != '&') {
            plain += '\\';
            plain += next;
        }
    }
    return plain;
}

std::vector<TManEntry> ManEntries(const std::string& roff, std::string_view title)
{
    std::vector<TManEntry> entries;
    std::istringstream lines(roff);
    std::string line;
    bool inSection = false;
    bool inEntry = false;
    bool atHead = false;
    while (std::getline(lines, line)) {
        if (line.starts_with(".SH ") || line.starts_with(".SS ")) {
            std::string_view name = std::string_view(line).substr(4);
            if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
                name = name.substr(1, name.size() - 2);
            }
            inSection = PlainRoff(name) == title;
            inEntry = false;
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (line == ".TP") {
            entries.emplace_back();
            inEntry = true;
            atHead = true;
        } else if (line.starts_with(".")) {
            inEntry = false;
        } else if (inEntry && atHead) {
            entries.back().Head = PlainRoff(line);
            atHead = false;
        } else if (inEntry) {
            std::string& body = entries.back().Body;
            if (!body.empty()) {
                body += ' ';
            }
            body += PlainRoff(line);
        }
    }
    return entries;
}
