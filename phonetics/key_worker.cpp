// The helper process that works out rhyme keys, and the batches it exchanges with the program.

#include "phonetics/key_worker.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "phonetics/phonemes.h"
#include "phonetics/rhyme_key.h"
#include "wordstore/letters.h"
#include "wordstore/path_utils.h"

namespace {

constexpr char kWordsMagic[4] = {'S', 'L', 'V', 'W'};
constexpr char kKeysMagic[4] = {'S', 'L', 'V', 'K'};
constexpr std::size_t kHeaderSize = 16;
// No batch comes near it: a bound on what a header out of form could make either end allocate.
constexpr std::uint32_t kMaxBatchBytes = 64U << 20;
// How often a wait for an answer looks at the cancel flag.
constexpr std::chrono::milliseconds kPollSlice{50};
constexpr char kHelperName[] = "slovosito-rhyme-keys";

void PutU32(std::string& out, std::uint32_t value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

std::uint32_t GetU32(const char* data)
{
    std::uint32_t value = 0;
    std::memcpy(&value, data, sizeof value);
    return value;
}

std::string Header(const char (&magic)[4], std::size_t wordCount, std::size_t byteCount)
{
    std::string header(magic, sizeof magic);
    PutU32(header, kKeyHelperVersion);
    PutU32(header, static_cast<std::uint32_t>(wordCount));
    PutU32(header, static_cast<std::uint32_t>(byteCount));
    return header;
}

// Reads exactly size bytes; false at the end of input or on an error.
bool ReadAll(int fd, char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = read(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        // A socket whose other end is gone fails with EPIPE instead of raising SIGPIPE.
        const ssize_t n = send(fd, bytes.data() + written, bytes.size() - written, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::vector<std::string> ReadingKeysOf(std::string_view word)
{
    const std::size_t mark = word.find(kYoReadingMark);
    if (mark != std::string_view::npos) {
        const std::string_view ye = word.substr(0, mark);
        const std::string_view yo = word.substr(mark + 1);
        const int stressed = StressedVowelOf(PhonemesOf(ye), ye);
        int yoVowel = 0;
        for (std::size_t i = 0; i < yo.size() && yo[i] != static_cast<char>(kSmallYo); ++i) {
            yoVowel += IsVowel(yo[i]) ? 1 : 0;
        }
        return RhymeKeysOf(stressed >= 0 && stressed != yoVowel ? ye : yo);
    }
    const std::size_t separator = word.find(kReadingSeparator);
    std::vector<std::string> keys = RhymeKeysOf(word.substr(0, separator));
    if (separator != std::string_view::npos) {
        for (std::string& key : RhymeKeysOf(word.substr(separator + 1))) {
            if (keys.size() < 2 && std::find(keys.begin(), keys.end(), key) == keys.end()) {
                keys.push_back(std::move(key));
            }
        }
    }
    return keys;
}

void AppendWordKeys(std::string& out, std::string_view word)
{
    const std::vector<std::string> keys = ReadingKeysOf(word);
    out += static_cast<char>(keys.size());
    for (const std::string& key : keys) {
        const auto size = static_cast<std::uint16_t>(key.size());
        out.append(reinterpret_cast<const char*>(&size), sizeof size);
        out.append(key, 0, size);
    }
}

bool ReadWordKeys(std::string_view& entries, std::vector<std::string>& keys)
{
    if (entries.empty()) {
        return false;
    }
    const auto count = static_cast<unsigned char>(entries[0]);
    entries.remove_prefix(1);
    keys.resize(count);
    for (std::string& key : keys) {
        std::uint16_t size = 0;
        if (entries.size() < sizeof size) {
            return false;
        }
        std::memcpy(&size, entries.data(), sizeof size);
        entries.remove_prefix(sizeof size);
        if (entries.size() < size) {
            return false;
        }
        key.assign(entries.substr(0, size));
        entries.remove_prefix(size);
    }
    return true;
}

int ServeKeyRequests(int in, int out)
{
    std::string batch;
    for (;;) {
        char header[kHeaderSize];
        const ssize_t first = read(in, header, 1);
        if (first == 0) {
            return 0;
        }
        if (first < 0 && errno == EINTR) {
            continue;
        }
        if (first < 0 || !ReadAll(in, header + 1, kHeaderSize - 1) ||
            std::memcmp(header, kWordsMagic, sizeof kWordsMagic) != 0 ||
            GetU32(header + 4) != kKeyHelperVersion) {
            return 1;
        }
        const std::uint32_t wordCount = GetU32(header + 8);
        const std::uint32_t byteCount = GetU32(header + 12);
        if (byteCount > kMaxBatchBytes) {
            return 1;
        }
        batch.resize(byteCount);
        if (!ReadAll(in, batch.data(), byteCount)) {
            return 1;
        }
        std::string keys;
        std::string_view rest = batch;
        for (std::uint32_t i = 0; i < wordCount; ++i) {
            if (rest.size() < 4 || rest.size() - 4 < GetU32(rest.data())) {
                return 1;
            }
            const std::uint32_t size = GetU32(rest.data());
            AppendWordKeys(keys, rest.substr(4, size));
            rest.remove_prefix(4 + size);
        }
        if (!rest.empty() || !WriteAll(out, Header(kKeysMagic, wordCount, keys.size()) + keys)) {
            return 1;
        }
    }
}

std::string RhymeKeyHelperPath(const std::string& exeDir)
{
    std::string dir = exeDir.empty() ? ProgramFolder() : exeDir;
    if (dir.empty()) {
        return "";
    }
    // Beside the program in a build tree or a portable copy; installed, the helper is no command
    // of its own and lives in the libexec folder beside bin.
    for (const char* folder : {"", "../libexec/slovosito/"}) {
        const std::string path =
            (std::filesystem::path(dir) / folder / kHelperName).lexically_normal().string();
        if (access(path.c_str(), X_OK) == 0) {
            return path;
        }
    }
    return "";
}

TKeyWorker::TKeyWorker(const std::string& path)
{
    if (path.empty()) {
        return;
    }
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        m_startError = errno;
        return;
    }
    // posix_spawn, not fork: this process may run other threads, and the child only execs. The
    // helper's end becomes its standard input and output; dup2 clears close-on-exec there.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 0);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
    std::string program = path;
    char* argv[] = {program.data(), nullptr};
    const int failed = posix_spawn(&m_pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (failed != 0) {
        m_startError = failed;
        m_pid = -1;
        close(ends[0]);
        return;
    }
    m_socket = ends[0];
}

TKeyWorker::~TKeyWorker()
{
    Stop();
}

void TKeyWorker::Stop(bool hung)
{
    if (m_socket >= 0) {
        close(m_socket);
        m_socket = -1;
    }
    if (m_pid < 0) {
        return;
    }
    for (int i = 0; i < 100 && !hung; ++i) {
        if (waitpid(m_pid, nullptr, WNOHANG) != 0) {
            m_pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

bool TKeyWorker::Send(std::span<const std::string> words)
{
    if (!Running()) {
        return false;
    }
    std::string body;
    for (const std::string& word : words) {
        PutU32(body, static_cast<std::uint32_t>(word.size()));
        body += word;
    }
    if (body.size() > kMaxBatchBytes ||
        !WriteAll(m_socket, Header(kWordsMagic, words.size(), body.size()) + body)) {
        Stop();
        return false;
    }
    return true;
}

std::optional<std::string> TKeyWorker::Receive(std::size_t wordCount,
                                               const std::atomic<bool>& cancel,
                                               std::chrono::milliseconds deadline)
{
    using std::chrono::steady_clock;
    std::string answer;
    std::size_t want = kHeaderSize;
    bool headerRead = false;
    // One deadline for the whole answer: a helper that sends a byte now and then must not keep
    // the caller waiting for ever.
    const steady_clock::time_point until = steady_clock::now() + deadline;
    bool late = false;
    while (Running() && answer.size() < want && !cancel.load(std::memory_order_relaxed)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - steady_clock::now());
        if (left.count() <= 0) {
            late = true;
            break;
        }
        pollfd ready = {m_socket, POLLIN, 0};
        const int polled = poll(&ready, 1, static_cast<int>(std::min(left, kPollSlice).count()));
        if (polled == 0) {
            continue;
        }
        if (polled < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        char buffer[65536];
        const ssize_t n = read(m_socket, buffer, std::min(sizeof buffer, want - answer.size()));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        answer.append(buffer, static_cast<std::size_t>(n));
        if (!headerRead && answer.size() == kHeaderSize) {
            headerRead = true;
            if (std::memcmp(answer.data(), kKeysMagic, sizeof kKeysMagic) != 0 ||
                GetU32(answer.data() + 4) != kKeyHelperVersion ||
                GetU32(answer.data() + 8) != wordCount ||
                GetU32(answer.data() + 12) > kMaxBatchBytes) {
                break;
            }
            want += GetU32(answer.data() + 12);
        }
    }
    if (!headerRead || answer.size() < want) {
        Stop(late);
        return std::nullopt;
    }
    answer.erase(0, kHeaderSize);
    std::string_view rest = answer;
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < wordCount; ++i) {
        if (!ReadWordKeys(rest, keys)) {
            Stop();
            return std::nullopt;
        }
    }
    if (!rest.empty()) {
        Stop();
        return std::nullopt;
    }
    return answer;
}
