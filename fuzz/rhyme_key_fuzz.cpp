// Fuzz target: the rhyme key rules, on any phoneme string and on what the real espeak-ng gives
// for any word. Nothing that IsPhonemisableWord refuses may reach the library or get a key, the
// library must take every word that passes it, and a key holds phoneme letters and softness only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "phonetics/phonemes.h"
#include "phonetics/rhyme_key.h"
#include "wordstore/encoding.h"

namespace {

// A word spelt from bytes, one letter or hyphen a byte, so that most inputs are words that pass
// to espeak-ng; a byte's high bit makes its letter a capital.
std::string SpeltWord(std::string_view bytes)
{
    static const std::string kSmall = ToCp1251("абвгдеёжзийклмнопрстуфхцчшщъыьэюя-");
    static const std::string kCapital = ToCp1251("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ-");
    std::string word;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        word += (byte & 0x80 ? kCapital : kSmall)[(byte & 0x7F) % kSmall.size()];
    }
    return word;
}

void CheckKey(const std::string& key, const std::string& word)
{
    Check(IsPhonemisableWord(word), "a word that is not phonemised has a key", word);
    const std::string_view letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ;";
    Check(!key.empty() && key.find_first_not_of(letters) == std::string::npos,
          "a key holds more than phoneme letters and softness marks", word + " | " + key);
    Check(NearRhyme(key, key), "a key is not near itself", word + " | " + key);
}

// An index key: a rhyme key, the onset mark, and an onset of phoneme letters and softness.
void CheckIndexKey(const std::string& key, const std::string& word)
{
    const std::size_t mark = key.find(kOnsetMark);
    Check(mark != std::string::npos && key.find(kOnsetMark, mark + 1) == std::string::npos,
          "an index key has not one onset mark", word + " | " + key);
    CheckKey(std::string(RhymePart(key)), word);
    const std::string_view onset = std::string_view(key).substr(mark + 1);
    Check(onset.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ;") ==
              std::string_view::npos,
          "an onset holds more than a sound", word + " | " + key);
}

}  // namespace

// Input: a flags byte (bit 0 the word is spelt from its bytes, bit 1 it is read as typed, with
// stress marks; else bits 2-4 give the stressed vowel, 0 for espeak's), the word on a line, then
// a phoneme string for the rules alone.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TFuzzInput input(data, size);
    const unsigned char flags = input.Byte();
    const std::string line = input.Line();
    const std::string phonemes(input.Rest());
    TStressedWord word{(flags & 1) != 0 ? SpeltWord(line) : line, ((flags >> 2) & 7) - 1};
    if ((flags & 2) != 0) {
        word = ReadStressedWord(word.Word);
    }

    const std::string ruled = IndexKeyFromPhonemes(phonemes, word.Word, word.StressedVowel);
    if (!ruled.empty()) {
        CheckIndexKey(ruled, word.Word);
    }

    // Through espeak-ng: a word it cannot take would end the run here.
    const std::string spoken = PhonemesOf(word.Word);
    Check(spoken.empty() != IsPhonemisableWord(word.Word),
          "espeak-ng was asked for a word that is not phonemised, or gave nothing", word.Word);
    const std::vector<std::string> keys = RhymeKeysOf(word.Word, word.StressedVowel);
    Check(keys.size() <= 2, "more than two keys", word.Word);
    for (const std::string& key : keys) {
        CheckIndexKey(key, word.Word);
        Check(NearRhyme(key, ruled) == NearRhyme(ruled, key), "near rhymes one way only",
              word.Word + " | " + key + " | " + ruled);
    }
    if (word.StressedVowel >= 0 || KnownStresses(word.Word).empty()) {
        const std::string key = IndexKeyFromPhonemes(spoken, word.Word, word.StressedVowel);
        Check(keys == (key.empty() ? std::vector<std::string>() : std::vector<std::string>{key}),
              "the word's keys are not the key of its phonemes", word.Word);
    }
    return 0;
}
