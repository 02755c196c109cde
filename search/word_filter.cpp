// Parsing of count ranges, the syllable count of a Windows-1251 word, and the filter's Keep
// made of several tests.

#include "search/word_filter.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "wordstore/letters.h"

namespace {

// Reads the whole of text as a number of ASCII digits (from_chars takes no sign for an unsigned
// type); nullopt for anything else, an empty text or one too large included.
std::optional<std::size_t> WholeNumber(std::string_view text)
{
    std::size_t value = 0;
    const char* const end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || last != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<TCountRange> ParseCountRange(std::string_view text)
{
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) {
        const std::optional<std::size_t> count = WholeNumber(text);
        if (!count) {
            return std::nullopt;
        }
        return TCountRange{*count, *count};
    }
    const std::string_view low = text.substr(0, dash);
    const std::string_view high = text.substr(dash + 1);
    if (low.empty() && high.empty()) {
        return std::nullopt;
    }
    TCountRange range;
    if (!low.empty()) {
        const std::optional<std::size_t> min = WholeNumber(low);
        if (!min) {
            return std::nullopt;
        }
        range.Min = *min;
    }
    if (!high.empty()) {
        // A second dash fails here: it is no digit.
        const std::optional<std::size_t> max = WholeNumber(high);
        if (!max) {
            return std::nullopt;
        }
        range.Max = *max;
    }
    if (range.Min > range.Max) {
        return std::nullopt;
    }
    return range;
}

std::size_t SyllableCount(std::string_view word)
{
    std::size_t count = 0;
    for (const char byte : word) {
        count += IsVowel(byte) ? 1 : 0;
    }
    return count;
}

void TWordFilter::KeepAll(
    std::vector<std::function<bool(std::size_t row, std::size_t index)>> tests)
{
    if (tests.size() == 1) {
        Keep = std::move(tests.front());
    } else if (!tests.empty()) {
        Keep = [tests = std::move(tests)](std::size_t row, std::size_t j) {
            return std::all_of(tests.begin(), tests.end(),
                               [&](const auto& test) { return test(row, j); });
        };
    }
}
