#pragma once
// The rhyme index cache: where each dictionary's index is kept, what it must have been made from,
// and the file format that saves and loads it.

#include <cstddef>
#include <optional>
#include <string>

#include "phonetics/dict_rhymes.h"

// The folder of the index cache: slovosito in the user's cache folder (XdgBaseFolder), such as
// ~/.cache/slovosito; empty when the user has none.
std::string RhymeCacheFolder();

// The cache file in folder for the dictionary whose word list is path.
std::string RhymeCachePath(const std::string& folder, const std::string& path);

// What a cached index must have been made from for the word list at path: its absolute path, the
// size and modification time of it and of its count file, and the espeak-ng and Hunspell data.
std::string RhymeCacheIdentity(const std::string& path);

// Writes index to cachePath through a temporary file renamed over it, making the folder when it
// is missing; a header holds a magic, the format's version, the word count, identity and a
// checksum. Throws EFileError (Windows-1251) when the folder or the file cannot be written.
void SaveDictRhymes(const TDictRhymes& index, const std::string& cachePath,
                    const std::string& identity);

// Reads the index at cachePath back when its header fits identity and wordCount and its checksum
// holds; nothing when the file is missing, damaged, stale or of another format.
std::optional<TDictRhymes> LoadDictRhymes(const std::string& cachePath, const std::string& identity,
                                          std::size_t wordCount);
