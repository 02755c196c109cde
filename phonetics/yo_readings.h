#pragma once
// ё restored to words written with е: the ё words of Hunspell's Russian dictionary with the forms
// its affix rules make of them, for the words that frequency lists spell with е.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "phonetics/headwords.h"

// How a word written with е is read.
struct TYoReading
{
    std::string Yo;       // the word with ё, lowercase Windows-1251
    bool AlsoYe = false;  // whether the е spelling is a word of its own too (все and всё)
};

// The ё readings of words written with е. hunspell-ru lists every ё word twice, with ё and with
// е, so a word counts as one of its own with е only when an entry without a ё twin makes it
// (все from весь, берег the noun beside берёг), or when a short list kept here names it (небо
// beside нёбо, лет beside лёт).
class TYoReadings
{
public:
    // Knows no word.
    TYoReadings() = default;

    // Reads Hunspell's dictionary at aff and dic (UTF-8, suffix rules only, as hunspell-ru has
    // them). Missing or unreadable files give no readings.
    static TYoReadings FromHunspell(const std::string& aff = kHunspellRussianAff,
                                    const std::string& dic = kHunspellRussianDic);

    // The ё reading of word (lowercase Windows-1251, written with е), or nullptr when it has
    // none; a word that holds ё has none.
    const TYoReading* Find(const std::string& word) const;

    // What the rhyme index phonemises for word (lowercase Windows-1251): the word and its ё
    // reading parted by kReadingSeparator when the е spelling is a word too, else by
    // kYoReadingMark; the word itself when it has no ё reading.
    std::string ToPhonemise(std::string word) const;

    bool Empty() const { return m_readings.empty(); }
    std::size_t Size() const { return m_readings.size(); }

private:
    // Whether word may have a reading: a bit per hash of the readings' words, which stays in the
    // processor's cache where the map does not, for the many words that have none.
    bool MayHave(std::string_view word) const;
    void FillFilter();

    std::unordered_map<std::string, TYoReading> m_readings;
    std::vector<std::uint64_t> m_filter;
};

// The readings of the installed hunspell-ru, read at the first call and kept for the process.
const TYoReadings& InstalledYoReadings();
