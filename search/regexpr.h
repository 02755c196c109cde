#pragma once
// The regular-expression engine of the pattern search: PCRE2 over Windows-1251 bytes, with the
// one-letter modifiers i, r, s, g, m and x and messages in the engine's own style.

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

// What a match that may run long calls now and then from inside, so that its caller can end it:
// returning goes on, while an exception ends the match and passes out of Exec as thrown. Refers to
// a callable that must outlive the Exec it is given to; a default one watches nothing.
class TMatchWatch
{
public:
    TMatchWatch() = default;
    template <typename TCall>
    explicit TMatchWatch(TCall& call)
        : m_call(&call)
        , m_invoke([](void* callable) { (*static_cast<TCall*>(callable))(); })
    {}

    explicit operator bool() const { return m_call != nullptr; }
    void operator()() const { m_invoke(m_call); }

private:
    void* m_call = nullptr;
    void (*m_invoke)(void*) = nullptr;
};

// An error of the engine: a bad modifier string, an empty or malformed expression, or a failure
// while matching. what() is the user's whole message.
class ERegExprError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class TRegExpr
{
public:
    TRegExpr();
    ~TRegExpr();
    TRegExpr(const TRegExpr&) = delete;
    TRegExpr& operator=(const TRegExpr&) = delete;

    // Applies the modifier letters i, r, s, g, m, x (either case) on top of the current ones;
    // "-" switches off the letters after it. Throws ERegExprError("Unknown error") for any other
    // character, and then changes nothing.
    void SetModifierStr(const std::string& modifiers);

    // Sets the expression (Windows-1251). It is compiled at the next Exec.
    void SetExpression(const std::string& expression);

    // Whether the expression matches somewhere in subject (Windows-1251 bytes; no terminating NUL
    // needed). The expression is compiled at the first Exec after it or the modifiers were set,
    // and reused afterwards. Throws ERegExprError for an empty expression
    // ("TRegExpr(exec): Not Assigned Expression Property"), a compile error
    // ("TRegExpr(comp): <message> (pos <offset>)", e.g. "Unmatched []", "ParseReg Unmatched ()",
    // "Invalid [] Range"), an expression too large for the JIT to take ("TRegExpr(comp): regular
    // expression is too large to match: use fewer groups and repeats"), or a failure while
    // matching, such as a backtracking limit ("TRegExpr(exec): <message>").
    // With a watch, a match that may run long, on a subject of more than kLongSubject bytes or
    // without the JIT, calls it before each step of the expression; what it throws ends the match
    // and leaves Exec. Other matches never call it, and keep the JIT's full speed.
    bool Exec(std::string_view subject, TMatchWatch watch = {});

    // The longest subject that the engine matches without calling the watch: longer than any
    // word, while the match limit holds the JIT on such a subject to a fraction of a second.
    static constexpr std::size_t kLongSubject = 64;

    // For tests and benchmarks: whether to compile with PCRE2's JIT (on at the start). Where the
    // JIT is not available the interpreter matches anyway.
    void UseJit(bool use);

private:
    struct TImpl;
    std::unique_ptr<TImpl> m_impl;

    void Compile();
};
