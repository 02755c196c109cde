// The commands of slovosito-cli: their options with what each does, and the texts around the
// option lists.

#include "cli/commands.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "phonetics/headwords.h"

namespace {

// Effects of the common kinds: a flag sets its field, a value is kept as typed.
template <bool TSearchArgs::*field>
void SearchFlag(TCliArgs& args, const std::string&)
{
    args.Search.*field = true;
}

template <bool TBuildOptions::*field>
void BuildFlag(TCliArgs& args, const std::string&)
{
    args.MakeDict.Build.*field = true;
}

void SetDir(TCliArgs& args, const std::string& value)
{
    args.Dir = value;
}

void SetHelp(TCliArgs& args, const std::string&)
{
    args.Help = true;
}

// The value of --time-limit: a whole number of seconds, 0 for no limit.
void SetTimeLimit(TCliArgs& args, const std::string& value)
{
    std::uint32_t seconds = 0;
    const char* const end = value.data() + value.size();
    const auto [last, error] = std::from_chars(value.data(), end, seconds);
    if (value.empty() || error != std::errc() || last != end) {
        throw EUsageError("bad time limit \"" + value + "\" (whole seconds, 0 for none)");
    }
    args.Search.TimeLimit = std::chrono::seconds(seconds);
}

void SetTableFormat(TCliArgs& args, const std::string& value)
{
    if (value == "text") {
        args.Search.Format = TTableFormat::Text;
    } else if (value == "tsv") {
        args.Search.Format = TTableFormat::Tsv;
    } else if (value == "csv") {
        args.Search.Format = TTableFormat::Csv;
    } else {
        throw EUsageError("bad format \"" + value + "\" (text, tsv or csv)");
    }
}

// The value of --order: frequency (the default), alpha (as --alpha) or length.
void SetOrder(TCliArgs& args, const std::string& value)
{
    if (value != "frequency" && value != "alpha" && value != "length") {
        throw EUsageError("bad order \"" + value + "\" (frequency, alpha or length)");
    }
    args.Search.Alpha = value == "alpha";
    args.Search.ByLength = value == "length";
}

// The value of --pos: parts of speech, comma-separated, added to those of an earlier --pos.
void AddPartsOfSpeech(TCliArgs& args, const std::string& value)
{
    std::size_t from = 0;
    do {
        const std::size_t comma = std::min(value.find(',', from), value.size());
        const std::string name = value.substr(from, comma - from);
        const std::optional<TPartOfSpeech> part = PartOfSpeechNamed(name);
        if (!part) {
            throw EUsageError("bad part of speech \"" + name +
                              "\" (noun, adj, verb, participle, adv or other)");
        }
        args.Search.Parts |= TWordClass::Part(*part);
        from = comma + 1;
    } while (from <= value.size());
}

// The value of --length or --syllables, what names the option in a message.
TCountRange CountRangeOf(const std::string& value, const char* what)
{
    const std::optional<TCountRange> range = ParseCountRange(value);
    if (!range) {
        throw EUsageError(std::string("bad ") + what + " \"" + value + "\" (N, N-M, N- or -M)");
    }
    return *range;
}

// --from-list and --from-text: the one given twice is no mistake, both are.
template <TInputFormat format>
void SetInputFormat(TCliArgs& args, const std::string&)
{
    std::optional<TInputFormat>& chosen = args.MakeDict.Format;
    if (chosen && *chosen != format) {
        throw EUsageError("give only one of --from-list and --from-text");
    }
    chosen = format;
}

void SetEncoding(TCliArgs& args, const std::string& value)
{
    std::string encoding = value;
    std::transform(encoding.begin(), encoding.end(), encoding.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; });
    TInputEncoding& chosen = args.MakeDict.Build.Encoding;
    if (encoding == "utf-8" || encoding == "utf8") {
        chosen = TInputEncoding::Utf8;
    } else if (encoding == "cp1251" || encoding == "windows-1251") {
        chosen = TInputEncoding::Cp1251;
    } else if (encoding == "auto") {
        chosen = TInputEncoding::Auto;
    } else {
        throw EUsageError("unknown encoding \"" + encoding + "\" (utf-8, cp1251 or auto)");
    }
}

