#pragma once
// What an interrupted writing of a dictionary pair leaves behind: how loading reads past it, how
// the folder check names it and how the next writer finishes or removes it.
//
// A writer puts the new files of a pair, under their final names, in the pending folder below
// the dictionary folder, flushes both, then renames the word list into place and the count file
// last. So after an interruption at any point:
//   pending word list present          the old pair is whole; the pending files are removed;
//   pending count file alone           the new word list is in place; its count file is pending
//                                      and is read from there, then put in place by the next
//                                      writer. Should the word list be gone since, the count file
//                                      completes nothing and is removed.

#include <string>
#include <vector>

// The pending folder's name in a dictionary folder; it does not end in ".txt".
inline constexpr char kPendingFolderName[] = ".slovosito-new";

// The path of the count file that belongs to the word list at wordListPath: the pending one when
// an interrupted writing left it there after putting the word list in place, otherwise
// wordListPath + ".cnt".
std::string CountFilePathFor(const std::string& wordListPath);

enum class TLeftoverFate {
    Removed,     // the next writer removes it
    PutInPlace,  // the next writer renames it to its final name
};

struct TLeftover
{
    std::string Name;  // relative to the dictionary folder, as the file system gives it
    TLeftoverFate Fate = TLeftoverFate::Removed;
};

// The leftovers of interrupted writings in folder, in byte order of the names: the pending
// folder's entries, and the temporary files ".slovosito-PID-N.tmp" of older versions. Changes
// nothing; empty when there are none or folder cannot be read.
std::vector<TLeftover> FindLeftovers(const std::string& folder);

// Deals with every leftover of folder as FindLeftovers tells; the pending folder stays, for the
// writers' lock goes with it (see folder_lock.h). Call it holding the writers' lock and the
// folder's lock exclusively. Throws EFileError when a
// pending count file cannot be put in place; a file that cannot be removed stays.
void RecoverLeftovers(const std::string& folder);
