#pragma once
// The rhyme index cache: where each dictionary's index is kept, what it must have been made from,
// the file format that saves and loads it, and the pruning that keeps the folder small.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "phonetics/dict_rhymes.h"

// The folder of the index cache: slovosito in the user's cache folder (XdgBaseFolder), such as
// ~/.cache/slovosito; empty when the user has none.
std::string RhymeCacheFolder();

// What a cached index must have been made from for the word list at path: its content
// (RhymeCacheContent), then, after a line break, the programs' (RhymeToolsVersion). Where the pair
// lies plays no part, so copies of one dictionary share an index. Empty when either file cannot
// be read: such a pair is indexed in memory only.
std::string RhymeCacheIdentity(const std::string& path, const std::string& cacheFolder = "");

// The part of RhymeCacheIdentity the pair makes: the version of the key rules, the sizes and a
// hash of the bytes of the word list and of its count file (path + ".cnt"); empty when either
// file cannot be read. With a cacheFolder, the hashes are remembered there by each file's device,
// inode, size and times, and a file found as it was is not read again; the files of the pair are
// only ever read.
std::string RhymeCacheContent(const std::string& path, const std::string& cacheFolder = "");

// The part of RhymeCacheIdentity the programs make: the versions of the espeak-ng and Hunspell
// data. Sets espeak-ng up. Throws EPhoneticsError.
std::string RhymeToolsVersion();

// The cache file in folder for the index of the pair of content (RhymeCacheContent): "rhymes-" +
// 16 hex digits of its hash + ".idx". The index made with other programs' data takes its place.
std::string RhymeCachePath(const std::string& folder, const std::string& content);

// Writes index to cachePath through a new temporary file beside it (NewTempFileBeside) renamed
// over it, making the folder with mode 0700 when it is missing; a header holds a magic, the
// format's version, the word count and a checksum of the payload (RhymeCachePayload). Then prunes
// the folder (PruneRhymeCache), cachePath aside. Throws EFileError (Windows-1251) when the folder
// or the file cannot be written.
void SaveDictRhymes(const TDictRhymes& index, const std::string& cachePath,
                    const std::string& identity);

// The index at cachePath when its header fits identity and wordCount and its checksum holds, its
// arrays viewed in place in the file's bytes as read, which the index keeps; nothing when the
// file is missing, damaged, stale or of another format. A file loaded gets the time now as its
// modification time, the time of its last use, when that was a day ago or more.
std::optional<TDictRhymes> LoadDictRhymes(const std::string& cachePath, const std::string& identity,
                                          std::size_t wordCount);
// As above, asking for the identity only once the file is found whole and sound, so that working
// it out may go on beside the reading; identity may throw. Without a wordCount, the index is
// taken for the number of words its header gives, for a word list not yet split.
std::optional<TDictRhymes> LoadDictRhymes(const std::string& cachePath,
                                          const std::function<std::string()>& identity,
                                          std::optional<std::size_t> wordCount);

// The part of a cache file past its header, for index made from identity: the identity, the keys,
// the word classes, the second keys, the key lists and where every 64th word starts, each array
// aligned so that it can be used where it lies. The key lists are made for it when index has none.
std::string RhymeCachePayload(const TDictRhymes& index, const std::string& identity);

// The index that payload holds (RhymeCachePayload) when it was made from identity for wordCount
// words and is whole and in the build's order: every offset and id in range, keys rising after
// "", each key list rising; nothing otherwise, and nothing when payload does not start at a
// multiple of 8. The index views its arrays in payload, which must outlive it; only the words'
// key ids are worked out from the lists. A payload that comes back is byte for byte what
// RhymeCachePayload writes of it.
std::optional<TDictRhymes> ReadRhymeCachePayload(std::string_view payload,
                                                 const std::string& identity,
                                                 std::size_t wordCount);
// As above, asking for the identity last, when the rest of payload holds.
std::optional<TDictRhymes> ReadRhymeCachePayload(std::string_view payload,
                                                 const std::function<std::string()>& identity,
                                                 std::size_t wordCount);

// How long the files of the cache may lie unused, and how much room they may take.
struct TRhymeCacheLimits
{
    std::chrono::seconds Unused = std::chrono::hours(24 * 90);
    std::uint64_t Bytes = std::uint64_t{512} << 20;
    // A temporary file older than this was left by a run that was killed.
    std::chrono::seconds Abandoned = std::chrono::hours(1);
};

// Removes from folder the index files (named as RhymeCachePath names them) not used, loaded or
// written, for limits.Unused, then the least recently used ones until the rest take at most
// limits.Bytes together, and the temporary files of index files left for limits.Abandoned. The
// file named keep stays; no other file, nor a link, is ever removed. Files that cannot be removed
// stay.
void PruneRhymeCache(const std::string& folder, const std::string& keep = "",
                     const TRhymeCacheLimits& limits = {});

// The index files in a cache folder and the bytes they take together.
struct TRhymeCacheUsage
{
    std::size_t Files = 0;
    std::uint64_t Bytes = 0;
};

// The index files in folder, as PruneRhymeCache counts them; none when folder is missing.
TRhymeCacheUsage RhymeCacheUsage(const std::string& folder);
