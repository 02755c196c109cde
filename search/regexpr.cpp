// Regular-expression engine: PCRE2 over Windows-1251 with the code page's character tables, the
// rewritten expression, and compile and match errors turned into the engine's messages.

#include "search/regexpr.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string_view>
#include <utility>

#include <pcre2.h>

#include "search/cp1251_tables.h"
#include "search/expression_rewriter.h"

namespace {

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

// Whether the JIT compiles at all here: it is missing on some platforms, and cannot run where
// the system gives no executable memory.
bool JitWorks()
{
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    const TCodePtr probe(
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>("a"), 1, 0, &errorCode, &errorOffset, nullptr));
    return probe && pcre2_jit_compile(probe.get(), PCRE2_JIT_COMPLETE) == 0;
}

// The state of a watched match, which its callouts reach.
struct TWatchState
{
    TMatchWatch Watch;
    // What the watch threw, to be thrown again once the engine has returned.
    std::exception_ptr Error;
};

// A match's answer from PCRE2's result. Throws ERegExprError for a failure.
bool MatchAnswer(int result)
{
    if (result >= 0) {
        return true;
    }
    if (result != PCRE2_ERROR_NOMATCH) {
        throw ERegExprError("TRegExpr(exec): " + PcreMessage(result));
    }
    return false;
}

int CallWatch(pcre2_callout_block* /*block*/, void* data)
{
    TWatchState& state = *static_cast<TWatchState*>(data);
    // No exception may pass through the engine's frames; the match ends with an error code
    // instead, and Exec throws what the watch threw.
    try {
        state.Watch();
    } catch (...) {
        state.Error = std::current_exception();
        return PCRE2_ERROR_CALLOUT;
    }
    return 0;
}

}  // namespace

struct TRegExpr::TImpl
{
    TRegExprModifiers Modifiers;
    std::string Expression;
    bool UseJit = true;

    // Null until the first Exec after the expression or the modifiers changed.
    TCodePtr Code;
    bool JitCompiled = false;
    // The same expression with a callout before each item, for watched matches; null until the
    // first of them after Code was compiled.
    TCodePtr WatchedCode;
    bool WatchedJitCompiled = false;
    // What both are compiled from.
    TPcreExpression Pcre;
    std::uint32_t Options = 0;
    // For an expression anchored at the subject's start that PCRE2 knows the possible first bytes
    // of: those bytes. A subject that starts with none of them cannot match, and is turned away
    // without the call, which costs more than the test for most words.
    bool FirstBytesKnown = false;
    std::array<bool, 256> FirstBytes{};

    // Made once per engine, so that Exec allocates nothing.
    TMatchDataPtr MatchData;
    TJitStackPtr JitStack;
    TMatchContextPtr MatchContext;
    // MatchContext with the callouts going to WatchState.
    TMatchContextPtr WatchedContext;
    TWatchState WatchState;

    // Compiles Pcre with options. Throws ERegExprError for a compile error.
    TCodePtr CompileCode(std::uint32_t options) const;
    // PCRE2's result of matching subject with code in context.
    int Match(const pcre2_code* code, bool jit, pcre2_match_context* context,
              std::string_view subject) const;
    // Whether WatchedCode matches subject, calling watch from inside. Throws what watch throws,
    // and ERegExprError as Exec does.
    bool WatchedMatch(std::string_view subject, TMatchWatch watch);
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
    m_impl->WatchedContext.reset(pcre2_match_context_copy(m_impl->MatchContext.get()));
    if (!m_impl->WatchedContext) {
        ThrowOutOfMemory();
    }
    pcre2_set_callout(m_impl->WatchedContext.get(), CallWatch, &m_impl->WatchState);
}

TRegExpr::~TRegExpr() = default;

void TRegExpr::SetModifierStr(const std::string& modifiers)
{
    const std::optional<TRegExprModifiers> next =
        ApplyModifierLetters(m_impl->Modifiers, modifiers);
    if (!next) {
        throw ERegExprError("Unknown error");
    }
    m_impl->Modifiers = *next;
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

namespace {

// Fills firstBytes, and says whether it did, from what PCRE2 learnt of code, when the expression is
// anchored at the subject's start and start-up optimisations are on: a first code unit (with its
// other case from the tables, in case the expression is caseless there: a byte too many only costs
// a call) or a bitmap of first bytes. Expressions PCRE2 knows no start of let every subject
// through.
bool ReadFirstBytes(const pcre2_code* code, std::array<bool, 256>& firstBytes)
{
    firstBytes.fill(false);
    std::uint32_t options = 0;
    pcre2_pattern_info(code, PCRE2_INFO_ALLOPTIONS, &options);
    if ((options & PCRE2_ANCHORED) == 0 || (options & PCRE2_NO_START_OPTIMIZE) != 0) {
        return false;
    }
    std::uint32_t type = 0;
    pcre2_pattern_info(code, PCRE2_INFO_FIRSTCODETYPE, &type);
    if (type == 1) {
        std::uint32_t unit = 0;
        pcre2_pattern_info(code, PCRE2_INFO_FIRSTCODEUNIT, &unit);
        const std::uint8_t* const flipCase = Cp1251CharacterTables() + 256;
        firstBytes[unit & 0xFF] = true;
        firstBytes[flipCase[unit & 0xFF]] = true;
        return true;
    }
    if (type == 0) {
        const std::uint8_t* bitmap = nullptr;
        pcre2_pattern_info(code, PCRE2_INFO_FIRSTBITMAP, &bitmap);
        if (bitmap != nullptr) {
            for (std::size_t byte = 0; byte < 256; ++byte) {
                firstBytes[byte] = (bitmap[byte / 8] >> (byte % 8) & 1) != 0;
            }
            return true;
        }
    }
    return false;
}

}  // namespace

TCodePtr TRegExpr::TImpl::CompileCode(std::uint32_t options) const
{
    const TCompileContextPtr context(pcre2_compile_context_create(nullptr));
    if (!context) {
        ThrowOutOfMemory();
    }
    pcre2_set_character_tables(context.get(), Cp1251CharacterTables());
    // Both Windows and Unix line ends count for ".", "^" and "$".
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);

    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    const auto compile = [&](std::uint32_t compileOptions) {
        return TCodePtr(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(Pcre.Text.data()),
                                      Pcre.Text.size(), compileOptions, &errorCode, &errorOffset,
                                      context.get()));
    };
    TCodePtr code = compile(options);
    if (code && HasCodeUnitFFAtEitherEnd(code.get())) {
        code = compile(options | PCRE2_NO_START_OPTIMIZE);
    }
    if (!code) {
        const std::size_t pos = Pcre.SourcePos[std::min(errorOffset, Pcre.Text.size())];
        throw ERegExprError("TRegExpr(comp): " + CompileMessage(errorCode) + " (pos " +
                            std::to_string(pos) + ")");
    }
    return code;
}

