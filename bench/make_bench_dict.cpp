// Writes a generated frequency dictionary for the benchmarks: Russian-like words built from
// syllables and common endings, with counts falling as one over the rank.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "wordstore/encoding.h"

namespace {

constexpr std::uint64_t kDefaultWordCount = 2'000'000;
constexpr std::uint64_t kDefaultSeed = 1;
// The count of the word of rank r is about kTopCount / r, so the last of two million words
// still occurs 25 times.
constexpr double kTopCount = 50'000'000.0;

constexpr char kUsage[] =
    "usage: make_bench_dict [--words N] [--seed S] OUTPUT.txt\n"
    "Writes N generated words (default 2000000) to OUTPUT.txt, Windows-1251 with CR LF line\n"
    "ends, and their counts to OUTPUT.txt.cnt. The same seed writes the same files.\n";

// A part of a word and how often it is chosen, relative to the other parts of its kind.
struct TPart
{
    const char* Utf8;
    unsigned Weight;
};

constexpr TPart kPrefixes[] = {
    {"по", 12}, {"пре", 4}, {"при", 8}, {"пере", 5}, {"на", 8},  {"за", 8},  {"вы", 6},
    {"рас", 4}, {"раз", 4}, {"от", 6},  {"об", 4},   {"под", 4}, {"про", 6}, {"с", 6},
    {"у", 4},   {"в", 5},   {"не", 6},  {"до", 4},   {"из", 4},  {"со", 3},
};

constexpr TPart kOnsets[] = {
    {"б", 4},  {"в", 6},  {"г", 3},  {"д", 5},  {"ж", 2},  {"з", 3},  {"к", 6},  {"л", 6},
    {"м", 5},  {"н", 7},  {"п", 5},  {"р", 6},  {"с", 6},  {"т", 7},  {"ф", 1},  {"х", 2},
    {"ц", 1},  {"ч", 2},  {"ш", 2},  {"щ", 1},  {"ст", 3}, {"пр", 2}, {"тр", 2}, {"кр", 2},
    {"гр", 2}, {"бр", 1}, {"др", 1}, {"сл", 1}, {"пл", 1}, {"кл", 1}, {"зв", 1}, {"св", 2},
    {"ск", 1}, {"сп", 1}, {"ль", 1}, {"", 3},
};

constexpr TPart kVowels[] = {
    {"а", 9}, {"о", 11}, {"е", 9}, {"и", 8}, {"у", 3}, {"ы", 2}, {"я", 2}, {"ю", 1}, {"ё", 1},
};

// Put between a stem that ends in a vowel and an ending that starts with one.
constexpr TPart kJoints[] = {
    {"н", 6}, {"т", 5}, {"л", 5}, {"к", 5}, {"р", 4}, {"с", 3},  {"в", 4},
    {"д", 3}, {"м", 3}, {"ч", 2}, {"ж", 1}, {"ш", 1}, {"ст", 2}, {"ск", 1},
};

constexpr TPart kCodas[] = {
    {"", 70}, {"н", 6}, {"р", 5}, {"л", 4}, {"с", 4},  {"т", 3},
    {"к", 3}, {"м", 2}, {"й", 1}, {"в", 2}, {"нь", 1},
};

// Inflections and suffixes, roughly as often as they end Russian word forms.
constexpr TPart kEndings[] = {
    {"", 60},     {"а", 60},    {"ы", 30},    {"у", 30},      {"е", 40},    {"и", 40},
    {"о", 25},    {"ь", 20},    {"ой", 30},   {"ом", 30},     {"ов", 25},   {"ам", 15},
    {"ами", 15},  {"ах", 15},   {"ем", 10},   {"ям", 5},      {"ями", 5},   {"ях", 5},
    {"ый", 20},   {"ий", 15},   {"ая", 25},   {"ое", 20},     {"ые", 20},   {"ого", 25},
    {"ому", 10},  {"ым", 10},   {"ых", 15},   {"ский", 10},   {"ского", 6}, {"ская", 6},
    {"ать", 25},  {"ить", 25},  {"еть", 8},   {"ет", 20},     {"ит", 20},   {"ют", 10},
    {"ут", 10},   {"ешь", 5},   {"ла", 15},   {"ли", 15},     {"л", 15},    {"ло", 8},
    {"ться", 10}, {"лся", 6},   {"лась", 5},  {"ость", 25},   {"ости", 12}, {"ание", 12},
    {"ания", 8},  {"ение", 12}, {"ения", 10}, {"ник", 10},    {"ница", 4},  {"ка", 25},
    {"ки", 15},   {"ку", 10},   {"янка", 4},  {"янки", 2},    {"анка", 5},  {"енка", 3},
    {"ство", 8},  {"тель", 6},  {"ально", 4}, {"ировать", 3}, {"ённый", 2},
};

constexpr TPart kParticles[] = {{"-то", 5}, {"-нибудь", 2}, {"-либо", 1}, {"-ка", 1}};

// splitmix64: the same numbers for the same seed with every compiler and library.
class TRandom
{
public:
    explicit TRandom(std::uint64_t seed)
        : m_state(seed)
    {}

    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // True with probability perMille / 1000.
    bool Chance(unsigned perMille) { return Next() % 1000 < perMille; }

private:
    std::uint64_t m_state;
};

// One kind of word part in Windows-1251, for drawing by weight.
class TPartTable
{
public:
    template <std::size_t size>
    explicit TPartTable(const TPart (&parts)[size])
    {
        for (const TPart& part : parts) {
            m_total += part.Weight;
            m_bytes.push_back(ToCp1251(part.Utf8));
            m_limits.push_back(m_total);
        }
    }

