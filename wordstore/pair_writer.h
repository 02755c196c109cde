#pragma once
// Writing a dictionary pair, NAME.txt and NAME.txt.cnt, so that the folder scan never sees it
// half written.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "wordstore/file_io.h"

// The pair to be written already exists and may not be replaced. what() names the file,
// Windows-1251.
class EPairExistsError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Throws EPairExistsError when folder holds anything named name + ".txt" or name + ".txt.cnt".
void RefuseExistingPair(const std::string& folder, const std::string& name);

// The pair written by WriteDictionaryPair.
struct TWrittenPair
{
    std::string WordListPath;
    std::string CountFilePath;
    std::uint64_t WordListBytes = 0;
    std::uint64_t CountFileBytes = 0;
};

// The steps of writing a pair, in their order.
enum class TPairWriteStep {
    WordListWritten,   // the new word list is in the pending folder, flushed
    CountFileWritten,  // so is the new count file
    WordListInPlace,   // the new word list has its final name
    CountFileInPlace,  // so has the new count file
};

// Called after each step of a writing; a test stops the writing there by throwing or by ending
// the process.
using TPairWriteHook = std::function<void(TPairWriteStep)>;

// A lock of the folder is held by another program for longer than a writer waits. what() names the
// folder, Windows-1251.
class EFolderBusyError : public EFileError
{
public:
    using EFileError::EFileError;
};

// Writes the pair folder/name.txt (each word then CR LF) and folder/name.txt.cnt (each count as
// 32-bit little-endian), one count per word, holding the writers' lock throughout and the
// folder's lock exclusively only while it puts files in place (see folder_lock.h). It first deals
// with the leftovers of interrupted writings (see pair_leftovers.h), then writes both files to the
// pending folder, flushes them, and renames the word list, then the count file, into place: an
// interruption at any point leaves the old pair or the new one to every reader. When replace is
// false an existing file of the pair is never replaced nor removed (EPairExistsError); when it is
// true an existing pair is replaced. Throws EFolderBusyError when a lock does not come within
// kFolderLockWait, EFileError when a file cannot be written or the pair on disk is not the one
// written; the pending files are removed on a failure before the word list is in place, and left
// for the next writer after it. Words must not hold CR, LF or NUL. hook, when given, is called
// after each step.
TWrittenPair WriteDictionaryPair(const std::string& folder, const std::string& name,
                                 const std::vector<std::string>& words,
                                 const std::vector<std::int32_t>& counts, bool replace,
                                 const TPairWriteHook& hook = {});
