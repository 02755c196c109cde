// The commands of slovosito-cli: their options and the texts around the option lists.

#include "cli/commands.h"

namespace {

// An option without a help entry (--dir, check's --help) is told of by the synopsis and the
// description only, as the option lists have always been.
const TOptionSpec kSearchOptions[] = {
    {"--dir", "DIR", nullptr},
    {"--list", nullptr, "list the dictionaries as \"name (N слов)\", one per line"},
    {"--verbose", nullptr,
     "with --list, first print the dictionary folder in use and why it is the one", "-v"},
    {"--dict", "NAME",
     "search the dictionary NAME (repeatable); without --dict and --all the first dictionary is "
     "searched"},
    {"--all", nullptr, "search every dictionary"},
    {"--alpha", nullptr, "list alphabetically, each word once"},
    {"--ipm", nullptr, "follow each word with \" = \" and its instances per million"},
    {"--min", "TEXT",
     "the minimum instances per million, with a decimal comma or point (default 0,0)"},
    {"--raw", nullptr, "print the listing as Windows-1251 with CR LF between lines"},
    {"--format", "FORMAT",
     "text (the listing, the default), tsv (a header, then word, ipm, count and dictionary, "
     "tab-separated, with a decimal comma) or csv (the same columns as RFC 4180 with a decimal "
     "point); a word or name that starts with = + - or @ gets a ' before it, so that a "
     "spreadsheet takes it as text, not as a formula, and tsv writes a control character as "
     "\\xNN and a backslash in a word as \\\\, as names are spelled"},
    {"--compare", nullptr,
     "with two or more dictionaries, one row per word and its ipm in each dictionary: \"word = "
     "ipm1 | ipm2\" (\"-\" where absent), or with --format a header naming the dictionaries "
     "and empty fields where absent; by the largest ipm, which --min applies to"},
    {"--time-limit", "SECONDS",
     "stop a search that runs longer with an error, with --compare counting the making of its "
     "table (default 10; 0 for none)"},
    {"--length", "RANGE",
     "list only words of RANGE characters, a hyphen counting as one; RANGE is N, N-M, N- (N or "
     "more) or -M (at most M)"},
    {"--syllables", "RANGE",
     "list only words of RANGE syllables, that is vowel letters (а е ё и о у ы э ю я)"},
    {"--ending", "Q", "words that end in Q (an empty Q lists every word)"},
    {"--mask", "Q",
     "words that fit the mask Q: * any letters, ? one letter, @ a vowel, # a consonant, [абв] "
     "one of the letters, [!абв] a letter not among them"},
    {"--regexp", "Q", "words that match /expression/modifiers (modifiers i r s g m x)"},
    {"--inexact", "Q", "as --mask, also accepting look-alike letters"},
    {"--anagram", "LETTERS",
     "words made of exactly these letters, in any order; ? stands for any one letter"},
    {"--from-letters", "LETTERS",
     "words made of some of these letters, each used at most as often as given; ? stands for "
     "any one letter"},
    {"--rhyme", "WORD",
     "words that rhyme with WORD by their stressed vowel and every sound after it, WORD itself "
     "aside; a ' or an acute accent after a vowel of WORD picks the stress (замо'к)"},
    {"--headwords", nullptr,
     "list only dictionary forms: words that are their own stem in Hunspell's Russian "
     "dictionary (курс, not курса); words Hunspell does not know are kept"},
    {"--help", nullptr, "show this text", "-h"},
    {"--version", nullptr, "show the version"},
};

const TOptionSpec kMakeDictOptions[] = {
    {"--dir", "DIR", nullptr},
    {"--from-list", nullptr,
     "each line is \"word count\", \"word<TAB>count\" or \"count word\" (the default); blank "
     "lines and lines starting with \"#\" are skipped"},
    {"--from-text", nullptr,
     "count the words of running text: Cyrillic or Latin letters, with single hyphens inside "
     "(\"кто-то\")"},
    {"--encoding", "E",
     "the files are utf-8 (the default), cp1251 (Windows-1251; a file that reads as UTF-8 with "
     "Cyrillic letters is refused) or auto: each file is read as UTF-8 when its first megabyte "
     "that holds a byte beyond ASCII is valid UTF-8, else as Windows-1251, and the summary "
     "says which"},
    {"--lower", nullptr, "fold letter case first (Ё becomes ё)"},
    {"--keep-order", nullptr,
     "keep the order of first occurrence instead of the largest count first"},
    {"--force", nullptr, "replace the dictionary NAME when it exists"},
    {"--help", nullptr, "show this text", "-h"},
};

const TOptionSpec kCheckOptions[] = {
    {"--dir", "DIR", nullptr},
    {"--help", nullptr, nullptr, "-h"},
};

constexpr const char* kSearchSynopsis =
    "Usage: slovosito-cli [--dir DIR] --list [--verbose]\n"
    "       slovosito-cli [--dir DIR] [--dict NAME]... [--all] [--alpha] [--ipm] [--min TEXT]\n"
    "                     [--raw] [--format text|tsv|csv] [--compare] [--time-limit SECONDS]\n"
    "                     [--length RANGE] [--syllables RANGE]\n"
    "                     [--headwords] (--ending | --mask | --regexp | --inexact |\n"
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
    "--rhyme and --headwords read an index of each dictionary's stresses (espeak-ng) and\n"
    "dictionary forms (Hunspell), built at their first use and kept in\n"
    "$XDG_CACHE_HOME/slovosito (~/.cache/slovosito); a changed dictionary is indexed anew.\n";

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
