// The rhyme index cache: its folder and file names, the identity of what an index was made from,
// the file format, a checked header before the index's arrays, and the folder's pruning.

#include "phonetics/rhyme_cache.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "phonetics/headwords.h"
#include "phonetics/phonemes.h"
#include "phonetics/rhyme_key.h"
#include "wordstore/file_io.h"
#include "wordstore/path_utils.h"

namespace {

constexpr char kMagic[8] = {'S', 'L', 'V', 'R', 'H', 'Y', 'M', '\0'};
constexpr std::uint32_t kFormatVersion = 6;
constexpr std::string_view kNamePrefix = "rhymes-";
constexpr std::string_view kNameSuffix = ".idx";
constexpr std::size_t kHashDigits = 16;
// How often a loaded index file's time of last use is brought up to date.
constexpr std::chrono::seconds kTouchEvery = std::chrono::hours(24);

constexpr std::uint64_t kPrime1 = 11400714785074694791ULL;
constexpr std::uint64_t kPrime2 = 14029467366897019727ULL;
constexpr std::uint64_t kPrime3 = 1609587929392839161ULL;
constexpr std::uint64_t kPrime4 = 9650029242287828579ULL;
constexpr std::uint64_t kPrime5 = 2870177450012600261ULL;

// A 64-bit hash with XXH64's rounds: four lanes of 8-byte words, so that a dictionary is hashed
// at several bytes a cycle, a small part of loading its cached index. Fed in stripes of 32
// bytes, then finished with the rest.
class THash
{
public:
    static constexpr std::size_t kStripe = 32;

    // Takes the whole stripes of size bytes at data; size is a multiple of kStripe.
    void Stripes(const char* data, std::size_t size)
    {
        for (std::size_t at = 0; at + kStripe <= size; at += kStripe) {
            for (int lane = 0; lane < 4; ++lane) {
                m_lanes[lane] = Round(m_lanes[lane], Word64(data + at + 8 * lane));
            }
        }
        m_length += size;
    }

    // The hash of all bytes given before and the size bytes at data.
    std::uint64_t Finish(const char* data, std::size_t size)
    {
        const std::size_t whole = size - size % kStripe;
        Stripes(data, whole);
        data += whole;
        size -= whole;
        std::uint64_t hash = kPrime5;
        if (m_length > 0) {
            hash = std::rotl(m_lanes[0], 1) + std::rotl(m_lanes[1], 7) + std::rotl(m_lanes[2], 12) +
                   std::rotl(m_lanes[3], 18);
            for (const std::uint64_t lane : m_lanes) {
                hash = (hash ^ Round(0, lane)) * kPrime1 + kPrime4;
            }
        }
        hash += m_length + size;
        for (; size >= 8; data += 8, size -= 8) {
            hash = std::rotl(hash ^ Round(0, Word64(data)), 27) * kPrime1 + kPrime4;
        }
        if (size >= 4) {
            std::uint32_t word = 0;
            std::memcpy(&word, data, 4);
            hash = std::rotl(hash ^ (word * kPrime1), 23) * kPrime2 + kPrime3;
            data += 4;
            size -= 4;
        }
        for (; size > 0; ++data, --size) {
            hash = std::rotl(hash ^ (static_cast<unsigned char>(*data) * kPrime5), 11) * kPrime1;
        }
        hash = (hash ^ (hash >> 33)) * kPrime2;
        hash = (hash ^ (hash >> 29)) * kPrime3;
        return hash ^ (hash >> 32);
    }

private:
    static std::uint64_t Word64(const char* data)
    {
        std::uint64_t word = 0;
        std::memcpy(&word, data, sizeof word);
        return word;
    }
    static std::uint64_t Round(std::uint64_t lane, std::uint64_t word)
    {
        return std::rotl(lane + word * kPrime2, 31) * kPrime1;
    }

