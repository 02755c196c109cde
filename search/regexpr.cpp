// Regular-expression engine: PCRE2 with character tables for Windows-1251, the Russian ranges of
// the r modifier, and compile and match errors turned into the engine's messages.

#include "search/regexpr.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include <pcre2.h>

namespace {

// ---------------------------------------------------------------------------------------------
// Character tables. PCRE2 would build them with pcre2_maketables from the current locale; the
// program must not depend on an installed locale, so the tables are built here from the code page
// in the same 1088-byte layout: to-lower, flip-case, ten class bitmaps, character types.

constexpr std::size_t kToLower = 0;
constexpr std::size_t kFlipCase = 256;
constexpr std::size_t kClassBits = 512;
constexpr std::size_t kCharTypes = 832;
constexpr std::size_t kTablesSize = 1088;

// The class bitmaps inside the class-bits section, 32 bytes each, in PCRE2's order.
constexpr std::size_t kSpaceBits = 0;
constexpr std::size_t kXDigitBits = 32;
constexpr std::size_t kDigitBits = 64;
constexpr std::size_t kUpperBits = 96;
constexpr std::size_t kLowerBits = 128;
constexpr std::size_t kWordBits = 160;
constexpr std::size_t kGraphBits = 192;
constexpr std::size_t kPrintBits = 224;
constexpr std::size_t kPunctBits = 256;
constexpr std::size_t kCntrlBits = 288;

// Character type flags, PCRE2's ctype_* values.
constexpr unsigned kTypeSpace = 0x01;
constexpr unsigned kTypeLetter = 0x02;
constexpr unsigned kTypeLowerLetter = 0x04;
constexpr unsigned kTypeDigit = 0x08;
constexpr unsigned kTypeWord = 0x10;

// The Cyrillic letters of Windows-1251 outside А-Я (0xC0-0xDF) and а-я (0xE0-0xFF), as pairs of
// capital and small letter, by their Unicode case mapping.
constexpr std::pair<unsigned char, unsigned char> kCyrillicCasePairs[] = {
    {0x80, 0x90},  // Ђ ђ
    {0x81, 0x83},  // Ѓ ѓ
    {0x8A, 0x9A},  // Љ љ
    {0x8C, 0x9C},  // Њ њ
    {0x8D, 0x9D},  // Ќ ќ
    {0x8E, 0x9E},  // Ћ ћ
    {0x8F, 0x9F},  // Џ џ
    {0xA1, 0xA2},  // Ў ў
    {0xA3, 0xBC},  // Ј ј
    {0xA5, 0xB4},  // Ґ ґ
    {0xA8, 0xB8},  // Ё ё
    {0xAA, 0xBA},  // Є є
    {0xAF, 0xBF},  // Ї ї
    {0xB2, 0xB3},  // І і
    {0xBD, 0xBE},  // Ѕ ѕ
};

constexpr int kUndefinedByte = 0x98;
constexpr int kNoBreakSpace = 0xA0;

// ASCII is classified as pcre2_maketables does in the "C" locale. Of the upper half, the Cyrillic
// letters are letters (so \w, [:alpha:], [:upper:], [:lower:] and caseless matching know them);
// every other defined byte (quotes, dashes, « », №, §, µ, the soft hyphen...) is punctuation;
// the no-break space is printable but neither graphic nor \s, as in Perl's byte semantics; the
// undefined 0x98 belongs to no class.
constexpr std::array<unsigned char, kTablesSize> BuildCp1251Tables()
{
    std::array<int, 256> lower{};
    std::array<int, 256> upper{};
    for (int c = 0; c < 256; ++c) {
        lower[c] = c;
        upper[c] = c;
    }
    auto addPair = [&](int capital, int small) {
        lower[capital] = small;
        upper[small] = capital;
    };
    for (int k = 0; k < 26; ++k) {
        addPair('A' + k, 'a' + k);
    }
    for (int k = 0; k < 32; ++k) {
        addPair(0xC0 + k, 0xE0 + k);
    }
    for (const auto& [capital, small] : kCyrillicCasePairs) {
        addPair(capital, small);
    }

    std::array<unsigned char, kTablesSize> tables{};
    for (int c = 0; c < 256; ++c) {
        const bool isUpper = lower[c] != c;
        const bool isLower = upper[c] != c;
        const bool isLetter = isUpper || isLower;
        const bool isDigit = c >= '0' && c <= '9';
        const bool isXDigit = isDigit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        const bool isSpace = (c >= 0x09 && c <= 0x0D) || c == ' ';
        const bool isCntrl = c < 0x20 || c == 0x7F;
        const bool isPrint = (c >= 0x20 && c < 0x7F) || (c >= 0x80 && c != kUndefinedByte);
        const bool isGraph = isPrint && c != ' ' && c != kNoBreakSpace;
        const bool isWord = isLetter || isDigit || c == '_';
        const bool isPunct = isGraph && !isLetter && !isDigit;

        tables[kToLower + c] = static_cast<unsigned char>(lower[c]);
        tables[kFlipCase + c] = static_cast<unsigned char>(isUpper ? lower[c] : upper[c]);

        const auto setBit = [&](std::size_t map, bool on) {
            if (on) {
                tables[kClassBits + map + c / 8] |= static_cast<unsigned char>(1u << (c % 8));
            }
        };
        setBit(kSpaceBits, isSpace);
        setBit(kXDigitBits, isXDigit);
        setBit(kDigitBits, isDigit);
        setBit(kUpperBits, isUpper);
        setBit(kLowerBits, isLower);
        setBit(kWordBits, isWord);
        setBit(kGraphBits, isGraph);
        setBit(kPrintBits, isPrint);
        setBit(kPunctBits, isPunct);
        setBit(kCntrlBits, isCntrl);

        tables[kCharTypes + c] =
            static_cast<unsigned char>((isSpace ? kTypeSpace : 0) | (isLetter ? kTypeLetter : 0) |
                                       (isLower ? kTypeLowerLetter : 0) |
                                       (isDigit ? kTypeDigit : 0) | (isWord ? kTypeWord : 0));
    }
    return tables;
}

constexpr std::array<unsigned char, kTablesSize> kCp1251Tables = BuildCp1251Tables();

// ---------------------------------------------------------------------------------------------
// Rewriting the expression before PCRE2 sees it.

// The bytes of the Russian alphabet that the r modifier adds to a range.
constexpr int kCapitalA = 0xC0;        // А
constexpr int kCapitalYa = 0xDF;       // Я
constexpr int kSmallA = 0xE0;          // а
constexpr int kSmallYa = 0xFF;         // я
constexpr char kCapitalYo[] = "\xA8";  // Ё
constexpr char kSmallYo[] = "\xB8";    // ё
// What а-Я stands for under r: all 66 letters. The single letters come first, so that a "-"
// after the range still reads as a literal hyphen.
constexpr char kAllRussianLetters[] = "\xA8\xB8\xC0-\xDF\xE0-\xFF";

// PCRE2 builds [:ascii:] from the printable and control classes, which here hold the upper half
// too; these ranges keep it to what its name says.
constexpr char kAsciiRange[] = "\\x00-\\x7F";
constexpr char kNonAsciiRange[] = "\\x80-\\xFF";

// The expression handed to PCRE2 and, for each of its bytes (and its end), the position in the
// user's expression it comes from, to report compile errors where the user wrote them.
struct TPcreExpression
{
    std::string Text;
    std::vector<std::size_t> SourcePos;
};

// One item of a bracket class: a single character, an escape, or a POSIX class.
struct TClassItem
{
    std::size_t End = 0;  // position after the item
    int Value = -1;       // the byte a single character stands for; -1 for anything else
};

// Copies the expression, changing only the inside of bracket classes: under the r modifier the
// ranges а-я, А-Я (and any range of Cyrillic letters that spans one of them) also take ё or Ё,
// and а-Я becomes all 66 letters; [:ascii:] and [:^ascii:] become byte ranges. The scan follows
// PCRE2's reading of escapes, \Q...\E, POSIX classes, a leading "]", comments, and, with the x
// modifier, "#" comments; an option set inside the expression ("(?x)") is not followed.
class TExpressionRewriter
{
public:
    TExpressionRewriter(const std::string& expression, bool russianRanges, bool extended)
        : m_in(expression)
        , m_russianRanges(russianRanges)
        , m_extended(extended)
    {}