    const std::string& Draw(TRandom& random) const
    {
        const std::uint64_t point = random.Next() % m_total;
        std::size_t i = 0;
        while (m_limits[i] <= point) {
            ++i;
        }
        return m_bytes[i];
    }

private:
    std::vector<std::string> m_bytes;
    std::vector<std::uint64_t> m_limits;  // running sums of the weights
    std::uint64_t m_total = 0;
};

class TWordMaker
{
public:
    explicit TWordMaker(std::uint64_t seed)
        : m_random(seed)
    {}

    void AppendWord(std::string& out)
    {
        if (m_random.Chance(300)) {
            out += m_prefixes.Draw(m_random);
        }
        // One to four syllables, two or three most often.
        const std::uint64_t syllables = 1 + (m_random.Next() % 10 + 2) / 3;
        for (std::uint64_t k = 0; k < syllables; ++k) {
            out += m_onsets.Draw(m_random);
            out += m_vowels.Draw(m_random);
            out += m_codas.Draw(m_random);
        }
        const std::string& ending = m_endings.Draw(m_random);
        if (!ending.empty() && !IsConsonant(ending.front()) && !IsConsonant(out.back())) {
            out += m_joints.Draw(m_random);
        }
        out += ending;
        if (m_random.Chance(3)) {
            out += m_particles.Draw(m_random);
        }
    }

private:
    bool IsConsonant(char c) const { return m_consonants.find(c) != std::string::npos; }

    TRandom m_random;
    const std::string m_consonants = ToCp1251("бвгджзклмнпрстфхцчшщ");
    const TPartTable m_prefixes{kPrefixes};
    const TPartTable m_onsets{kOnsets};
    const TPartTable m_vowels{kVowels};
    const TPartTable m_codas{kCodas};
    const TPartTable m_joints{kJoints};
    const TPartTable m_endings{kEndings};
    const TPartTable m_particles{kParticles};
};

void AppendInt32LittleEndian(std::string& out, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((bits >> shift) & 0xFF));
    }
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::uint64_t ParseNumber(const std::string& flag, const char* text)
{
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (*text < '0' || *text > '9' || *end != '\0') {
        throw std::runtime_error(flag + " needs a number, not \"" + text + "\"");
    }
    return value;
}

void MakeDictionary(const std::string& path, std::uint64_t wordCount, std::uint64_t seed)
{
    if (wordCount > 100'000'000) {
        throw std::runtime_error("at most 100000000 words");
    }
    TWordMaker maker(seed);
    std::string words;
    words.reserve(wordCount * 12);
    std::string counts;
    counts.reserve(wordCount * 4);
    for (std::uint64_t rank = 1; rank <= wordCount; ++rank) {
        maker.AppendWord(words);
        words += "\r\n";
        AppendInt32LittleEndian(
            counts, static_cast<std::int32_t>(kTopCount / static_cast<double>(rank) + 0.5));
    }
    WriteFile(path, words);
    WriteFile(path + ".cnt", counts);
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        std::uint64_t wordCount = kDefaultWordCount;
        std::uint64_t seed = kDefaultSeed;
        std::string path;
        for (int i = 1; i < argc; ++i) {
            const std::string_view arg = argv[i];
            if (arg == "--help") {
                std::fputs(kUsage, stdout);
                return 0;
            }
            if ((arg == "--words" || arg == "--seed") && i + 1 < argc) {
                (arg == "--words" ? wordCount : seed) = ParseNumber(std::string(arg), argv[++i]);
            } else if (!arg.starts_with("--") && path.empty()) {
                path = arg;
            } else {
                throw std::runtime_error("unexpected argument \"" + std::string(arg) + "\"");
            }
        }
        if (path.empty()) {
            throw std::runtime_error("no output file given");
        }
        MakeDictionary(path, wordCount, seed);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_bench_dict: %s\n%s", e.what(), kUsage);
        return 2;
    }
}