// An option without a help entry (--dir, check's --help) is told of by the synopsis and the
// description only, as the option lists have always been.
const TOptionSpec kSearchOptions[] = {
    {"--dir", "DIR", nullptr, SetDir},
    {"--list", nullptr, "list the dictionaries as \"name (N слов)\", one per line",
     SearchFlag<&TSearchArgs::List>},
    {"--verbose", nullptr,
     "with --list, first print the dictionary folder in use and why it is the one",
     SearchFlag<&TSearchArgs::Verbose>, "-v"},
    {"--dict", "NAME",
     "search the dictionary NAME (repeatable); without --dict and --all the first dictionary is "
     "searched",
     [](TCliArgs& args, const std::string& value) { args.Search.Dicts.push_back(value); }},
    {"--all", nullptr, "search every dictionary", SearchFlag<&TSearchArgs::All>},
    {"--alpha", nullptr, "list alphabetically, each word once", SearchFlag<&TSearchArgs::Alpha>},
    {"--order", "ORDER",
     "frequency (the default: the most frequent first), alpha (as --alpha) or length (the "
     "longest first, words of one length by frequency)",
     SetOrder},
    {"--ipm", nullptr, "follow each word with \" = \" and its instances per million",
     SearchFlag<&TSearchArgs::Ipm>},
    {"--min", "TEXT",
     "the minimum instances per million, with a decimal comma or point (default 0,0)",
     [](TCliArgs& args, const std::string& value) { args.Search.Min = value; }},
    {"--raw", nullptr, "print the listing as Windows-1251 with CR LF between lines",
     SearchFlag<&TSearchArgs::Raw>},
    {"--format", "FORMAT",
     "text (the listing, the default), tsv (a header, then word, ipm, count and dictionary, "
     "tab-separated, with a decimal comma) or csv (the same columns as RFC 4180 with a decimal "
     "point); a word or name that starts with = + - or @ gets a ' before it, so that a "
     "spreadsheet takes it as text, not as a formula, and tsv writes a control character as "
     "\\xNN and a backslash in a word as \\\\, as names are spelled",
     SetTableFormat},
    {"--compare", nullptr,
     "with two or more dictionaries, one row per word and its ipm in each dictionary: \"word = "
     "ipm1 | ipm2\" (\"-\" where absent), or with --format a header naming the dictionaries "
     "and empty fields where absent; by the largest ipm, which --min applies to",
     SearchFlag<&TSearchArgs::Compare>},
    {"--time-limit", "SECONDS",
     "stop a search that runs longer with an error, with --compare counting the making of its "
     "table (default 10; 0 for none)",
     SetTimeLimit},
    {"--length", "RANGE",
     "list only words of RANGE characters, a hyphen counting as one; RANGE is N, N-M, N- (N or "
     "more) or -M (at most M)",
     [](TCliArgs& args, const std::string& value) {
         args.Search.Filter.Length = CountRangeOf(value, "length");
     }},
    {"--syllables", "RANGE",
     "list only words of RANGE syllables, that is vowel letters (а е ё и о у ы э ю я)",
     [](TCliArgs& args, const std::string& value) {
         args.Search.Filter.Syllables = CountRangeOf(value, "syllable count");
     }},
    {"--ending", "Q", "words that end in Q (an empty Q lists every word)", TSearchMode::Ending},
    {"--mask", "Q",
     "words that fit the mask Q: * any letters, ? one letter, @ a vowel, # a consonant, [абв] "
     "one of the letters, [!абв] a letter not among them",
     TSearchMode::Mask},
    {"--regexp", "Q", "words that match /expression/modifiers (modifiers i r s g m x)",
     TSearchMode::Regexp},
    {"--inexact", "Q", "as --mask, also accepting look-alike letters", TSearchMode::Inexact},
    {"--anagram", "LETTERS",
     "words made of exactly these letters, in any order; ? stands for any one letter",
     TSearchMode::Anagram},
    {"--from-letters", "LETTERS",
     "words made of some of these letters, each used at most as often as given; ? stands for "
     "any one letter",
     TSearchMode::FromLetters},
    {"--rhyme", "WORD",
     "words that rhyme with WORD by their stressed vowel and every sound after it, WORD itself "
     "aside; a ' or an acute accent after a vowel of WORD picks the stress (замо'к)",
     TSearchMode::Rhyme},
    {"--near", nullptr,
     "with --rhyme, list the near rhymes too, after the rich and exact ones: one consonant "
     "changed, added or dropped, voiced and voiceless or soft and hard consonants alike, й "
     "dropped (осень: восемь)",
     SearchFlag<&TSearchArgs::Near>},
    {"--stress", nullptr, "mark each listed word's stressed vowel with a ' after it (окно')",
     SearchFlag<&TSearchArgs::Stress>},
    {"--stress-place", "RANGE",
     "list only words stressed on the syllable RANGE from the end: 1 on the last (окно), 2 on "
     "the one before (мама), 3 the third from the end (сладостный); RANGE as for --length",
     [](TCliArgs& args, const std::string& value) {
         args.Search.StressPlace = CountRangeOf(value, "stress place");
     }},
    {"--headwords", nullptr,
     "list only dictionary forms, by Hunspell's Russian dictionary: the nominative singular of "
     "a noun (курс, not курса), the masculine nominative singular of an adjective, the "
     "infinitive of a verb, adverbs and words that do not change; with --pos, dictionary forms "
     "of those parts of speech; words Hunspell does not know are dropped",
     SearchFlag<&TSearchArgs::Headwords>},
    {"--pos", "PARTS",
     "list only words that are, by some reading, one of PARTS: noun, adj, verb, participle, "
     "adv, other (pronouns, numerals, prepositions, conjunctions, particles, interjections), "
     "comma-separated or repeated; gerunds count as verbs",
     AddPartsOfSpeech},
    {"--known", nullptr, "list only words Hunspell's Russian dictionary knows",
     SearchFlag<&TSearchArgs::Known>},
    {"--no-names", nullptr,
     "leave out proper names and their forms (берлина, of Берлин): words Hunspell knows only "
     "capitalised",
     SearchFlag<&TSearchArgs::NoNames>},
    {"--help", nullptr, "show this text", SetHelp, "-h"},
    {"--version", nullptr, "show the version", SearchFlag<&TSearchArgs::Version>},
};