void TRegExpr::Compile()
{
    TImpl& impl = *m_impl;
    impl.JitCompiled = false;
    impl.WatchedCode.reset();
    if (impl.Expression.empty()) {
        throw ERegExprError("TRegExpr(exec): Not Assigned Expression Property");
    }

    const TRegExprModifiers& modifiers = impl.Modifiers;
    impl.Pcre = RewriteExpression(impl.Expression, modifiers);
    impl.Options = 0;
    impl.Options |= modifiers.CaseInsensitive ? PCRE2_CASELESS : 0;
    impl.Options |= modifiers.DotAll ? PCRE2_DOTALL : 0;
    impl.Options |= modifiers.Greedy ? 0 : PCRE2_UNGREEDY;
    impl.Options |= modifiers.MultiLine ? PCRE2_MULTILINE : 0;
    impl.Options |= modifiers.Extended ? PCRE2_EXTENDED : 0;

    TCodePtr code = impl.CompileCode(impl.Options);
    // The JIT refuses an expression whose state does not fit its frame, such as one with
    // thousands of groups. The interpreter would take it at a cost per step that grows with the
    // groups, hundreds of times the JIT's, and turn a search into minutes: such an expression is
    // an error. Only where the JIT cannot work at all does the interpreter match instead.
    if (impl.UseJit) {
        impl.JitCompiled = pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE) == 0;
        if (!impl.JitCompiled && JitWorks()) {
            throw ERegExprError(
                "TRegExpr(comp): regular expression is too large to match: use fewer groups and "
                "repeats");
        }
    }
    impl.FirstBytesKnown = ReadFirstBytes(code.get(), impl.FirstBytes);
    impl.Code = std::move(code);
}

int TRegExpr::TImpl::Match(const pcre2_code* code, bool jit, pcre2_match_context* context,
                           std::string_view subject) const
{
    const PCRE2_SPTR text =
        subject.empty() ? kEmptySubject : reinterpret_cast<PCRE2_SPTR>(subject.data());
    return jit ? pcre2_jit_match(code, text, subject.size(), 0, 0, MatchData.get(), context)
               : pcre2_match(code, text, subject.size(), 0, 0, MatchData.get(), context);
}

bool TRegExpr::TImpl::WatchedMatch(std::string_view subject, TMatchWatch watch)
{
    if (!WatchedCode) {
        WatchedCode = CompileCode(Options | PCRE2_AUTO_CALLOUT);
        // A refusal leaves these matches to the interpreter, which the watch bounds as well.
        WatchedJitCompiled =
            JitCompiled && pcre2_jit_compile(WatchedCode.get(), PCRE2_JIT_COMPLETE) == 0;
    }
    WatchState.Watch = watch;
    const int result = Match(WatchedCode.get(), WatchedJitCompiled, WatchedContext.get(), subject);
    WatchState.Watch = {};
    if (WatchState.Error) {
        std::rethrow_exception(std::exchange(WatchState.Error, nullptr));
    }
    return MatchAnswer(result);
}

bool TRegExpr::Exec(std::string_view subject, TMatchWatch watch)
{
    if (!m_impl->Code) {
        Compile();
    }
    TImpl& impl = *m_impl;
    if (impl.FirstBytesKnown &&
        (subject.empty() || !impl.FirstBytes[static_cast<unsigned char>(subject[0])])) {
        return false;
    }
    // The match limit holds the JIT to a fraction of a second on a word. A long subject escapes
    // it: the limit does not count the steps of a back reference, or of a single character's
    // repeat, so that /(.*)\1я/ costs the cube of the length. The interpreter copies every group
    // at each step. Such a match runs the expression with callouts, which call the watch.
    if (watch && (!impl.JitCompiled || subject.size() > kLongSubject)) [[unlikely]] {
        return impl.WatchedMatch(subject, watch);
    }
    return MatchAnswer(
        impl.Match(impl.Code.get(), impl.JitCompiled, impl.MatchContext.get(), subject));
}
