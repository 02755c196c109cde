// The letter searches: a count of each letter of the query, which every word of the right length
// spends and gives back.

#include "search/letter_search.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "search/cp1251_letters.h"
#include "search/query.h"
#include "search/search_run.h"

namespace {

constexpr char kAnyLetter = '?';

// The letters of one query as counts per byte, and the number of "?" among them.
class TLetterCounts
{
public:
    explicit TLetterCounts(const std::string& letters)
    {
        for (const char c : letters) {
            if (c == kAnyLetter) {
                ++m_wildcards;
            } else {
                ++m_counts[static_cast<unsigned char>(c)];
            }
        }
    }

    // Whether the letters hold every byte of word, a "?" standing in for any byte they lack.
    bool Cover(std::string_view word)
    {
        // The query's lowercasing made every ё an е, so the word's ё spends an е.
        int spare = m_wildcards;
        std::size_t spent = 0;
        bool covered = true;
        while (spent < word.size()) {
            if (--m_counts[Slot(word[spent++])] < 0 && --spare < 0) {
                covered = false;
                break;
            }
        }
        // Giving back what was spent is cheaper than copying the table for each word.
        while (spent > 0) {
            ++m_counts[Slot(word[--spent])];
        }
        return covered;
    }

private:
    static unsigned char Slot(char c)
    {
        const auto byte = static_cast<unsigned char>(c);
        return byte == kSmallYo ? kSmallYe : byte;
    }

    std::array<int, 256> m_counts{};
    int m_wildcards = 0;
};

// Drops every leading and trailing byte from 0x00 to 0x20, as the other searches trim.
std::string Trim(const std::string& text)
{
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

}  // namespace

void LetterSearch(TLetterMode mode, const std::string& letters, TSearchView& view)
{
    std::string query = Trim(letters);
    if (query.empty()) {
        return;
    }
    LowerCyr(query);
    TLetterCounts counts(query);
    const std::size_t length = query.size();
    if (mode == TLetterMode::Anagram) {
        // The words shorter than the letters never reach the test.
        WordTestSearch(
            length,
            [&counts, length](std::string_view word) {
                return word.size() == length && counts.Cover(word);
            },
            view);
    } else {
        // An empty word is made of no letters: it is not listed.
        WordTestSearch(
            1,
            [&counts, length](std::string_view word) {
                return word.size() <= length && counts.Cover(word);
            },
            view);
    }
}
