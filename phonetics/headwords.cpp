// Word classes from Hunspell's stems of a word and the affix flags of the entries they come from.
//
// hunspell-ru lists each word once, as an entry with the affix classes that make its forms
// (читать/BLMP), and a few forms Hunspell cannot make as entries of their own, without flags
// (хочет, пошёл, такси). The flags of an entry tell its part of speech:
//
//   flags                              entry                                part of speech
//   B D L M P Q R T U V W Y            ends -ть -ться -ти -тись -чь -чься   verb, its infinitive
//   (conjugation, past, gerunds,       anything else (перешла/L)            verb form
//    imperative)
//   A (adjective endings), with        ends -ый -ий -ой (-ся)               adjective, its headword
//   S (short forms), Z (adverbs),      a participle's suffix from a verb    participle, and also
//   E (comparatives), X                (читающий, сделанный, убитый)        an adjective with E or
//   Z E F G H I J K N O (declension)     any                                  noun, its headword
//   none                               by its ending, see FlaglessReadings  any
//
// A form an affix makes is not its entry's headword, save the adverb an adjective makes
// (быстро, of быстрый; чешски, of чешский; блестяще, of блестящий). An entry written with a
// capital (Берлин, Маяковский) is a proper name, a noun, and its forms are the name's: Hunspell
// stems a word with its first letter capitalised to find both kinds of entries.

#include "phonetics/headwords.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <unordered_map>
#include <vector>

#include <hunspell/hunspell.h>
#include <sys/stat.h>
#include <unistd.h>

#include "phonetics/shared_library.h"
#include "wordstore/encoding.h"
#include "wordstore/letters.h"

namespace {

// Lowercase Windows-1251 with ё as е, so that "Москва" or "ещё" count as the word itself.
std::string Folded(std::string word)
{
    LowerCyr(word);
    return word;
}

std::string FileVersion(const std::string& path)
{
    struct stat info = {};
    if (stat(path.c_str(), &info) != 0) {
        return "none";
    }
    return std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec);
}

// Hunspell's functions, from the library loaded by the first handle: only the searches that read
// word classes need it.
struct THunspell
{
    TSharedLibrary Library{"libhunspell-1.7.so.0", "Hunspell", "libhunspell-1.7-0"};
    decltype(&Hunspell_create) Create =
        Library.Function<decltype(Hunspell_create)>("Hunspell_create");
    decltype(&Hunspell_destroy) Destroy =
        Library.Function<decltype(Hunspell_destroy)>("Hunspell_destroy");
    decltype(&Hunspell_spell) Spell = Library.Function<decltype(Hunspell_spell)>("Hunspell_spell");
    decltype(&Hunspell_stem) Stem = Library.Function<decltype(Hunspell_stem)>("Hunspell_stem");
    decltype(&Hunspell_free_list) FreeList =
        Library.Function<decltype(Hunspell_free_list)>("Hunspell_free_list");
};

// Loaded once for the process; a load that throws is tried again by the next handle.
const THunspell& Hunspell()
{
    static const THunspell hunspell;
    return hunspell;
}

bool EndsWith(std::string_view text, std::string_view end)
{
    return text.size() > end.size() && text.substr(text.size() - end.size()) == end;
}

bool EndsWithAny(std::string_view text, std::initializer_list<std::string_view> ends)
{
    for (const std::string_view end : ends) {
        if (EndsWith(text, end)) {
            return true;
        }
    }
    return false;
}

bool HasAny(std::string_view flags, std::string_view of)
{
    return flags.find_first_of(of) != std::string_view::npos;
}

// text less its ending end, which it has, plus with.
std::string Swapped(std::string_view text, std::string_view end, std::string_view with)
{
    return std::string(text.substr(0, text.size() - end.size())) + std::string(with);
}

// The affix classes of hunspell-ru that conjugate, that make adjectives' forms, and that decline.
constexpr std::string_view kVerbFlags = "BDLMPQRTUVWY";
constexpr std::string_view kNounFlags = "EFGHIJKNO";
// Those that decline a singular: O declines plurals alone.
constexpr std::string_view kSingularNounFlags = "EFGHIJKN";

