#pragma once
// Rhyme keys worked out in a second process: the helper program's loop, the process that runs it,
// and the batches of words and keys the two ends exchange over a socket.
//
// espeak-ng keeps one state per process, so a second core can phonemise only in a process of its
// own; and a word that crashes espeak-ng then costs a helper, not the program. A batch of words
// goes as "SLVW", kKeyHelperVersion, the word count and the byte count (32 bits each), then each
// word as a 32-bit length and its bytes; its answer as "SLVK", the version and the same counts,
// then each word's keys as AppendWordKeys writes them. Each end refuses another version, so that
// a helper of another build never puts its keys into an index.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

#include "phonetics/rhyme_key.h"

// The version of the exchange and of the key rules (kRhymeKeyRulesVersion) both ends speak.
inline constexpr std::uint32_t kKeyHelperVersion = (kRhymeKeyRulesVersion << 8) | 1;

// Parts a word's two readings in a batch: "все|всё" for a word written with е that reads with е
// as well as with ё.
inline constexpr char kReadingSeparator = '|';
// Parts a word written with е from its ё reading, which it takes unless espeak-ng stresses
// another vowel of it: "идет>идёт" is read as идёт, "легко>лёгко" as легко, since ё is always
// stressed and espeak-ng knows легко́.
inline constexpr char kYoReadingMark = '>';

// Appends the rhyme keys of word (lowercase Windows-1251, as RhymeKeysOf takes it, or two
// readings parted by kReadingSeparator or kYoReadingMark): one byte with the number of keys, then
// each key as a 16-bit length and its bytes. Two readings have the keys of each, the first
// reading's first, at most two in all. Throws EPhoneticsError as RhymeKeysOf does.
void AppendWordKeys(std::string& out, std::string_view word);

// The keys AppendWordKeys writes for word.
std::vector<std::string> ReadingKeysOf(std::string_view word);

// Reads one word's keys as AppendWordKeys wrote them from the front of entries into keys and
// drops them from entries. Returns false, keys undefined, when entries does not start with a
// whole word's keys.
bool ReadWordKeys(std::string_view& entries, std::vector<std::string>& keys);

// The helper program's loop: answers each batch of words read from the file descriptor in with
// their keys written to out, until in ends. Returns the exit status: 0 when in ended between
// batches, 1 on a batch out of form or an answer that cannot be written. Throws EPhoneticsError
// when espeak-ng cannot be set up.
int ServeKeyRequests(int in, int out);

// The helper program of the programs in exeDir (by default the running program's folder): beside
// them, as in a build tree, else in ../libexec/slovosito, where they are installed with it; ""
// when it is in neither place or cannot be run there.
std::string RhymeKeyHelperPath(const std::string& exeDir = "");

// One helper process, started on construction and ended on destruction. Used from one thread.
class TKeyWorker
{
public:
    // Starts the program at path with a socket as its standard input and output; Running() tells
    // whether it started, StartError() why not.
    explicit TKeyWorker(const std::string& path);
    // Closes the socket, so that the helper ends, and waits for it; a helper that has not ended
    // within a second is killed.
    ~TKeyWorker();
    TKeyWorker(const TKeyWorker&) = delete;
    TKeyWorker& operator=(const TKeyWorker&) = delete;

    // Whether the helper runs and has answered every batch in form so far.
    bool Running() const { return m_socket >= 0; }
    // The errno value that kept the helper from starting; 0 when it started.
    int StartError() const { return m_startError; }

    // Sends a batch of words (lowercase Windows-1251). Returns false, and stops the helper, when
    // it cannot be sent.
    bool Send(std::span<const std::string> words);

    // Waits for the answer to the oldest batch sent and not yet answered, which had wordCount
    // words: their keys, one word after the other as AppendWordKeys writes them, each word's
    // checked. Nothing, the helper then stopped, when the answer is out of form, the helper ended,
    // cancel was set, or the whole answer did not come within deadline of the call; a helper
    // that is still at work then is killed.
    std::optional<std::string> Receive(std::size_t wordCount, const std::atomic<bool>& cancel,
                                       std::chrono::milliseconds deadline);

private:
    // Closes the socket and waits for the helper, killing it when hung or after a second.
    void Stop(bool hung = false);

    int m_socket = -1;
    pid_t m_pid = -1;
    int m_startError = 0;
};
