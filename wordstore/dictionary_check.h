#pragma once
// Checking a dictionary folder: for each candidate the folder scan sees, whether loading lists
// it or why not, and what is legal in it but probably not meant.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "wordstore/pair_leftovers.h"

enum class TVerdict {
    Listed,
    NotRegularFile,         // the word list is a directory, a link to nothing, ...
    CountFileMissing,       // no count file beside the word list
    CountFileNotRegular,    // something that is not a regular file in the count file's place
    CountFileSizeMismatch,  // the count file's size div 4 differs from the number of words
    Unreadable,             // a file of the pair exists but cannot be opened or read
};

// The outcome for one candidate.
struct TCandidateCheck
{
    std::string FileName;  // the word list's name, as the file system gives it
    TVerdict Verdict = TVerdict::Listed;
    std::string RowText;  // Listed: the dictionary list's row, Windows-1251
    std::string Detail;   // NotRegularFile, CountFileNotRegular: what it is instead;
                          // Unreadable: the loader's message, naming the file and the reason
    // Read from the word list, when it could be read.
    std::uint64_t WordCount = 0;
    std::uint64_t EmptyWords = 0;
    std::uint64_t FirstEmptyWord = 0;        // its index, counting from 0
    std::optional<std::uint64_t> NulOffset;  // where a NUL byte ends the list
    std::uint64_t BytesAfterNul = 0;         // not read
    // Read from the count file, when it could be read.
    std::uint64_t CountFileBytes = 0;
    std::uint64_t NegativeCounts = 0;
    std::uint64_t FirstNegativeCount = 0;  // its index, counting from 0
    bool ZeroTotal = false;                // listed, but every search passes it by
};

// A whole folder's check.
struct TFolderCheck
{
    std::vector<TCandidateCheck> Candidates;  // in the order of the scan
    std::vector<TLeftover> Leftovers;         // of interrupted writings, as FindLeftovers gives
    // The count files "NAME.cnt" whose word list NAME, a candidate's name, is missing: no row
    // shows them, yet they keep make-dict from writing NAME. In byte order.
    std::vector<std::string> LoneCountFiles;
};

// Checks every candidate of folder, in the order of the scan, exactly as loading would take it,
// holding the shared side of the folder's lock as loading does, and finds the leftovers of
// interrupted writings (none while a writer is at work) and the count files without a word list.
// Reads the files; changes nothing. Empty when folder holds nothing of the kind or is
// missing. Throws EFileError, as DictionaryCandidates does, when folder is there but cannot be
// listed.
TFolderCheck CheckFolder(const std::string& folder);