// The cases of the personal pronouns other than their own (я, ты, он, она, оно, мы, вы, они and
// себя), of кто and никто (ничего, ничем and ничему of ничто: ничего alone is also an adverb),
// and of the numerals два, три, четыре and оба, which the dictionary lists as words without
// flags like any unchanging word; его, её and их, which are also possessives that do not change,
// are not among them.
constexpr std::string_view kClosedClassCases[] = {
    "меня",     "мне",    "мной",   "мною",  "тебя",   "тебе",    "тобой",   "тобою",   "себе",
    "собой",    "собою",  "ему",    "нему",  "него",   "ним",     "нём",     "нем",     "ей",
    "ней",      "ею",     "нею",    "неё",   "нее",    "им",      "ими",     "ними",    "них",
    "нас",      "нам",    "нами",   "вас",   "вам",    "вами",    "двух",    "двум",    "двумя",
    "трех",     "трёх",   "трем",   "трём",  "тремя",  "четырех", "четырёх", "четырем", "четырём",
    "четырьмя", "обоих",  "обеих",  "обоим", "обеим",  "обоими",  "обеими",  "кого",    "кому",
    "кем",      "никого", "никому", "никем", "ничему", "ничем"};

// Whether word is a case or gender of мой, твой, свой or сей other than their own.
bool IsPossessiveCase(std::string_view word)
{
    for (const std::string_view stem : {"мо", "тво", "сво"}) {
        for (const std::string_view end :
             {"я", "ё", "е", "и", "ю", "его", "ей", "ему", "им", "ими", "их"}) {
            if (word.size() == stem.size() + end.size() && word.starts_with(stem) &&
                word.ends_with(end)) {
                return true;
            }
        }
    }
    for (const std::string_view form :
         {"сего", "сему", "сим", "сими", "сих", "сию", "сие", "сия"}) {
        if (word == form) {
            return true;
        }
    }
    return false;
}

// Whether word, a noun's genitive plural that the dictionary lists as a word of its own, has its
// singular listed: минут of минута, колес of колесо, and with the vowel that the plural puts
// between the last two consonants dropped, кукол of кукла, колец of кольцо.
bool IsListedGenitivePlural(const std::function<bool(const std::string&)>& isNoun,
                            std::string_view word)
{
    if (word.size() < 8 ||
        EndsWithAny(word, {"а", "е", "ё", "и", "о", "у", "ы", "э", "ю", "я", "й", "ь"})) {
        return false;
    }
    const std::string whole(word);
    const std::string last(word.substr(word.size() - 2));
    std::vector<std::string> stems = {whole};
    if (EndsWithAny(word.substr(0, word.size() - 2), {"е", "о", "ё"})) {
        const std::string head(word.substr(0, word.size() - 4));
        stems.push_back(head + last);
        stems.push_back(head + "ь" + last);
    }
    for (const std::string& stem : stems) {
        for (const std::string_view end : {"а", "о", "я"}) {
            if (isNoun(stem + std::string(end))) {
                return true;
            }
        }
    }
    return false;
}

// Whether end is a case ending of nouns alone: of the plural but its nominative, or -ом.
bool IsNounCase(std::string_view end)
{
    for (const std::string_view noun : {"ами", "ями", "ам", "ям", "ах", "ях", "ов", "ев", "ом"}) {
        if (end == noun) {
            return true;
        }
    }
    return false;
}

bool IsInfinitive(std::string_view word)
{
    return EndsWithAny(word, {"ть", "ться", "сти", "зти", "йти", "тись", "чь", "чься"});
}

bool HasAdjectiveEnding(std::string_view word)
{
    return EndsWithAny(word, {"ый", "ий", "ой", "ыйся", "ийся"});
}

// The parts of speech of some readings, and those of them the word is the headword of.
struct TReadings
{
    std::uint16_t Bits = 0;
    void Add(TPartOfSpeech part, bool headword)
    {
        Bits |= TWordClass::Part(part);
        if (headword) {
            Bits |= TWordClass::Headword(part);
        }
    }
    bool Has(TPartOfSpeech part) const { return (Bits & TWordClass::Part(part)) != 0; }
};

}  // namespace

struct THeadwordTest::THandle
{
    const THunspell& Functions = Hunspell();
    Hunhandle* Handle = nullptr;
    // Each entry of the dictionary (UTF-8, as written there) with the flags of all its lines.
    std::unordered_map<std::string, std::string> Entries;

    ~THandle() { Functions.Destroy(Handle); }

