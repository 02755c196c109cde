// Checking a dictionary folder: the loader's decisions for each candidate, with their reasons.

#include "wordstore/dictionary_check.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "wordstore/encoding.h"
#include "wordstore/file_io.h"
#include "wordstore/path_utils.h"
#include "wordstore/word_store.h"

namespace {

// Whether path, after following links, is a regular file; otherwise (when something is there)
// what it is, in detail.
struct TEntryKind
{
    bool Missing = false;
    bool Regular = false;
    std::string Detail;
};

TEntryKind KindOf(const std::string& path)
{
    TEntryKind kind;
    struct stat info
    {};
    if (stat(path.c_str(), &info) != 0) {
        const int error = errno;
        struct stat link
        {};
        if (lstat(path.c_str(), &link) != 0 && errno == ENOENT) {
            kind.Missing = true;
        } else if (error == ENOENT) {
            kind.Detail = "a link to nothing";
        } else {
            kind.Detail = "cannot be examined: " + SystemReason(error);
        }
        return kind;
    }
    if (S_ISREG(info.st_mode)) {
        kind.Regular = true;
    } else if (S_ISDIR(info.st_mode)) {
        kind.Detail = "a directory";
    } else if (S_ISFIFO(info.st_mode)) {
        kind.Detail = "a named pipe";
    } else if (S_ISSOCK(info.st_mode)) {
        kind.Detail = "a socket";
    } else if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) {
        kind.Detail = "a device";
    } else {
        kind.Detail = "not a file";
    }
    return kind;
}

std::int32_t LittleEndianInt32(const char* bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
        static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
}

void ReadWordList(const std::string& path, TCandidateCheck& check)
{
    TFileBytes file = ReadWholeFile(path);
    if (const void* nul = std::memchr(file.Bytes.get(), '\0', file.Size)) {
        const auto offset =
            static_cast<std::size_t>(static_cast<const char*>(nul) - file.Bytes.get());
        check.NulOffset = offset;
        check.BytesAfterNul = file.Size - offset - 1;
    }
    TWordList words;
    try {
        words = TWordList::Split(std::move(file.Bytes), file.Size);
    } catch (const std::length_error&) {
        throw EFileError("Cannot read file \"" + ToCp1251Lossy(path) + "\". File too large");
    }
    check.WordCount = words.size();
    for (std::size_t j = 0; j < words.size(); ++j) {
        if (words[j].empty() && check.EmptyWords++ == 0) {
            check.FirstEmptyWord = j;
        }
    }
}

void ReadCountFile(const std::string& path, TCandidateCheck& check)
{
    const TFileBytes file = ReadWholeFile(path);
    check.CountFileBytes = file.Size;
    if (check.CountFileBytes / 4 != check.WordCount) {
        check.Verdict = TVerdict::CountFileSizeMismatch;
        return;
    }
    // The total as loading sums it, so that a zero here is a zero there.
    double total = 0.0;
    for (std::size_t k = 0; k < check.WordCount; ++k) {
        const std::int32_t count = LittleEndianInt32(file.Bytes.get() + 4 * k);
        if (count < 0 && check.NegativeCounts++ == 0) {
            check.FirstNegativeCount = k;
        }
        total += count / 1000000.0;
    }
    check.ZeroTotal = total == 0.0;
}

TCandidateCheck CheckCandidate(const std::string& folder, const std::string& fileName)
{
    TCandidateCheck check;
    check.FileName = fileName;
    const std::string path = folder.ends_with('/') ? folder + fileName : folder + "/" + fileName;
    const TEntryKind words = KindOf(path);
    if (!words.Regular) {
        check.Verdict = TVerdict::NotRegularFile;
        check.Detail = words.Missing ? "gone while looking" : words.Detail;
        return check;
    }
    const TEntryKind counts = KindOf(path + ".cnt");
    if (counts.Missing) {
        check.Verdict = TVerdict::CountFileMissing;
        return check;
    }
    if (!counts.Regular) {
        check.Verdict = TVerdict::CountFileNotRegular;
        check.Detail = counts.Detail;
        return check;
    }
    try {
        ReadWordList(path, check);
        ReadCountFile(path + ".cnt", check);
    } catch (const EFileError& e) {
        check.Verdict = TVerdict::Unreadable;
        check.Detail = e.what();
        return check;
    } catch (const std::bad_alloc&) {
        check.Verdict = TVerdict::Unreadable;
        check.Detail = "Out of memory while reading file \"" + ToCp1251Lossy(path) + "\"";
        return check;
    }
    if (check.Verdict == TVerdict::Listed) {
        check.RowText = DictionaryRowText(ToCp1251Lossy(StripExtension(fileName)),
                                          static_cast<std::size_t>(check.WordCount));
    }
    return check;
}

}  // namespace

std::vector<TCandidateCheck> CheckDictionaryFolder(const std::string& folder)
{
    std::vector<TCandidateCheck> checks;
    for (const std::string& name : DictionaryCandidates(folder)) {
        checks.push_back(CheckCandidate(folder, name));
    }
    return checks;
}