    TPcreExpression Rewrite()
    {
        m_out.Text.reserve(m_in.size() + 16);
        m_out.SourcePos.reserve(m_in.size() + 17);
        while (m_pos < m_in.size()) {
            if (At(m_pos, '\\') && At(m_pos + 1, 'Q')) {
                CopyTo(QuotedEnd(m_pos));
            } else if (At(m_pos, '\\')) {
                CopyTo(ReadEscape(m_pos).End);
            } else if (At(m_pos, '[')) {
                CopyClass();
            } else if (At(m_pos, '(') && At(m_pos + 1, '?') && At(m_pos + 2, '#')) {
                CopyTo(FindOrEnd(")", m_pos + 3, 1));
            } else if (m_extended && At(m_pos, '#')) {
                CopyTo(std::min(m_in.find_first_of("\r\n", m_pos), m_in.size()));
            } else {
                CopyTo(m_pos + 1);
            }
        }
        m_out.SourcePos.push_back(m_in.size());
        return std::move(m_out);
    }

private:
    const std::string& m_in;
    const bool m_russianRanges;
    const bool m_extended;
    std::size_t m_pos = 0;
    TPcreExpression m_out;

    bool At(std::size_t pos, char c) const { return pos < m_in.size() && m_in[pos] == c; }

    int ByteAt(std::size_t pos) const { return static_cast<unsigned char>(m_in[pos]); }

