// The rhyme index cache: its folder and file names, the identity of what an index was made from,
// and the file format, a checked header before the index's arrays.

#include "phonetics/rhyme_cache.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

#include "phonetics/headwords.h"
#include "phonetics/phonemes.h"
#include "wordstore/encoding.h"
#include "wordstore/file_io.h"
#include "wordstore/path_utils.h"

namespace {

constexpr char kMagic[8] = {'S', 'L', 'V', 'R', 'H', 'Y', 'M', '\0'};
constexpr std::uint32_t kFormatVersion = 3;

// FNV-1a, 64 bits: enough to tell a damaged cache from a sound one.
std::uint64_t Checksum(const char* data, std::size_t size)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ static_cast<unsigned char>(data[i])) * 1099511628211ULL;
    }
    return hash;
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

std::string StatText(const std::string& path)
{
    struct stat info = {};
    if (stat(path.c_str(), &info) != 0) {
        return "-";
    }
    return std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec);
}

std::string AbsolutePath(const std::string& path)
{
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return path;
    }
    std::string result = resolved;
    std::free(resolved);
    return result;
}

// Makes folder and its missing parents; throws EFileError.
void MakeFolders(const std::string& folder)
{
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            throw EFileError("Cannot create folder " + QuotedPath(part) + ". " +
                             SystemReason(errno));
        }
        if (slash == std::string::npos) {
            return;
        }
    }
}

}  // namespace

std::string RhymeCacheFolder()
{
    const std::string base = XdgBaseFolder(TXdgFolder::Cache, SystemUserEnvironment());
    return base.empty() ? std::string() : JoinPath(base, "slovosito");
}

std::string RhymeCachePath(const std::string& folder, const std::string& path)
{
    char name[32];
    std::snprintf(name, sizeof name, "rhymes-%016llx.idx",
                  static_cast<unsigned long long>(
                      Checksum(AbsolutePath(path).data(), AbsolutePath(path).size())));
    return folder + "/" + name;
}

std::string RhymeCacheIdentity(const std::string& path)
{
    const std::string absolute = AbsolutePath(path);
    return absolute + "\n" + StatText(absolute) + "\n" + StatText(absolute + ".cnt") + "\n" +
           PhonemeDataVersion() + "\n" + HeadwordDataVersion();
}

void SaveDictRhymes(const TDictRhymes& index, const std::string& cachePath,
                    const std::string& identity)
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
    Put(payload, static_cast<std::uint32_t>(index.SecondKeys.size()));
    for (const auto& [word, key] : index.SecondKeys) {
        Put(payload, word);
        Put(payload, key);
    }
    std::string file(kMagic, sizeof kMagic);
    Put(file, kFormatVersion);
    Put(file, static_cast<std::uint64_t>(index.size()));
    Put(file, static_cast<std::uint64_t>(payload.size()));
    Put(file, Checksum(payload.data(), payload.size()));
    file += payload;

    const std::size_t slash = cachePath.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        MakeFolders(cachePath.substr(0, slash));
    }
    TTempFile temp(cachePath + ".tmp" + std::to_string(getpid()), cachePath, {});
    temp.Write(file);
    temp.MoveToTarget(true);
}

std::optional<TDictRhymes> LoadDictRhymes(const std::string& cachePath, const std::string& identity,
                                          std::size_t wordCount)
{
    TFileBytes bytes;
    try {
        bytes = ReadWholeFile(cachePath);
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
    TReader in(payload, payloadSize);
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
    std::uint32_t secondCount = 0;
    if (!in.Bytes(index.KeyIds.data(), wordCount * sizeof(std::uint32_t)) ||
        !in.Bytes(index.Flags.data(), wordCount) || !in.Get(secondCount) ||
        in.Left() != secondCount * 8ULL) {
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
    return index;
}