    void ReadEntries(const std::string& dic)
    {
        std::ifstream in(dic);
        std::string line;
        std::getline(in, line);  // the number of entries
        while (std::getline(in, line)) {
            const std::size_t slash = line.find('/');
            std::string& flags = Entries[line.substr(0, slash)];
            if (slash != std::string::npos) {
                flags += line.substr(slash + 1);
            }
        }
    }

    bool Knows(const std::string& word) const { return Functions.Spell(Handle, word.c_str()) != 0; }
    // Whether Hunspell knows stem with one of ends, each followed by tail.
    bool KnowsAny(std::string_view stem, std::initializer_list<std::string_view> ends,
                  std::string_view tail = "") const
    {
        for (const std::string_view end : ends) {
            if (Knows(std::string(stem) + std::string(end) + std::string(tail))) {
                return true;
            }
        }
        return false;
    }

    std::vector<std::string> Stems(const std::string& word) const
    {
        char** stems = nullptr;
        const int count = Functions.Stem(Handle, &stems, word.c_str());
        std::vector<std::string> found(stems, stems + std::max(count, 0));
        Functions.FreeList(Handle, &stems, count);
        return found;
    }

    const std::string& FlagsOf(const std::string& entry) const
    {
        static const std::string none;
        const auto found = Entries.find(entry);
        return found == Entries.end() ? none : found->second;
    }

    // Whether some reading of word (UTF-8, small letters) is a verb form, participles aside.
    bool IsVerbForm(const std::string& word) const
    {
        for (const std::string& stem : Stems(word)) {
            if (EntryReadings(stem, FlagsOf(stem), false).Has(TPartOfSpeech::Verb)) {
                return true;
            }
        }
        return false;
    }

    // Whether an entry with an adjective's endings is a participle: its suffix follows the stem
    // of a verb form Hunspell knows (читающий of читают, читаемый of читаем, читавший of читать,
    // выросший of вырос, сделанный of сделать, построенный of построить, убитый of убить).
    bool IsParticiple(std::string_view entry) const
    {
        const bool reflexive = EndsWith(entry, "ся");
        const std::string_view word = reflexive ? entry.substr(0, entry.size() - 4) : entry;
        const std::string_view tail = reflexive ? "ся" : "";
        const auto verb = [&](std::string_view end, std::initializer_list<std::string_view> withs) {
            if (!EndsWith(word, end)) {
                return false;
            }
            for (const std::string_view with : withs) {
                if (IsVerbForm(Swapped(word, end, with) + std::string(tail))) {
                    return true;
                }
            }
            return false;
        };
        return verb("щий", {"т"}) || verb("вший", {"ть"}) || verb("ший", {""}) ||
               verb("мый", {"м"}) || verb("анный", {"ать"}) || verb("янный", {"ять"}) ||
               verb("енный", {"ить", "еть", "ти"}) || verb("ённый", {"ить", "ти"}) ||
               verb("тый", {"ть"});
    }

    // The readings of entry (UTF-8, small letters) whose flags are flags; participles are told
    // from adjectives when deep. alone tells that the word has no other entry to come from.
    TReadings EntryReadings(std::string_view entry, std::string_view flags, bool deep,
                            bool alone = false) const
    {
        TReadings readings;
        if (flags.empty()) {
            return FlaglessReadings(entry, alone);
        }
        // An imperative whose verb Hunspell does not know is an unchanging word listed as one
        // (при/B).
        if (flags == "B" && entry.size() <= 6 && EndsWith(entry, "и") &&
            !KnowsAny(entry.substr(0, entry.size() - 2), {"ить", "ать", "ять", "еть", "ти"})) {
            readings.Add(TPartOfSpeech::Other, true);
        } else if (HasAny(flags, kVerbFlags)) {
            readings.Add(TPartOfSpeech::Verb, IsInfinitive(entry));
        }
        if (HasAny(flags, "A")) {
            const bool headword = HasAdjectiveEnding(entry);
            if (headword && deep && IsParticiple(entry)) {
                readings.Add(TPartOfSpeech::Participle, true);
                if (HasAny(flags, "EZ")) {
                    readings.Add(TPartOfSpeech::Adjective, true);
                }
            } else {
                readings.Add(TPartOfSpeech::Adjective, headword);
            }
        } else if (HasAny(flags, kNounFlags)) {
            readings.Add(TPartOfSpeech::Noun,
                         flags.find_first_not_of('O') != std::string_view::npos ||
                             !IsPluralOfListedNoun(entry));
        }
        return readings;
    }