    // The position after the first occurrence of what at or after from, or the end.
    std::size_t FindOrEnd(const char* what, std::size_t from, std::size_t length) const
    {
        const std::size_t found = m_in.find(what, from, length);
        return found == std::string::npos ? m_in.size() : found + length;
    }

    // pos is at "\Q"; the text up to "\E" is literal.
    std::size_t QuotedEnd(std::size_t pos) const { return FindOrEnd("\\E", pos + 2, 2); }

    void CopyTo(std::size_t end)
    {
        for (; m_pos < end; ++m_pos) {
            m_out.Text.push_back(m_in[m_pos]);
            m_out.SourcePos.push_back(m_pos);
        }
    }

    // Adds text that stands in for the user's bytes from sourcePos on.
    void Insert(std::string_view text, std::size_t sourcePos)
    {
        m_out.Text.append(text);
        m_out.SourcePos.insert(m_out.SourcePos.end(), text.size(), sourcePos);
    }

    static int HexDigit(int c)
    {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    }

    static bool IsAsciiAlnum(int c)
    {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    }

    // pos is at a backslash. Decodes the forms that can name a Cyrillic byte (an escaped
    // non-alphanumeric byte, \xHH, \x{HH}, octal \ooo); other escapes get the value -1.
    TClassItem ReadEscape(std::size_t pos) const
    {
        const std::size_t size = m_in.size();
        if (pos + 1 >= size) {
            return {size, -1};
        }
        const int c = ByteAt(pos + 1);
        if (c == 'x') {
            if (At(pos + 2, '{')) {
                const std::size_t close = m_in.find('}', pos + 3);
                if (close == std::string::npos) {
                    return {pos + 2, -1};
                }
                int value = 0;
                for (std::size_t i = pos + 3; i < close; ++i) {
                    const int digit = HexDigit(ByteAt(i));
                    if (digit < 0 || value > 0xFF) {
                        return {close + 1, -1};
                    }
                    value = value * 16 + digit;
                }
                return {close + 1, close > pos + 3 && value <= 0xFF ? value : -1};
            }
            std::size_t end = pos + 2;
            int value = 0;
            while (end < size && end < pos + 4 && HexDigit(ByteAt(end)) >= 0) {
                value = value * 16 + HexDigit(ByteAt(end));
                ++end;
            }
            return {end, value};
        }
        if (c >= '0' && c <= '7') {
            std::size_t end = pos + 1;
            int value = 0;
            while (end < size && end < pos + 4 && ByteAt(end) >= '0' && ByteAt(end) <= '7') {
                value = value * 8 + (ByteAt(end) - '0');
                ++end;
            }
            return {end, value <= 0xFF ? value : -1};
        }
        if (c == 'c') {
            return {std::min(pos + 3, size), -1};
        }
        if (IsAsciiAlnum(c)) {
            // \p{...}, \o{...}, \N{...}, \g{...}: the braces belong to the escape.
            if (At(pos + 2, '{')) {
                return {FindOrEnd("}", pos + 3, 1), -1};
            }
            return {pos + 2, -1};
        }
        return {pos + 2, c};
    }