const TOptionSpec kMakeDictOptions[] = {
    {"--dir", "DIR", nullptr, SetDir},
    {"--from-list", nullptr,
     "each line is \"word count\", \"word<TAB>count\" or \"count word\" (the default); blank "
     "lines and lines starting with \"#\" are skipped",
     SetInputFormat<TInputFormat::List>},
    {"--from-text", nullptr,
     "count the words of running text: Cyrillic or Latin letters, with single hyphens inside "
     "(\"кто-то\")",
     SetInputFormat<TInputFormat::Text>},
    {"--encoding", "E",
     "the files are utf-8 (the default), cp1251 (Windows-1251; a file that reads as UTF-8 with "
     "Cyrillic letters is refused) or auto: each file is read as UTF-8 when its first megabyte "
     "that holds a byte beyond ASCII is valid UTF-8, else as Windows-1251, and the summary "
     "says which",
     SetEncoding},
    {"--lower", nullptr, "fold letter case first (Ё becomes ё)", BuildFlag<&TBuildOptions::Lower>},
    {"--keep-order", nullptr,
     "keep the order of first occurrence instead of the largest count first",
     BuildFlag<&TBuildOptions::KeepOrder>},
    {"--force", nullptr, "replace the dictionary NAME when it exists",
     [](TCliArgs& args, const std::string&) { args.MakeDict.Force = true; }},
    {"--help", nullptr, "show this text", SetHelp, "-h"},
};

const TOptionSpec kCheckOptions[] = {
    {"--dir", "DIR", nullptr, SetDir},
    {"--help", nullptr, nullptr, SetHelp, "-h"},
};

constexpr const char* kSearchSynopsis =
    "Usage: slovosito-cli [--dir DIR] --list [--verbose]\n"
    "       slovosito-cli [--dir DIR] [--dict NAME]... [--all] [--alpha] [--order ORDER]\n"
    "                     [--ipm] [--min TEXT] [--raw] [--format text|tsv|csv] [--compare]\n"
    "                     [--time-limit SECONDS] [--length RANGE] [--syllables RANGE]\n"
    "                     [--stress-place RANGE] [--near] [--stress]\n"
    "                     [--headwords] [--pos PARTS]... [--known] [--no-names]\n"
    "                     (--ending | --mask | --regexp | --inexact |\n"
    "                      --anagram | --from-letters | --rhyme) QUERY\n"
    "       slovosito-cli make-dict [--dir DIR] [--from-list | --from-text]\n"
    "                     [--encoding utf-8|cp1251|auto] [--lower] [--keep-order] [--force]\n"
    "                     NAME FILE...\n"
    "       slovosito-cli check [--dir DIR]\n";