    // Whether stem with one of ends is an entry of the dictionary whose flags have one of of
    // ("" for an entry without flags).
    bool HasEntry(std::string_view stem, std::initializer_list<std::string_view> ends,
                  std::string_view of, std::string_view tail = "") const
    {
        for (const std::string_view end : ends) {
            const auto found =
                Entries.find(std::string(stem) + std::string(end) + std::string(tail));
            if (found != Entries.end() &&
                (of.empty() ? found->second.empty() : HasAny(found->second, of))) {
                return true;
            }
        }
        return false;
    }

    // Whether entry, listed with the plural declension only (O), is the plural of a noun the
    // dictionary lists (пчелы of пчела, послы of посол) rather than a noun used in the plural
    // only (ножницы, Черновцы).
    bool IsPluralOfListedNoun(std::string_view entry) const
    {
        if (!EndsWithAny(entry, {"ы", "и", "а", "я"}) || entry.size() < 6) {
            return false;
        }
        // The singular as listed: пчёлы of пчела.
        std::string base = ToUtf8(Folded(ToCp1251Lossy(entry.substr(0, entry.size() - 2))));
        if (HasEntry(base, {"", "а", "я", "о", "е", "ь", "й"}, kNounFlags)) {
            return true;
        }
        // A vowel that drops out of the plural: посол, послы.
        const std::string head = base.substr(0, base.size() - 2);
        const std::string last = base.substr(base.size() - 2);
        for (const std::string_view vowel : {"о", "е", "ё"}) {
            if (HasEntry(head + std::string(vowel) + last, {"", "ь"}, kNounFlags)) {
                return true;
            }
        }
        return false;
    }

    // Whether word, the only entry it comes from, is a case of a noun that the affixes cannot
    // make and the dictionary lists as a word of its own (посла, послу): three more
    // cases of its stem are known, one of them a noun's alone. A word that also comes from another
    // entry is listed for a reading of its own (потом, beside пот).
    bool IsListedCase(std::string_view word) const
    {
        static constexpr std::string_view kCases[] = {"ами", "ями", "ам", "ям", "ах", "ях", "ов",
                                                      "ев",  "ей",  "ом", "ем", "ой", "а",  "я",
                                                      "у",   "ю",   "е",  "ы",  "и"};
        for (const std::string_view end : kCases) {
            if (!EndsWith(word, end)) {
                continue;
            }
            // A stem of one letter only for the cases no adjective or short word ends in: сном
            // of сон, but not бра.
            const std::string base = Swapped(word, end, "");
            if (base.size() < (IsNounCase(end) ? 4U : 6U)) {
                return false;
            }
            int others = 0;
            bool nominal = false;  // a plural case or the instrumental, which no adjective has
            for (const std::string_view other : kCases) {
                if (other != end && Knows(base + std::string(other))) {
                    ++others;
                    nominal = nominal || IsNounCase(other);
                }
            }
            return others >= 3 && nominal;
        }
        return false;
    }

    // Whether word is a case of a pronoun declined as an adjective, which the dictionary lists
    // without flags (вашим, of ваш): the pronoun is listed so, and three more of its cases are
    // known.
    bool IsPronounCase(std::string_view word) const
    {
        static constexpr std::string_view kCases[] = {"ими", "его", "ему", "ого", "ому", "им", "их",
                                                      "ой",  "ую",  "ая",  "ее",  "ое",  "ие", "ые",
                                                      "ей",  "ым",  "ых",  "ем",  "ом"};
        for (const std::string_view end : kCases) {
            if (!EndsWith(word, end)) {
                continue;
            }
            const std::string base = Swapped(word, end, "");
            int others = 0;
            for (const std::string_view other : kCases) {
                others += other != end && Knows(base + std::string(other)) ? 1 : 0;
            }
            return base.size() >= 6 && HasEntry(base, {""}, "") && others >= 3;
        }
        return false;
    }

