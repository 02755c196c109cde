// The letter searches: the query's letters counted once, and each word of a fitting length
// checked against the counts without a regular expression.

#include "search/letter_search.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "search/search_run.h"
#include "wordstore/letters.h"

namespace {

constexpr char kAnyLetter = '?';
// Most Russian word forms are about this long or longer.
constexpr std::size_t kCommonWordLength = 8;

// A query of up to kPackedLength letters is also held as 5-bit fields in two 64-bit words: a
// field per distinct letter that starts at kFieldLimit minus the letter's count, and one for the
// bytes it lacks, which starts at kFieldLimit. Adding a word's bytes to them sets a field's top
// bit exactly when the word uses that letter more often than the query holds it; no field of a
// word that is not longer than the query exceeds 2 * kFieldLimit, so none spills into the next.
constexpr std::size_t kFieldBits = 5;
constexpr std::size_t kFieldsPerWord = 64 / kFieldBits;
constexpr std::uint64_t kFieldLimit = 15;
constexpr std::size_t kPackedLength = kFieldLimit;

constexpr std::uint64_t TopBitsOfFields()
{
    std::uint64_t bits = 0;
    for (std::size_t field = 0; field < kFieldsPerWord; ++field) {
        bits |= (kFieldLimit + 1) << (field * kFieldBits);
    }
    return bits;
}
constexpr std::uint64_t kTopBits = TopBitsOfFields();

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
        for (std::size_t byte = 0; byte < m_lacks.size(); ++byte) {
            m_lacks[byte] = m_counts[Slot(static_cast<char>(byte))] == 0;
        }
        m_packed = letters.size() <= kPackedLength;
        if (m_packed) {
            Pack();
        }
    }

    // Whether word is at most maxLength bytes long and the letters hold every byte of it, a "?"
    // standing in for any byte they lack. word must not be empty.
    // kLengthFirst tests the length with a branch of its own, which pays when most words are
    // longer than maxLength (the branch then mostly goes one way); otherwise the length joins the
    // letters' branch below.
    template <bool kLengthFirst>
    bool Cover(std::string_view word, std::size_t maxLength)
    {
        // A word's letters are counted without a branch: whether a word passes is as hard to
        // foretell as a coin, and a mispredicted branch per letter would cost more than the rest
        // of the word. Only a query with a "?" needs to know by how much a word goes over.
        if constexpr (kLengthFirst) {
            if (word.size() > maxLength) {
                return false;
            }
        }
        const std::size_t last = word.size() - 1;
        std::uint8_t refused = !kLengthFirst && word.size() > maxLength;
        if (m_wildcards == 0) {
            // Most words hold a byte the query lacks. Eight bytes looked up at once, with one
            // branch that mostly goes the same way, turn most of them away before the loop,
            // whose exit at a word's varying length is mispredicted at every word that gets
            // there.
            const std::size_t half = last / 2;
            refused |=
                m_lacks[Byte(word[0])] | m_lacks[Byte(word[std::min<std::size_t>(1, last)])] |
                m_lacks[Byte(word[std::min<std::size_t>(2, last)])] | m_lacks[Byte(word[half])] |
                m_lacks[Byte(word[half + (half < last)])] | m_lacks[Byte(word[(half + last) / 2])] |
                m_lacks[Byte(word[last - (last > 0)])] | m_lacks[Byte(word[last])];
        }
        if (refused != 0) {
            return false;
        }
        if (m_packed) {
            std::array<std::uint64_t, 2> fields = m_bias;
            for (const char c : word) {
                const std::array<std::uint64_t, 2>& increment =
                    m_increment[static_cast<unsigned char>(c)];
                fields[0] += increment[0];
                fields[1] += increment[1];
            }
            if (((fields[0] | fields[1]) & kTopBits) == 0) {
                return true;
            }
            if (m_wildcards == 0) {
                return false;
            }
        }
        return CoverByCounting(word);
    }

private:
    static unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

    static unsigned char Slot(char c)
    {
        const auto byte = static_cast<unsigned char>(c);
        return byte == kSmallYo ? kSmallYe : byte;
    }

    // Field 0 counts the bytes the query lacks; each distinct letter gets the next field.
    void Pack()
    {
        std::array<std::size_t, 256> fieldOf{};
        std::size_t fields = 1;
        AddToField(m_bias, 0, kFieldLimit);
        for (std::size_t byte = 0; byte < fieldOf.size(); ++byte) {
            if (m_counts[byte] > 0) {
                fieldOf[byte] = fields++;
                AddToField(m_bias, fieldOf[byte], kFieldLimit - m_counts[byte]);
            }
        }
        // The query's lowercasing made every ё an е, so the word's ё spends an е.
        fieldOf[kSmallYo] = fieldOf[kSmallYe];
        for (std::size_t byte = 0; byte < fieldOf.size(); ++byte) {
            AddToField(m_increment[byte], fieldOf[byte], 1);
        }
    }

    static void AddToField(std::array<std::uint64_t, 2>& fields, std::size_t field,
                           std::uint64_t value)
    {
        fields[field / kFieldsPerWord] += value << (field % kFieldsPerWord * kFieldBits);
    }

    bool CoverByCounting(std::string_view word)
    {
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

    std::array<int, 256> m_counts{};
    // 1 where the query has no count for the byte (ё takes е's); bytes rather than bools, so that
    // four of them combine with | without a branch.
    std::array<std::uint8_t, 256> m_lacks{};
    int m_wildcards = 0;
    bool m_packed = false;
    std::array<std::uint64_t, 2> m_bias{};
    std::array<std::array<std::uint64_t, 2>, 256> m_increment{};
};

// Whether word is the query itself, letter case and ё against е aside: an anagram search leaves
// it out, as a rhyme search leaves out the word rhymed with.
bool IsQueryWord(std::string_view word, const std::string& query)
{
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (LowerLetterYoAsYe(word[i]) != query[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<TWordTest> LetterTest(TLetterMode mode, const std::string& letters)
{
    std::string query = TrimBlanks(letters);
    if (query.empty()) {
        return std::nullopt;
    }
    LowerCyr(query);
    TLetterCounts counts(query);
    const std::size_t length = query.size();
    // Each copy of a test holds counts of its own, which it changes while counting a word, so
    // that the copies may test words on two threads at once.
    if (mode == TLetterMode::Anagram) {
        // The words shorter than the letters never reach the test.
        return WordTest(
            length,
            [counts, length, query](std::string_view word) mutable {
                return word.size() == length && counts.Cover<true>(word, length) &&
                       !IsQueryWord(word, query);
            },
            true);
    } else if (length < kCommonWordLength) {
        // An empty word is made of no letters: it is not listed. Most words are longer than
        // these letters.
        return WordTest(
            1,
            [counts, length](std::string_view word) mutable {
                return counts.Cover<true>(word, length);
            },
            true);
    } else {
        return WordTest(
            1,
            [counts, length](std::string_view word) mutable {
                return counts.Cover<false>(word, length);
            },
            true);
    }
}
