// The ё words of Hunspell's Russian dictionary, its suffix rules applied to them, and the е
// spellings that are words of their own.

#include "phonetics/yo_readings.h"

#include <algorithm>
#include <bitset>
#include <map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "phonetics/key_worker.h"
#include "wordstore/encoding.h"
#include "wordstore/file_io.h"
#include "wordstore/letters.h"

namespace {

constexpr char kYo = static_cast<char>(kSmallYo);
constexpr char kYe = static_cast<char>(kSmallYe);

// The words written with е that are words of their own, though hunspell-ru has them only as the
// е spelling of a ё word: it lists небо as it lists нёбо, and лет as it lists лёт. безнадежный is
// the reading of the poets who rhyme it with нежный.
constexpr const char* kWordsOfTheirOwn[] = {
    "все",         "всем",        "лет",         "небо",         "неба",         "небе",
    "небу",        "перед",       "передом",     "чем",          "тем",          "безнадежный",
    "безнадежной", "безнадежная", "безнадежное", "безнадежные",  "безнадежно",   "безнадежного",
    "безнадежную", "безнадежным", "безнадежных", "безнадежному", "безнадежными",
};

// The filter's size in bits, a power of two: some fifteen bits per reading of hunspell-ru.
constexpr std::size_t kFilterBits = std::size_t{1} << 20;

std::size_t FilterBit(std::string_view word)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : word) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    return static_cast<std::size_t>(hash ^ (hash >> 32)) & (kFilterBits - 1);
}

// One suffix rule: Strip is taken off the end of a word that ends as Condition says, Add is put
// on.
struct TSuffixRule
{
    std::string Strip;
    std::string Add;
    std::string ConditionText;
    std::vector<std::bitset<256>> Condition;  // the letters each of the last places may hold
    bool AddsYo = false;
    bool Twin = false;  // the е copy of a rule that adds ё
};

bool HasYo(std::string_view word)
{
    return word.find(kYo) != std::string_view::npos;
}

std::string YoAsYe(std::string word)
{
    std::replace(word.begin(), word.end(), kYo, kYe);
    return word;
}

// A condition such as "[^н]ый": letters, [sets] and [^sets], "." for any letter.
std::vector<std::bitset<256>> ReadCondition(std::string_view text)
{
    std::vector<std::bitset<256>> places;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::bitset<256> letters;
        if (text[i] == '.') {
            letters.set();
        } else if (text[i] == '[') {
            const std::size_t end = std::min(text.find(']', i), text.size());
            const bool negated = i + 1 < end && text[i + 1] == '^';
            for (std::size_t k = i + (negated ? 2 : 1); k < end; ++k) {
                letters.set(static_cast<unsigned char>(text[k]));
            }
            if (negated) {
                letters.flip();
            }
            i = end;
        } else {
            letters.set(static_cast<unsigned char>(text[i]));
        }
        places.push_back(letters);
    }
    return places;
}

bool Applies(const TSuffixRule& rule, std::string_view stem)
{
    if (stem.size() < rule.Condition.size() || !stem.ends_with(rule.Strip)) {
        return false;
    }
    const std::size_t start = stem.size() - rule.Condition.size();
    for (std::size_t k = 0; k < rule.Condition.size(); ++k) {
        if (!rule.Condition[k].test(static_cast<unsigned char>(stem[start + k]))) {
            return false;
        }
    }
    return true;
}

void MakeForm(const TSuffixRule& rule, std::string_view stem, std::string& form)
{
    form.assign(stem.substr(0, stem.size() - rule.Strip.size()));
    form += rule.Add;
}

// The lines of text, LF or CR LF after each, whitespace split, one call each.
template <typename TTake>
void ForEachLine(std::string_view text, TTake take)
{
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        take(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            ++i;
        }
        if (i > start) {
            fields.emplace_back(line.substr(start, i - start));
        }
    }
    return fields;
}

std::map<char, std::vector<TSuffixRule>> ReadSuffixRules(std::string_view aff)
{
    std::map<char, std::vector<TSuffixRule>> rules;
    ForEachLine(aff, [&](std::string_view line) {
        const std::vector<std::string_view> fields = Fields(line);
        if (fields.size() != 5 || fields[0] != "SFX" || fields[1].size() != 1) {
            return;
        }
        TSuffixRule rule;
        rule.Strip = fields[2] == "0" ? "" : std::string(fields[2]);
        rule.Add = fields[3] == "0" ? "" : std::string(fields[3].substr(0, fields[3].find('/')));
        rule.ConditionText = fields[4];
        rule.Condition = ReadCondition(fields[4]);
        rule.AddsYo = HasYo(rule.Add);
        rules[fields[1][0]].push_back(std::move(rule));
    });
    for (auto& [flag, flagRules] : rules) {
        for (TSuffixRule& rule : flagRules) {
            rule.Twin = !rule.AddsYo &&
                        std::any_of(flagRules.begin(), flagRules.end(), [&](const TSuffixRule& yo) {
                            return yo.AddsYo && yo.Strip == rule.Strip &&
                                   yo.ConditionText == rule.ConditionText &&
                                   YoAsYe(yo.Add) == rule.Add;
                        });
        }
    }
    return rules;
}