    // The reading of an entry without flags, by its ending: a verb form when a form of the same
    // verb with another ending is known too (хочет and хочешь; пошла with пошли and пошло), the
    // plural case of a noun by the plural endings, a short adjective or an adverb of an adjective
    // the dictionary lists, and else a word that does not change.
    TReadings FlaglessReadings(std::string_view word, bool alone) const
    {
        TReadings readings;
        if (IsInfinitive(word)) {
            readings.Add(TPartOfSpeech::Verb, true);
            return readings;
        }
        if (std::find(std::begin(kClosedClassCases), std::end(kClosedClassCases), word) !=
                std::end(kClosedClassCases) ||
            IsPossessiveCase(word)) {
            readings.Add(TPartOfSpeech::Other, false);
            return readings;
        }
        bool verb = EndsWithAny(word, {"шь", "шься", "вшись", "вши", "ясь", "ась"});
        for (const std::string_view end :
             {"етесь", "ётесь", "итесь", "ется", "ётся", "ится", "утся", "ются",
              "атся",  "ятся",  "емся",  "ёмся", "имся", "усь",  "юсь",  "ете",
              "ёте",   "ите",   "ет",    "ёт",   "ит",   "ут",   "ют",   "ат",
              "ят",    "ем",    "ём",    "им",   "у",    "ю",    "а",    "я"}) {
            if (!verb && EndsWith(word, end)) {
                // The second person known too; after a one-letter ending, listed beside the
                // word (a verb whose forms the affixes cannot make has them all listed), as
                // сразу or для would find сразишь and длишь among the forms of other verbs.
                const std::string_view tail = EndsWithAny(end, {"сь", "ся"}) ? "ся" : "";
                const std::string stem = Swapped(word, end, "");
                verb = end.size() >= 4 ? KnowsAny(stem, {"ешь", "ёшь", "ишь"}, tail)
                                       : HasEntry(stem, {"ешь", "ёшь", "ишь"}, "", tail);
                break;
            }
        }
        // The past: two of -л, -ла, -ло, -ли known beside the word.
        for (const std::string_view end : {"л", "ла", "ло", "ли", "ёл", "ел"}) {
            if (!verb && EndsWith(word, end)) {
                const std::string stem = Swapped(word, end, "");
                int others = 0;
                for (const std::string_view other : {"ла", "ло", "ли"}) {
                    others += other != end && Knows(stem + std::string(other)) ? 1 : 0;
                }
                verb = others >= 2;
            }
        }
        // The past of a verb without -л: нёс, понёс, as понесла and понесли are.
        verb = verb || (EndsWithAny(word, {"с", "з", "к", "г", "р"}) && KnowsAny(word, {"ла"}) &&
                        KnowsAny(word, {"ли"}));
        // The forms of -чь verbs, whose consonant changes: текут with течет, лгут with лжешь.
        for (const auto& [end, with] :
             {std::pair<std::string_view, std::string_view>{"кут", "чешь"},
              {"кут", "чет"},
              {"кут", "чёт"},
              {"гут", "жет"},
              {"гут", "жёт"},
              {"гут", "жешь"},
              {"ку", "чешь"},
              {"гу", "жешь"}}) {
            verb = verb || (EndsWith(word, end) && Knows(Swapped(word, end, with)));
        }
        const std::string_view lessLast = word.substr(0, word.size() - 2);
        if (verb) {
            readings.Add(TPartOfSpeech::Verb, false);
        } else if (alone && (IsListedCase(word) || IsListedGenitivePlural(
                                                       [this](const std::string& noun) {
                                                           return HasEntry(noun, {""},
                                                                           kSingularNounFlags);
                                                       },
                                                       word))) {
            readings.Add(TPartOfSpeech::Noun, false);
        } else if (alone && IsPronounCase(word)) {
            readings.Add(TPartOfSpeech::Other, false);
        } else if (EndsWithAny(word, {"ами", "ями", "ах", "ях"}) ||
                   (word.size() >= 12 && EndsWithAny(word, {"ов", "ев"}))) {
            readings.Add(TPartOfSpeech::Noun, false);
        } else if (EndsWithAny(word, {"о", "е"}) && HasEntry(lessLast, {"ый", "ий", "ой"}, "A")) {
            readings.Add(TPartOfSpeech::Adverb, true);
        } else if (EndsWithAny(word, {"ски", "цки"})) {
            readings.Add(TPartOfSpeech::Adverb, true);
        } else if ((word.size() >= 6 && HasEntry(word, {"ый", "ий", "ой"}, "A")) ||
                   (EndsWithAny(word, {"ен", "ён"}) &&
                    HasEntry(word.substr(0, word.size() - 4), {"ный", "ьный"}, "A")) ||
                   (word.size() >= 8 && EndsWithAny(word, {"а", "я", "ы", "и"}) &&
                    HasEntry(lessLast, {"ый", "ий", "ой"}, "A"))) {
            readings.Add(TPartOfSpeech::Adjective, false);
        } else {
            readings.Add(TPartOfSpeech::Other, true);
        }
        return readings;
    }
};

