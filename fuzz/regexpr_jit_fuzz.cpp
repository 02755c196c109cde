// Fuzz target: the regular-expression row's query (delimiters, expression, modifier letters) run
// by the engine with PCRE2's JIT and by its interpreter, which must give the same answers.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "search/query.h"
#include "search/regexpr.h"
#include "wordstore/encoding.h"

namespace {

// Words every expression meets, beside the fuzzed ones: letters of both cases, ё, a hyphen, none.
const std::vector<std::string> kFixedWords = {
    "",
    ToCp1251("кот"),
    ToCp1251("КОТ"),
    ToCp1251("ёжик"),
    ToCp1251("Ёж"),
    ToCp1251("я"),
    ToCp1251("Я"),
    ToCp1251("по-русски"),
    "abc",
    "123",
};

// What one engine says for a word: a match or none, or the message of what it threw.
struct TAnswer
{
    bool Matched = false;
    std::optional<std::string> Error;
};

TAnswer Ask(TRegExpr& engine, const std::string& word)
{
    TAnswer answer;
    try {
        answer.Matched = engine.Exec(word);
    } catch (const ERegExprError& e) {
        answer.Error = e.what();
    }
    return answer;
}

// A failure while matching, such as a backtracking limit: the JIT and the interpreter count
// their work differently, so only one of them may reach a limit.
bool IsMatchFailure(const TAnswer& answer)
{
    return answer.Error && answer.Error->starts_with("TRegExpr(exec): ") &&
           *answer.Error != "TRegExpr(exec): Not Assigned Expression Property";
}

// An expression too large for the JIT, which the engine refuses rather than leave to the
// interpreter; the interpreter alone takes it.
bool IsJitRefusal(const TAnswer& answer)
{
    return answer.Error &&
           answer.Error->starts_with("TRegExpr(comp): regular expression is too large to match");
}

}  // namespace

// Input: a flags byte (bit 0 the query through the regular-expression row's lowercasing), the
// query on a line, then up to eight words on a line each.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TFuzzInput input(data, size);
    const unsigned char flags = input.Byte();
    std::string query = input.Line();
    // The row lowercases what is typed before it splits the query.
    if (flags & 1) {
        LowerPattern(query);
    }
    std::vector<std::string> words = input.Lines(8);
    words.insert(words.end(), kFixedWords.begin(), kFixedWords.end());

    const std::optional<TPatternQuery> split = SplitPatternQuery(query);
    if (!split) {
        return 0;
    }
    const std::string& pattern = split->Trimmed;
    const std::string& modifiers = split->Modifiers;
    const std::string& expression = split->Expression;

    TRegExpr jit;
    TRegExpr interpreter;
    interpreter.UseJit(false);
    std::optional<std::string> jitRefusal;
    std::optional<std::string> interpreterRefusal;
    try {
        jit.SetModifierStr(modifiers);
    } catch (const ERegExprError& e) {
        jitRefusal = e.what();
    }
    try {
        interpreter.SetModifierStr(modifiers);
    } catch (const ERegExprError& e) {
        interpreterRefusal = e.what();
    }
    Check(jitRefusal == interpreterRefusal, "the modifier letters are refused by one engine only",
          modifiers);
    Check(!jitRefusal || *jitRefusal == "Unknown error", "a refusal of modifier letters says",
          jitRefusal.value_or(""));
    jit.SetExpression(expression);
    interpreter.SetExpression(expression);

    for (const std::string& word : words) {
        const TAnswer withJit = Ask(jit, word);
        const TAnswer withoutJit = Ask(interpreter, word);
        if (IsJitRefusal(withJit)) {
            break;
        }
        if (IsMatchFailure(withJit) || IsMatchFailure(withoutJit)) {
            continue;
        }
        Check(
            withJit.Error == withoutJit.Error, "the JIT and the interpreter fail differently",
            pattern + " | " + withJit.Error.value_or("-") + " | " + withoutJit.Error.value_or("-"));
        Check(withJit.Matched == withoutJit.Matched,
              "the JIT and the interpreter answer differently", pattern + " on " + word);
        if (withJit.Error) {
            // A compile error comes again at every Exec: no need to try more words.
            break;
        }
    }
    return 0;
}
