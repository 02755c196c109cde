#pragma once
// Building one dictionary's rhyme index: the keys through espeak-ng in helper processes (or on
// this thread when there is no helper), the headwords through Hunspell on a second thread.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "phonetics/dict_rhymes.h"
#include "phonetics/key_worker.h"

class TWordList;

// How BuildDictRhymes shares out the phonemising.
struct TRhymeBuildWorkers
{
    // The helper program (slovosito-rhyme-keys) that phonemises the words in processes of its
    // own: a word that crashes espeak-ng then costs that word's key, not the program, and two of
    // them run on two cores (espeak-ng's state is one per process). "" when the program is not
    // there: this process then phonemises alone, on one thread, and relies on
    // IsPhonemisableWord to keep what espeak-ng cannot take away from it.
    std::string HelperPath = RhymeKeyHelperPath();
    // The fewest words for which a second helper is started: for fewer its start costs more than
    // it saves.
    std::size_t SecondHelperFrom = 20000;
    // The longest a helper may work on one batch of words: one that takes longer is taken for
    // hung and ended, and the batch goes on as after a crash.
    std::chrono::milliseconds BatchDeadline{20000};
    // When given, set to the number of words the helpers phonemised.
    std::size_t* HelperWords = nullptr;
};

// Indexes words: their rhyme keys through espeak-ng, batch by batch, in the workers' helper
// processes (one, or two for SecondHelperFrom words and more on a machine of two cores or more),
// each taking the next batch when it is through with one, while a second thread asks Hunspell for
// the headwords. A batch that a helper fails on (it crashes, hangs past the deadline or answers
// out of form) is never phonemised here: it is split in halves, each sent to a fresh helper, down
// to the words that make it fail, which get no key. The index is otherwise the same, byte for
// byte, as one thread alone makes. done counts the words of either half as they are finished
// (2 * words.size() in all). Returns nothing once cancel is set. The key lists are made.
// Throws EPhoneticsError when espeak-ng cannot be set up, when the helper cannot be started, and
// when helpers fail on batch after batch, as a helper that does not work at all does.
std::optional<TDictRhymes> BuildDictRhymes(const TWordList& words, const std::atomic<bool>& cancel,
                                           std::atomic<std::size_t>& done,
                                           const TRhymeBuildWorkers& workers = {});