    std::uint64_t m_lanes[4] = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
    std::uint64_t m_length = 0;
};

std::uint64_t Checksum(const char* data, std::size_t size)
{
    return THash().Finish(data, size);
}

std::string Hex(std::uint64_t value)
{
    char digits[kHashDigits + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(value));
    return digits;
}

// The size and hash of the file at path, "<size> <hash>"; nothing when it cannot be read.
std::optional<std::string> ContentText(const std::string& path)
{
    try {
        const TRegularFile file = OpenRegularFile(path);
        // Whole stripes at a time, so that only the last read has a rest.
        constexpr std::size_t kChunk = std::size_t{1} << 20;
        static_assert(kChunk % THash::kStripe == 0);
        std::string chunk(std::min(kChunk, file.Size), '\0');
        THash hash;
        std::size_t total = 0;
        for (;;) {
            const std::size_t got = ReadUpTo(file, chunk.data(), chunk.size());
            total += got;
            if (got < chunk.size() || got == 0 || total >= file.Size) {
                return std::to_string(total) + " " + Hex(hash.Finish(chunk.data(), got));
            }
            hash.Stripes(chunk.data(), got);
        }
    } catch (const EFileError&) {
        return std::nullopt;
    }
}

template <typename T>
void Put(std::string& out, T value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// Reads from a byte range, failing softly at its end.
class TReader
{
public:
    TReader(const char* data, std::size_t size)
        : m_data(data)
        , m_left(size)
    {}

    template <typename T>
    bool Get(T& value)
    {
        return Bytes(&value, sizeof value);
    }
    bool Bytes(void* out, std::size_t size)
    {
        if (size > m_left) {
            return false;
        }
        if (size == 0) {
            // out may be the data of an empty vector: no pointer at all.
            return true;
        }
        std::memcpy(out, m_data, size);
        m_data += size;
        m_left -= size;
        return true;
    }
    std::size_t Left() const { return m_left; }

private:
    const char* m_data;
    std::size_t m_left;
};

// Whether name is an index file's name as RhymeCachePath makes it.
bool IsIndexName(std::string_view name)
{
    if (name.size() != kNamePrefix.size() + kHashDigits + kNameSuffix.size() ||
        !name.starts_with(kNamePrefix) || !name.ends_with(kNameSuffix)) {
        return false;
    }
    return name.substr(kNamePrefix.size(), kHashDigits).find_first_not_of("0123456789abcdef") ==
           std::string_view::npos;
}

// Removes folder's file name; a file that cannot be removed stays.
void RemoveIn(const std::string& folder, const std::string& name)
{
    unlink(JoinPath(folder, name).c_str());
}

}  // namespace

std::string RhymeCacheFolder()
{
    const std::string base = XdgBaseFolder(TXdgFolder::Cache, SystemUserEnvironment());
    return base.empty() ? std::string() : JoinPath(base, "slovosito");
}

std::string RhymeCacheIdentity(const std::string& path)
{
    const std::optional<std::string> words = ContentText(path);
    const std::optional<std::string> counts = ContentText(path + ".cnt");
    if (!words || !counts) {
        return {};
    }
    return "keys " + std::to_string(kRhymeKeyRulesVersion) + "\nwords " + *words + "\ncounts " +
           *counts + "\n" + PhonemeDataVersion() + "\n" + HeadwordDataVersion();
}

std::string RhymeCachePath(const std::string& folder, const std::string& identity)
{
    return JoinPath(folder, std::string(kNamePrefix) +
                                Hex(Checksum(identity.data(), identity.size())) +
                                std::string(kNameSuffix));
}

std::string RhymeCachePayload(const TDictRhymes& index, const std::string& identity)
{
    std::string payload;
    Put(payload, static_cast<std::uint32_t>(identity.size()));
    payload += identity;
    Put(payload, static_cast<std::uint32_t>(index.Keys.size()));
    for (const std::string& key : index.Keys) {
        Put(payload, static_cast<std::uint16_t>(key.size()));
        payload += key;
    }
    payload.append(reinterpret_cast<const char*>(index.KeyIds.data()),
                   index.KeyIds.size() * sizeof(std::uint32_t));
    payload.append(reinterpret_cast<const char*>(index.Flags.data()), index.Flags.size());
    payload.append(reinterpret_cast<const char*>(index.Classes.data()),
                   index.Classes.size() * sizeof(std::uint16_t));
    Put(payload, static_cast<std::uint32_t>(index.SecondKeys.size()));
    for (const auto& [word, key] : index.SecondKeys) {
        Put(payload, word);
        Put(payload, key);
    }
    return payload;
}

void SaveDictRhymes(const TDictRhymes& index, const std::string& cachePath,
                    const std::string& identity)
{
    const std::string payload = RhymeCachePayload(index, identity);
    std::string file(kMagic, sizeof kMagic);
    Put(file, kFormatVersion);
    Put(file, static_cast<std::uint64_t>(index.size()));
    Put(file, static_cast<std::uint64_t>(payload.size()));
    Put(file, Checksum(payload.data(), payload.size()));
    file += payload;

    const std::size_t slash = cachePath.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : cachePath.substr(0, slash);
    if (slash != std::string::npos && slash > 0) {
        MakeFolders(folder, 0700);
    }
    const std::unique_ptr<TTempFile> temp = NewTempFileBeside(cachePath, {.Permissions = 0600});
    temp->Write(file);
    temp->MoveToTarget(true);
    PruneRhymeCache(folder, FileNameOnly(cachePath));
}

std::optional<TDictRhymes> ReadRhymeCachePayload(std::string_view payload,
                                                 const std::string& identity, std::size_t wordCount)
{
    TReader in(payload.data(), payload.size());
    std::uint32_t identitySize = 0;
    if (!in.Get(identitySize) || identitySize > in.Left()) {
        return std::nullopt;
    }
    std::string storedIdentity(identitySize, '\0');
    in.Bytes(storedIdentity.data(), identitySize);
    if (storedIdentity != identity) {
        return std::nullopt;
    }
    TDictRhymes index;
    std::uint32_t keyCount = 0;
    if (!in.Get(keyCount) || keyCount == 0 || keyCount > in.Left()) {
        return std::nullopt;
    }
    index.Keys.resize(keyCount);
    for (std::string& key : index.Keys) {
        std::uint16_t size = 0;
        if (!in.Get(size) || size > in.Left()) {
            return std::nullopt;
        }
        key.resize(size);
        in.Bytes(key.data(), size);
    }
    index.KeyIds.resize(wordCount);
    index.Flags.resize(wordCount);
    index.Classes.resize(wordCount);
    std::uint32_t secondCount = 0;
    if (!in.Bytes(index.KeyIds.data(), wordCount * sizeof(std::uint32_t)) ||
        !in.Bytes(index.Flags.data(), wordCount) ||
        !in.Bytes(index.Classes.data(), wordCount * sizeof(std::uint16_t)) ||
        !in.Get(secondCount) || in.Left() != secondCount * 8ULL) {
        return std::nullopt;
    }
    index.SecondKeys.resize(secondCount);
    for (auto& [word, key] : index.SecondKeys) {
        in.Get(word);
        in.Get(key);
        if (word >= wordCount || key >= keyCount) {
            return std::nullopt;
        }
    }
    for (const std::uint32_t id : index.KeyIds) {
        if (id >= keyCount) {
            return std::nullopt;
        }
    }
    // As the build leaves them: "" first and the other keys, none empty, rising after it, so that
    // KeyId() can halve; at most one second key a word, by word, so that a search can find a
    // word's by halving too.
    const auto byWord = [](const auto& a, const auto& b) { return a.first >= b.first; };
    if (!index.Keys[0].empty() || (index.Keys.size() > 1 && index.Keys[1].empty()) ||
        std::adjacent_find(index.Keys.begin() + 1, index.Keys.end(), std::greater_equal<>()) !=
            index.Keys.end() ||
        std::adjacent_find(index.SecondKeys.begin(), index.SecondKeys.end(), byWord) !=
            index.SecondKeys.end()) {
        return std::nullopt;
    }
    return index;
}

std::optional<TDictRhymes> LoadDictRhymes(const std::string& cachePath, const std::string& identity,
                                          std::size_t wordCount)
{
    TRegularFile file;
    TFileBytes bytes;
    struct stat info
    {};
    try {
        file = OpenRegularFile(cachePath);
        if (fstat(file.Handle->get(), &info) != 0) {
            return std::nullopt;
        }
        bytes = ReadWholeFile(file);
    } catch (const EFileError&) {
        return std::nullopt;
    }
    TReader header(bytes.Bytes.get(), bytes.Size);
    char magic[sizeof kMagic] = {};
    std::uint32_t version = 0;
    std::uint64_t words = 0;
    std::uint64_t payloadSize = 0;
    std::uint64_t checksum = 0;
    if (!header.Bytes(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof kMagic) != 0 ||
        !header.Get(version) || version != kFormatVersion || !header.Get(words) ||
        words != wordCount || !header.Get(payloadSize) || !header.Get(checksum) ||
        payloadSize != header.Left()) {
        return std::nullopt;
    }
    const char* payload = bytes.Bytes.get() + (bytes.Size - header.Left());
    if (Checksum(payload, payloadSize) != checksum) {
        return std::nullopt;
    }
    std::optional<TDictRhymes> index =
        ReadRhymeCachePayload(std::string_view(payload, payloadSize), identity, wordCount);
    if (!index) {
        return std::nullopt;
    }
    // The time of last use is the modification time, which pruning reads; touched at most once a
    // day, so that a load seldom writes.
    if (time(nullptr) - info.st_mtim.tv_sec >= kTouchEvery.count()) {
        const timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
        futimens(file.Handle->get(), times);
    }
    return index;
}

void PruneRhymeCache(const std::string& folder, const std::string& keep,
                     const TRhymeCacheLimits& limits)
{
    const auto now = std::chrono::system_clock::now();
    std::vector<TFolderFile> indexes;
    // The kept file counts against the bound too, though it is never removed.
    std::uint64_t bytes = 0;
    for (TFolderFile& file : RegularFilesIn(folder)) {
        if (IsIndexName(file.Name)) {
            if (file.Name == keep) {
                bytes += file.Size;
            } else if (now - file.Modified > limits.Unused) {
                RemoveIn(folder, file.Name);
            } else {
                bytes += file.Size;
                indexes.push_back(std::move(file));
            }
        } else if (IsIndexName(TempFileTargetName(file.Name)) &&
                   now - file.Modified > limits.Abandoned) {
            RemoveIn(folder, file.Name);
        }
    }
    std::sort(indexes.begin(), indexes.end(),
              [](const TFolderFile& a, const TFolderFile& b) { return a.Modified < b.Modified; });
    for (const TFolderFile& file : indexes) {
        if (bytes <= limits.Bytes) {
            break;
        }
        RemoveIn(folder, file.Name);
        bytes -= file.Size;
    }
}

TRhymeCacheUsage RhymeCacheUsage(const std::string& folder)
{
    TRhymeCacheUsage usage;
    for (const TFolderFile& file : RegularFilesIn(folder)) {
        if (IsIndexName(file.Name)) {
            ++usage.Files;
            usage.Bytes += file.Size;
        }
    }
    return usage;
}