struct TDicEntry
{
    std::string Stem;  // lowercase Windows-1251
    std::string Flags;
};

std::string ReadText(const std::string& path)
{
    const TFileBytes bytes = ReadWholeFile(path);
    return ToCp1251Lossy(std::string_view(bytes.Bytes.get(), bytes.Size));
}

}  // namespace

TYoReadings TYoReadings::FromHunspell(const std::string& aff, const std::string& dic)
{
    TYoReadings readings;
    std::string affText;
    std::string dicText;
    try {
        affText = ReadText(aff);
        dicText = ReadText(dic);
    } catch (const EFileError&) {
        return readings;
    }
    const std::map<char, std::vector<TSuffixRule>> rules = ReadSuffixRules(affText);
    std::vector<TDicEntry> entries;
    bool first = true;
    ForEachLine(dicText, [&](std::string_view line) {
        // The first line is the entry count.
        if (std::exchange(first, false) || line.empty()) {
            return;
        }
        const std::size_t slash = line.find('/');
        entries.push_back(
            {LowerKeepingYo(std::string(line.substr(0, slash))),
             slash == std::string_view::npos ? "" : std::string(line.substr(slash + 1))});
    });
    // An entry without ё is the е twin of one with ё when both have the same flags.
    std::unordered_set<std::string> yoEntries;
    for (const TDicEntry& entry : entries) {
        if (HasYo(entry.Stem)) {
            yoEntries.insert(YoAsYe(entry.Stem) + "/" + entry.Flags);
        }
    }
    const auto rulesOf = [&](char flag) -> const std::vector<TSuffixRule>& {
        static const std::vector<TSuffixRule> kNone;
        const auto found = rules.find(flag);
        return found == rules.end() ? kNone : found->second;
    };
    std::string form;
    std::vector<std::string> yoForms;
    std::vector<std::string> yeForms;
    for (const TDicEntry& entry : entries) {
        const bool yoStem = HasYo(entry.Stem);
        yoForms.clear();
        yeForms.clear();
        if (yoStem) {
            yoForms.push_back(entry.Stem);
        }
        for (const char flag : entry.Flags) {
            for (const TSuffixRule& rule : rulesOf(flag)) {
                if ((yoStem || rule.AddsYo) && Applies(rule, entry.Stem)) {
                    MakeForm(rule, entry.Stem, form);
                    (HasYo(form) ? yoForms : yeForms).push_back(form);
                }
            }
        }
        for (const std::string& yo : yoForms) {
            // A rule that drops the ё of the stem moved the stress: решено beside решённый.
            std::string ye = YoAsYe(yo);
            if (std::find(yeForms.begin(), yeForms.end(), ye) == yeForms.end()) {
                readings.m_readings.try_emplace(std::move(ye), TYoReading{yo, false});
            }
        }
    }
    readings.FillFilter();
    // The forms of the entries without ё and without a ё twin, by the rules that are not the е
    // copies of ё rules, are words of their own.
    for (const TDicEntry& entry : entries) {
        if (HasYo(entry.Stem) || yoEntries.contains(entry.Stem + "/" + entry.Flags)) {
            continue;
        }
        const auto markOwn = [&](const std::string& word) {
            // Every word with a reading is written with е.
            if (word.find(kYe) == std::string::npos || !readings.MayHave(word)) {
                return;
            }
            const auto found = readings.m_readings.find(word);
            if (found != readings.m_readings.end()) {
                found->second.AlsoYe = true;
            }
        };
        markOwn(entry.Stem);
        for (const char flag : entry.Flags) {
            for (const TSuffixRule& rule : rulesOf(flag)) {
                if (!rule.AddsYo && !rule.Twin && Applies(rule, entry.Stem)) {
                    MakeForm(rule, entry.Stem, form);
                    markOwn(form);
                }
            }
        }
    }
    for (const char* word : kWordsOfTheirOwn) {
        const auto found = readings.m_readings.find(ToCp1251(word));
        if (found != readings.m_readings.end()) {
            found->second.AlsoYe = true;
        }
    }
    return readings;
}

void TYoReadings::FillFilter()
{
    m_filter.assign(kFilterBits / 64, 0);
    for (const auto& [word, reading] : m_readings) {
        const std::size_t bit = FilterBit(word);
        m_filter[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
}

bool TYoReadings::MayHave(std::string_view word) const
{
    const std::size_t bit = FilterBit(word);
    return (m_filter[bit / 64] >> (bit % 64) & 1) != 0;
}

const TYoReading* TYoReadings::Find(const std::string& word) const
{
    if (m_readings.empty() || !MayHave(word) || HasYo(word)) {
        return nullptr;
    }
    const auto found = m_readings.find(word);
    return found == m_readings.end() ? nullptr : &found->second;
}

std::string TYoReadings::ToPhonemise(std::string word) const
{
    const TYoReading* reading = Find(word);
    if (reading == nullptr) {
        return word;
    }
    return word + (reading->AlsoYe ? kReadingSeparator : kYoReadingMark) + reading->Yo;
}

const TYoReadings& InstalledYoReadings()
{
    static const TYoReadings kReadings = TYoReadings::FromHunspell();
    return kReadings;
}