    // pos is at "[". Returns the position after a POSIX class "[:name:]" ("[.x.]", "[=x=]")
    // starting there, or 0 when there is none, following PCRE2's own test.
    std::size_t PosixClassEnd(std::size_t pos) const
    {
        if (!(At(pos + 1, ':') || At(pos + 1, '.') || At(pos + 1, '='))) {
            return 0;
        }
        const char terminator = m_in[pos + 1];
        for (std::size_t i = pos + 2; i + 1 < m_in.size(); ++i) {
            if (At(i, '\\') && (At(i + 1, ']') || At(i + 1, '\\'))) {
                ++i;
            } else if ((At(i, '[') && At(i + 1, terminator)) || At(i, ']')) {
                return 0;
            } else if (At(i, terminator) && At(i + 1, ']')) {
                return i + 2;
            }
        }
        return 0;
    }

    TClassItem ReadClassItem(std::size_t pos) const
    {
        if (At(pos, '\\')) {
            return ReadEscape(pos);
        }
        if (At(pos, '[')) {
            if (const std::size_t end = PosixClassEnd(pos); end != 0) {
                return {end, -1};
            }
        }
        return {pos + 1, ByteAt(pos)};
    }

    // m_pos is at the "[" that opens a class; copies up to and including its "]".
    void CopyClass()
    {
        CopyTo(m_pos + 1);
        if (At(m_pos, '^')) {
            CopyTo(m_pos + 1);
        }
        if (At(m_pos, ']')) {
            CopyTo(m_pos + 1);
        }
        while (m_pos < m_in.size()) {
            if (At(m_pos, ']')) {
                CopyTo(m_pos + 1);
                return;
            }
            if (At(m_pos, '\\') && At(m_pos + 1, 'Q')) {
                CopyTo(QuotedEnd(m_pos));
                continue;
            }
            const TClassItem first = ReadClassItem(m_pos);
            if (first.Value >= 0 && At(first.End, '-') && first.End + 1 < m_in.size() &&
                !At(first.End + 1, ']')) {
                const TClassItem last = ReadClassItem(first.End + 1);
                if (last.Value >= 0) {
                    AddRange(first.Value, last.Value, last.End);
                } else {
                    // A range up to a class escape or a POSIX class: PCRE2 reports it.
                    CopyTo(last.End);
                }
                continue;
            }
            const std::string_view item(m_in.data() + m_pos, first.End - m_pos);
            if (item == "[:ascii:]" || item == "[:^ascii:]") {
                Insert(item == "[:ascii:]" ? kAsciiRange : kNonAsciiRange, m_pos);
                m_pos = first.End;
                continue;
            }
            CopyTo(first.End);
        }
    }

