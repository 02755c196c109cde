#pragma once
// The regular-expression engine of the pattern search: PCRE2 over Windows-1251 bytes, with the
// one-letter modifiers i, r, s, g, m and x and messages in the engine's own style.

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

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
    bool Exec(std::string_view subject);

    // For tests and benchmarks: whether to compile with PCRE2's JIT (on at the start). Where the
    // JIT is not available the interpreter matches anyway.
    void UseJit(bool use);

private:
    struct TImpl;
    std::unique_ptr<TImpl> m_impl;

    void Compile();
};