std::optional<TPartOfSpeech> PartOfSpeechNamed(std::string_view name)
{
    constexpr std::string_view names[kPartsOfSpeech] = {"noun",       "adj", "verb",
                                                        "participle", "adv", "other"};
    for (int part = 0; part < kPartsOfSpeech; ++part) {
        if (name == names[part]) {
            return static_cast<TPartOfSpeech>(part);
        }
    }
    return std::nullopt;
}

THeadwordTest::THeadwordTest(const std::string& aff, const std::string& dic)
{
    if (access(aff.c_str(), R_OK) != 0 || access(dic.c_str(), R_OK) != 0) {
        return;
    }
    m_handle = std::make_unique<THandle>();
    m_handle->Handle = m_handle->Functions.Create(aff.c_str(), dic.c_str());
    m_handle->ReadEntries(dic);
}

THeadwordTest::~THeadwordTest() = default;

std::uint16_t THeadwordTest::Classes(std::string_view word)
{
    if (!m_handle || word.empty()) {
        return 0;
    }
    std::string capitalised = LowerKeepingYo(std::string(word));
    capitalised[0] = UpperLetter(capitalised[0]);
    // A capitalised word finds the entries of both cases: стали finds сталь and стать, берлина
    // finds Берлин.
    const std::vector<std::string> stems = m_handle->Stems(ToUtf8(capitalised));
    if (stems.empty()) {
        return 0;
    }
    const std::string folded = Folded(std::string(word));
    TReadings readings;
    TReadings names;
    bool common = false;
    for (const std::string& stem : stems) {
        const std::string entry = ToCp1251Lossy(stem);
        const bool same = Folded(entry) == folded;
        if (entry.empty()) {
            continue;
        }
        if (LowerLetter(entry[0]) != entry[0]) {
            // A name's case listed as a word of its own (Петру) is no headword either.
            const std::string& flags = m_handle->FlagsOf(stem);
            names.Add(TPartOfSpeech::Noun, same && (!flags.empty() || stems.size() > 1 ||
                                                    !m_handle->IsListedCase(stem)));
            continue;
        }
        common = true;
        const TReadings of =
            m_handle->EntryReadings(stem, m_handle->FlagsOf(stem), true, stems.size() == 1);
        if (same) {
            readings.Bits |= of.Bits;
            continue;
        }
        readings.Bits |= of.Bits & TWordClass::kParts;
        // The adverb an adjective makes: быстро, блестяще, чешски.
        const std::string foldedStem = ToUtf8(Folded(entry));
        const std::string foldedWord = ToUtf8(folded);
        if ((of.Has(TPartOfSpeech::Adjective) || of.Has(TPartOfSpeech::Participle)) &&
            HasAdjectiveEnding(foldedStem)) {
            const std::string base = foldedStem.substr(0, foldedStem.size() - 4);
            if (foldedWord == base + "о" || foldedWord == base + "е" ||
                (foldedWord == base + "и" && EndsWithAny(foldedStem, {"ский", "цкий"}))) {
                readings.Add(TPartOfSpeech::Adverb, true);
            }
        }
    }
    readings.Bits |= TWordClass::kKnown;
    // A word that is also a common word's form is a dictionary form by its common readings
    // alone (пашей, of паша, is no headword for the name Пашей), so that --no-names keeps only
    // common dictionary forms.
    if (common) {
        readings.Bits |= names.Bits & TWordClass::kParts;
    } else {
        readings.Bits |= names.Bits | TWordClass::kName;
    }
    return readings.Bits;
}

std::string HeadwordDataVersion(const std::string& aff, const std::string& dic)
{
    return FileVersion(aff) + " " + FileVersion(dic);
}