    // m_pos is at a range from low to high that ends before end.
    void AddRange(int low, int high, std::size_t end)
    {
        if (m_russianRanges && low >= kCapitalA && high >= kCapitalA) {
            if (low == kSmallA && high == kCapitalYa) {
                Insert(kAllRussianLetters, m_pos);
                m_pos = end;
                return;
            }
            // Ё and ё sort apart from the alphabet, so a range over the whole alphabet misses
            // them. They go in front of the range: behind it a following "-" would join them.
            if (low == kCapitalA && high >= kCapitalYa) {
                Insert(kCapitalYo, m_pos);
            }
            if (low <= kSmallA && high == kSmallYa) {
                Insert(kSmallYo, m_pos);
            }
        }
        CopyTo(end);
    }
};

// ---------------------------------------------------------------------------------------------
// PCRE2 handles and messages.

struct TCodeFree
{
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct TMatchDataFree
{
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct TCompileContextFree
{
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct TMatchContextFree
{
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct TJitStackFree
{
    void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};
using TCodePtr = std::unique_ptr<pcre2_code, TCodeFree>;
using TMatchDataPtr = std::unique_ptr<pcre2_match_data, TMatchDataFree>;
using TCompileContextPtr = std::unique_ptr<pcre2_compile_context, TCompileContextFree>;
using TMatchContextPtr = std::unique_ptr<pcre2_match_context, TMatchContextFree>;
using TJitStackPtr = std::unique_ptr<pcre2_jit_stack, TJitStackFree>;

// Words are short: a legitimate expression stays far below these limits, while a runaway
// backtracking expression hits them within a fraction of a second instead of hanging the run.
constexpr std::uint32_t kMatchLimit = 10'000'000;
constexpr std::uint32_t kDepthLimit = 100'000;
constexpr PCRE2_SIZE kJitStackStart = 32 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 1024 * 1024;

// Stands in for the empty subject, whose string_view may carry a null pointer.
constexpr PCRE2_UCHAR kEmptySubject[] = {0};

std::string PcreMessage(int errorCode)
{
    PCRE2_UCHAR buffer[256];
    const int length = pcre2_get_error_message(errorCode, buffer, sizeof buffer);
    if (length < 0) {
        return "PCRE2 error " + std::to_string(errorCode);
    }
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
}

// The engine's wording for the compile errors a user meets most; PCRE2's text for the rest.
std::string CompileMessage(int errorCode)
{
    switch (errorCode) {
        case PCRE2_ERROR_MISSING_SQUARE_BRACKET:
            return "Unmatched []";
        case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS:
        case PCRE2_ERROR_UNMATCHED_CLOSING_PARENTHESIS:
            return "ParseReg Unmatched ()";
        case PCRE2_ERROR_CLASS_RANGE_ORDER:
        case PCRE2_ERROR_CLASS_INVALID_RANGE:
            return "Invalid [] Range";
        default:
            return PcreMessage(errorCode);
    }
}

// PCRE2 10.42 takes a first or last code unit 0xFF (я) as case-sensitive even in caseless
// matching, so its search ahead for that unit never finds "Я" and /я/i fails on "Я". Such an
// expression is compiled without the start-up optimizations that use those units.
bool HasCodeUnitFFAtEitherEnd(const pcre2_code* code)
{
    const auto info = [code](std::uint32_t what) {
        std::uint32_t value = 0;
        pcre2_pattern_info(code, what, &value);
        return value;
    };
    constexpr std::uint32_t kCodeUnitSet = 1;
    return (info(PCRE2_INFO_FIRSTCODETYPE) == kCodeUnitSet &&
            info(PCRE2_INFO_FIRSTCODEUNIT) == 0xFF) ||
           (info(PCRE2_INFO_LASTCODETYPE) == kCodeUnitSet && info(PCRE2_INFO_LASTCODEUNIT) == 0xFF);
}

[[noreturn]] void ThrowOutOfMemory()
{
    throw ERegExprError("TRegExpr: out of memory");
}

// The modifier letters, at their start values.
struct TModifiers
{
    bool CaseInsensitive = false;  // i
    bool RussianRanges = true;     // r
    bool DotAll = true;            // s
    bool Greedy = true;            // g
    bool MultiLine = false;        // m
    bool Extended = false;         // x
};

}  // namespace

struct TRegExpr::TImpl
{
    TModifiers Modifiers;
    std::string Expression;
    bool UseJit = true;

    // Null until the first Exec after the expression or the modifiers changed.
    TCodePtr Code;
    bool JitCompiled = false;

    // Made once per engine, so that Exec allocates nothing.
    TMatchDataPtr MatchData;
    TJitStackPtr JitStack;
    TMatchContextPtr MatchContext;
};

TRegExpr::TRegExpr()
    : m_impl(std::make_unique<TImpl>())
{
    // One ovector pair is enough: Exec only asks whether there is a match.
    m_impl->MatchData.reset(pcre2_match_data_create(1, nullptr));
    m_impl->MatchContext.reset(pcre2_match_context_create(nullptr));
    if (!m_impl->MatchData || !m_impl->MatchContext) {
        ThrowOutOfMemory();
    }
    pcre2_set_match_limit(m_impl->MatchContext.get(), kMatchLimit);
    pcre2_set_depth_limit(m_impl->MatchContext.get(), kDepthLimit);
    // Without its own stack the JIT would use 32K on the machine stack and fail on deeper
    // backtracking; a missing stack (no JIT support) leaves that default.
    m_impl->JitStack.reset(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
    if (m_impl->JitStack) {
        pcre2_jit_stack_assign(m_impl->MatchContext.get(), nullptr, m_impl->JitStack.get());
    }
}

TRegExpr::~TRegExpr() = default;

void TRegExpr::SetModifierStr(const std::string& modifiers)
{
    TModifiers next = m_impl->Modifiers;
    bool on = true;
    for (const char c : modifiers) {
        bool* flag = nullptr;
        switch (c) {
            case '-':
                on = false;
                continue;
            case 'i':
            case 'I':
                flag = &next.CaseInsensitive;
                break;
            case 'r':
            case 'R':
                flag = &next.RussianRanges;
                break;
            case 's':
            case 'S':
                flag = &next.DotAll;
                break;
            case 'g':
            case 'G':
                flag = &next.Greedy;
                break;
            case 'm':
            case 'M':
                flag = &next.MultiLine;
                break;
            case 'x':
            case 'X':
                flag = &next.Extended;
                break;
            default:
                throw ERegExprError("Unknown error");
        }
        *flag = on;
    }

    m_impl->Modifiers = next;
    m_impl->Code.reset();
}

void TRegExpr::SetExpression(const std::string& expression)
{
    m_impl->Expression = expression;
    m_impl->Code.reset();
}

void TRegExpr::UseJit(bool use)
{
    m_impl->UseJit = use;
    m_impl->Code.reset();
}

void TRegExpr::Compile()
{
    TImpl& impl = *m_impl;
    impl.JitCompiled = false;
    if (impl.Expression.empty()) {
        throw ERegExprError("TRegExpr(exec): Not Assigned Expression Property");
    }

    const TModifiers& modifiers = impl.Modifiers;
    const TPcreExpression pcre =
        TExpressionRewriter(impl.Expression, modifiers.RussianRanges, modifiers.Extended).Rewrite();

    const TCompileContextPtr context(pcre2_compile_context_create(nullptr));
    if (!context) {
        ThrowOutOfMemory();
    }
    pcre2_set_character_tables(context.get(), kCp1251Tables.data());
    // Both Windows and Unix line ends count for ".", "^" and "$".
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);

    std::uint32_t options = 0;
    options |= modifiers.CaseInsensitive ? PCRE2_CASELESS : 0;
    options |= modifiers.DotAll ? PCRE2_DOTALL : 0;
    options |= modifiers.Greedy ? 0 : PCRE2_UNGREEDY;
    options |= modifiers.MultiLine ? PCRE2_MULTILINE : 0;
    options |= modifiers.Extended ? PCRE2_EXTENDED : 0;

    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    const auto compile = [&](std::uint32_t compileOptions) {
        return TCodePtr(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pcre.Text.data()),
                                      pcre.Text.size(), compileOptions, &errorCode, &errorOffset,
                                      context.get()));
    };
    TCodePtr code = compile(options);
    if (!code) {
        const std::size_t pos = pcre.SourcePos[std::min(errorOffset, pcre.Text.size())];
        throw ERegExprError("TRegExpr(comp): " + CompileMessage(errorCode) + " (pos " +
                            std::to_string(pos) + ")");
    }
    if (HasCodeUnitFFAtEitherEnd(code.get())) {
        code = compile(options | PCRE2_NO_START_OPTIMIZE);
        if (!code) {
            ThrowOutOfMemory();
        }
    }
    // The JIT may refuse an expression or be missing on this platform; the interpreter then
    // matches the same expression, only slower.
    impl.JitCompiled = impl.UseJit && pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE) == 0;
    impl.Code = std::move(code);
}

bool TRegExpr::Exec(std::string_view subject)
{
    if (!m_impl->Code) {
        Compile();
    }
    const TImpl& impl = *m_impl;
    const PCRE2_SPTR text =
        subject.empty() ? kEmptySubject : reinterpret_cast<PCRE2_SPTR>(subject.data());
    const int result = impl.JitCompiled
                           ? pcre2_jit_match(impl.Code.get(), text, subject.size(), 0, 0,
                                             impl.MatchData.get(), impl.MatchContext.get())
                           : pcre2_match(impl.Code.get(), text, subject.size(), 0, 0,
                                         impl.MatchData.get(), impl.MatchContext.get());
    if (result >= 0) {
        return true;
    }
    if (result == PCRE2_ERROR_NOMATCH) {
        return false;
    }
    throw ERegExprError("TRegExpr(exec): " + PcreMessage(result));
}
