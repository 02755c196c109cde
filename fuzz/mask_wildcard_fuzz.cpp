// Fuzz target: the wildcard matcher of mask expressions against the regular-expression engine on
// the same expression and modifier letters, and the mask language's own round trips.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "search/mask.h"
#include "search/query.h"
#include "search/regexpr.h"
#include "search/wildcard.h"
#include "wordstore/encoding.h"
#include "wordstore/letters.h"

namespace {

// A word the tokens describe, so that matches are tried too, not only misses: a run takes the
// next filler bytes (up to three), one character the next one, е of a mask е or ё by turns.
std::string WordOf(const std::vector<TMaskToken>& tokens, const std::string& filler)
{
    std::string word;
    std::size_t next = 0;
    const auto fill = [&] { return filler.empty() ? 'x' : filler[next++ % filler.size()]; };
    for (const TMaskToken& token : tokens) {
        switch (token.Kind) {
            case TMaskTokenKind::AnyRun:
                for (std::size_t n = filler.empty() ? 0 : next % 4; n > 0; --n) {
                    word += fill();
                }
                break;
            case TMaskTokenKind::AnyChar:
                word += fill();
                break;
            case TMaskTokenKind::Hyphen:
                word += '-';
                break;
            case TMaskTokenKind::Letter:
                word += token.Letter;
                break;
            case TMaskTokenKind::YeOrYo:
                word += ToCp1251(word.size() % 2 == 0 ? "е" : "ё");
                break;
            case TMaskTokenKind::Set: {
                // The set's bytes by turns, so that every member gets tried.
                std::size_t skip = next++ % token.Set.count();
                for (std::size_t byte = 0; byte < token.Set.size(); ++byte) {
                    if (token.Set[byte] && skip-- == 0) {
                        word += static_cast<char>(byte);
                        break;
                    }
                }
                break;
            }
        }
    }
    return word;
}

// Words hold no line break and no NUL: the loader ends a word at any of them.
std::string AsWord(std::string text)
{
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    return text;
}

// Runs the engine on expression with modifiers over words; where the wildcard is given, every
// answer must be the wildcard's. An expression of the mask language, and any that a wildcard
// stands for, must compile. A failure while matching (a backtracking limit on a long word) ends
// the comparison: the wildcard exists so that such words still get an answer.
void Compare(const std::string& expression, const std::string& modifiers,
             const std::optional<TWildcard>& wildcard, const std::vector<std::string>& words,
             bool maskLanguage)
{
    TRegExpr engine;
    try {
        engine.SetModifierStr(modifiers);
    } catch (const ERegExprError&) {
        Check(!wildcard, "a wildcard stands for an expression with refused modifier letters",
              modifiers);
        return;
    }
    engine.SetExpression(expression);
    for (const std::string& word : words) {
        bool matched = false;
        try {
            matched = engine.Exec(word);
        } catch (const ERegExprError& e) {
            const std::string message = e.what();
            const bool matchFailure = message.starts_with("TRegExpr(exec): ") &&
                                      !message.ends_with("Not Assigned Expression Property");
            Check(matchFailure || !(wildcard || maskLanguage),
                  "the engine refuses an expression of the mask language",
                  expression + " | " + message);
            return;
        }
        if (wildcard) {
            Check(wildcard->Matches(word) == matched,
                  "the wildcard and the engine answer differently",
                  "/" + expression + "/" + modifiers + " on " + word);
        }
    }
}

}  // namespace

// Input: a flags byte (bit 0 the text is an expression, not a mask), the text on a line, the
// modifier letters on a line, then up to eight words on a line each.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TFuzzInput input(data, size);
    const unsigned char flags = input.Byte();
    const std::string text = input.Line();
    const std::string modifiers = input.Line();
    std::vector<std::string> words = input.Lines(8);
    for (std::string& word : words) {
        word = AsWord(word);
    }

    if (flags & 1) {
        // The text is any expression: where a wildcard stands for it, both must agree.
        const std::string expression = AsWord(text);
        const std::optional<TWildcard> wildcard = TWildcard::FromExpression(expression, modifiers);
        if (wildcard) {
            Compare(expression, modifiers, wildcard, words, false);
        }
        return 0;
    }

    // The text is a mask typed into the mask row.
    std::string mask = text;
    LowerCyr(mask);
    std::vector<TMaskToken> tokens;
    try {
        tokens = TokenizeMask(mask);
    } catch (const EMaskError& e) {
        // A malformed set: the row's translation must refuse it with the same message.
        const std::string message = e.what();
        try {
            MaskToPattern(mask);
            Check(false, "MaskToPattern takes a mask the tokenizer refuses", mask);
        } catch (const EMaskError& again) {
            Check(message == again.what(), "MaskToPattern refuses with another message", mask);
        }
        return 0;
    }
    const std::string expression = ExactMaskExpression(tokens);
    const std::string pattern = MaskToPattern(mask);
    Check(pattern == (tokens.empty() ? std::string() : "/" + expression + "/"),
          "MaskToPattern is not the exact expression between slashes", pattern);
    if (tokens.empty()) {
        return 0;
    }
    const std::optional<std::vector<TMaskToken>> readBack = ReadExactMaskExpression(expression);
    Check(readBack && *readBack == tokens, "the exact expression does not read back as its tokens",
          expression);
    const std::optional<TWildcard> plain = TWildcard::FromExpression(expression, "");
    Check(plain.has_value(), "no wildcard for a mask's exact expression", expression);

    const std::string filler = words.empty() ? std::string() : words.front();
    words.push_back(WordOf(tokens, filler));
    words.push_back(WordOf(tokens, std::string()));
    Compare(expression, "", plain, words, true);
    Compare(expression, modifiers, TWildcard::FromExpression(expression, modifiers), words, true);
    // The inexact expression has no wildcard; the engine must take it for any mask.
    Compare(InexactMaskExpression(tokens), "", std::nullopt, words, true);
    return 0;
}
