// Checking a dictionary folder: the loader's decisions for each candidate, with their reasons.

#include "wordstore/dictionary_check.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <new>
#include <system_error>

#include <sys/stat.h>

#include "wordstore/file_io.h"
#include "wordstore/folder_lock.h"
#include "wordstore/pair_reader.h"
#include "wordstore/path_utils.h"
#include "wordstore/word_store.h"

namespace {

namespace fs = std::filesystem;

// Whether path, after following links, is a regular file; otherwise (when something is there)
// what it is, in detail.
struct TEntryKind
{
    bool Missing = false;
    bool Regular = false;
    std::string Detail;
    std::uint64_t Size = 0;  // when Regular
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
    kind.Regular = S_ISREG(info.st_mode);
    kind.Size = static_cast<std::uint64_t>(info.st_size);
    if (!kind.Regular) {
        kind.Detail = FileKindText(info.st_mode);
    }
    return kind;
}

// Fills in what the word list holds.
void NoteWordList(const TWordListFile& file, TCandidateCheck& check)
{
    check.WordCount = file.Words.size();
    for (std::size_t j = 0; j < file.Words.size(); ++j) {
        if (file.Words[j].empty() && check.EmptyWords++ == 0) {
            check.FirstEmptyWord = j;
        }
    }
    if (file.NulOffset) {
        check.NulOffset = *file.NulOffset;
        check.BytesAfterNul = file.FileBytes - *file.NulOffset - 1;
    }
}

// Fills in what the count file holds, and the verdict when it does not fit the words.
void NoteCountFile(const TCountFile& file, TCandidateCheck& check)
{
    check.CountFileBytes = file.FileBytes;
    if (!file.Fits) {
        check.Verdict = TVerdict::CountFileSizeMismatch;
        return;
    }
    for (std::size_t k = 0; k < file.Counts.size(); ++k) {
        if (file.Counts[k] < 0 && check.NegativeCounts++ == 0) {
            check.FirstNegativeCount = k;
        }
    }
    check.ZeroTotal = file.Total == 0.0;
}

TCandidateCheck CheckCandidate(const std::string& folder, const std::string& fileName)
{
    TCandidateCheck check;
    check.FileName = fileName;
    const std::string path = JoinPath(folder, fileName);
    const std::string countPath = CountFilePathFor(path);
    const TEntryKind words = KindOf(path);
    if (!words.Regular) {
        check.Verdict = TVerdict::NotRegularFile;
        check.Detail = words.Missing ? "gone while looking" : words.Detail;
        return check;
    }
    const TEntryKind counts = KindOf(countPath);
    if (counts.Missing) {
        check.Verdict = TVerdict::CountFileMissing;
        return check;
    }
    if (!counts.Regular) {
        check.Verdict = TVerdict::CountFileNotRegular;
        check.Detail = counts.Detail;
        return check;
    }
    // What stands there may change after the look: the opened file is judged again, alike.
    bool readingWords = true;
    try {
        // The word list's notes stand even when the count file then cannot be read.
        const TWordListFile wordList = ReadWordListFile(path);
        NoteWordList(wordList, check);
        readingWords = false;
        if (CountFileMayFit(counts.Size, wordList.FileBytes)) {
            NoteCountFile(ReadCountFile(countPath, wordList.Words.size()), check);
        } else {
            check.CountFileBytes = counts.Size;
            check.Verdict = TVerdict::CountFileSizeMismatch;
        }
    } catch (const ENotRegularFile& e) {
        check.Verdict = readingWords ? TVerdict::NotRegularFile : TVerdict::CountFileNotRegular;
        check.Detail = e.Detail();
        return check;
    } catch (const EFileError& e) {
        check.Verdict = TVerdict::Unreadable;
        check.Detail = e.what();
        return check;
    } catch (const std::bad_alloc&) {
        check.Verdict = TVerdict::Unreadable;
        check.Detail = OutOfMemoryText(path);
        return check;
    }
    if (check.Verdict == TVerdict::Listed) {
        check.RowText = DictionaryRowText(DictionaryName(StripExtension(fileName)),
                                          static_cast<std::size_t>(check.WordCount));
    }
    return check;
}

}  // namespace

TFolderCheck CheckFolder(const std::string& folder)
{
    // The shared side keeps writers out while the pairs are read; without it the check still
    // runs, as loading does.
    TFolderLock lock;
    if (lock.Open(folder)) {
        lock.Lock(TLockMode::Shared, kReaderLockWait);
    }
    TFolderCheck result;
    const std::vector<std::string> candidates = DictionaryCandidates(folder);
    for (const std::string& name : candidates) {
        result.Candidates.push_back(CheckCandidate(folder, name));
    }
    // What a writer at work has in the pending folder is no leftover.
    if (!WriterAtWork(folder)) {
        result.Leftovers = FindLeftovers(folder);
    }
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const std::string wordList =
            name.substr(0, name.size() - std::min<std::size_t>(4, name.size()));
        if (name.ends_with(".cnt") && IsCandidateName(wordList) &&
            !std::binary_search(candidates.begin(), candidates.end(), wordList)) {
            result.LoneCountFiles.push_back(name);
        }
    }
    std::sort(result.LoneCountFiles.begin(), result.LoneCountFiles.end());
    return result;
}