constexpr const char* kSearchAbout =
    "Finds Russian words in the frequency dictionaries of the dictionary folder and lists them\n"
    "by frequency, largest first. The folder is DIR, else \"Словари\" beside the program, else\n"
    "the user's $XDG_DATA_HOME/slovosito/Словари (~/.local/share/slovosito/Словари), made with\n"
    "a copy of the installed sample on first use; --list --verbose tells which.\n"
    "\n"
    "--rhyme lists the rich rhymes first (alike from the consonant before the stressed\n"
    "vowel: устал, пьедестал), then the exact ones, then with --near the near ones; each tier\n"
    "in the order asked for, and --format tsv or csv gives a column \"tier\" for it.\n"
    "\n"
    "--rhyme, --stress, --stress-place, --headwords, --pos, --known and --no-names read an\n"
    "index of each dictionary's stresses (espeak-ng) and word classes (Hunspell), built at\n"
    "their first use and kept in $XDG_CACHE_HOME/slovosito (~/.cache/slovosito); a changed\n"
    "dictionary is indexed anew.\n";

constexpr const char* kSearchEpilogue =
    "make-dict builds the dictionary NAME from frequency lists or texts; check tells why a\n"
    "dictionary of the folder is not listed. See \"slovosito-cli make-dict --help\" and\n"
    "\"slovosito-cli check --help\".\n"
    "\n"
    "Exit status: 0 when words were listed, 1 when none were, 2 on error (make-dict: 0 or 2;\n"
    "check: 0 when every candidate is listed, 1 when one is not).\n";

constexpr const char* kMakeDictSynopsis =
    "Usage: slovosito-cli make-dict [--dir DIR] [--from-list | --from-text]\n"
    "                               [--encoding utf-8|cp1251|auto] [--lower] [--keep-order]\n"
    "                               [--force] NAME FILE...\n";

constexpr const char* kMakeDictAbout =
    "Makes the dictionary NAME from frequency lists or texts: writes NAME.txt and NAME.txt.cnt\n"
    "into the dictionary folder, chosen as for a search (DIR, else \"Словари\" beside the\n"
    "program, else the user's folder). A FILE \"-\" is the standard input.\n";

constexpr const char* kMakeDictEpilogue =
    "Words without a Windows-1251 form are dropped and reported; the same word given twice has\n"
    "its counts added. Exit status: 0 when the dictionary was written, 2 on error (nothing is\n"
    "written then).\n";

constexpr const char* kCheckAbout =
    "Tells for each file whose name ends in \".txt\" in the dictionary folder (chosen as for a\n"
    "search), in the order they are loaded, whether it is listed and why not, and notes what is\n"
    "allowed but probably not meant: empty words, a NUL byte, negative counts, a total of 0.\n"
    "Its last line names the rhyme index cache's folder and the room its files take.\n";

}  // namespace

const TCommandSpec kSearchCommand = {
    .Name = "",
    .Synopsis = kSearchSynopsis,
    .About = kSearchAbout,
    .Options = kSearchOptions,
    .Epilogue = kSearchEpilogue,
    .TakesOperands = false,
    .DashDashEndsOptions = false,
};

const TCommandSpec kMakeDictCommand = {
    .Name = "make-dict",
    .Synopsis = kMakeDictSynopsis,
    .About = kMakeDictAbout,
    .Options = kMakeDictOptions,
    .Epilogue = kMakeDictEpilogue,
    .TakesOperands = true,
    .DashDashEndsOptions = true,
};

const TCommandSpec kCheckCommand = {
    .Name = "check",
    .Synopsis = "Usage: slovosito-cli check [--dir DIR]\n",
    .About = kCheckAbout,
    .Options = kCheckOptions,
    .Epilogue = "Exit status: 0 when every file is listed, 1 when one is not, 2 on error.\n",
    .TakesOperands = false,
    .DashDashEndsOptions = true,
};

const TCommandSpec* const kAllCommands[3] = {&kSearchCommand, &kMakeDictCommand, &kCheckCommand};
