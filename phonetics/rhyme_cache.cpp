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
#include <future>
#include <limits>
#include <memory>
#include <span>
#include <string_view>
#include <system_error>
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
constexpr std::uint32_t kFormatVersion = 8;
constexpr std::string_view kNamePrefix = "rhymes-";
constexpr std::string_view kNameSuffix = ".idx";
constexpr std::size_t kHashDigits = 16;
// How often a loaded index file's time of last use is brought up to date.
constexpr std::chrono::seconds kTouchEvery = std::chrono::hours(24);
// The file of the cache folder that remembers the hashes of the pairs' files, and how many it
// keeps.
constexpr std::string_view kHashMemoName = "content-hashes";
constexpr std::size_t kMemoLines = 64;
// How long ago, in seconds, a file must have been modified for its hash to be remembered.
constexpr time_t kSettled = 2;

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

// The size and hash of the bytes of file, "<size> <hash>". Throws EFileError.
std::string ContentText(const TRegularFile& file)
{
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
}

// The content texts (ContentText) of files hashed before, remembered in the cache folder by what
// tells a file's state without reading it: its device, inode, size and times to the nanosecond.
// A line of the file kHashMemoName is "<state> <content text>", the latest first.
class THashMemo
{
public:
    explicit THashMemo(std::string folder)
        : m_folder(std::move(folder))
    {
        if (m_folder.empty()) {
            return;
        }
        try {
            const TFileBytes bytes = ReadWholeFile(JoinPath(m_folder, std::string(kHashMemoName)));
            std::string_view text(bytes.Bytes.get(), bytes.Size);
            while (!text.empty() && m_lines.size() < kMemoLines) {
                const std::size_t end = std::min(text.find('\n'), text.size());
                m_lines.emplace_back(text.substr(0, end));
                text.remove_prefix(std::min(end + 1, text.size()));
            }
        } catch (const EFileError&) {
            // No memo yet, or none to be read: every file is hashed.
        }
    }

    // The content text of the file at path: remembered, or read and hashed. Nothing when the
    // file cannot be read.
    std::optional<std::string> ContentOf(const std::string& path)
    {
        try {
            const TRegularFile file = OpenRegularFile(path);
            const std::string before = StateOf(file);
            const std::string known = before + " ";
            for (const std::string& line : m_lines) {
                if (line.starts_with(known)) {
                    return line.substr(known.size());
                }
            }
            const std::string content = ContentText(file);
            // A file changed within the granularity of its times could keep them: only a file
            // whose times lie well in the past, and stayed so while it was read, is remembered.
            if (!m_folder.empty() && !before.empty() && StateOf(file) == before && Settled(file)) {
                m_lines.insert(m_lines.begin(), known + content);
                m_changed = true;
            }
            return content;
        } catch (const EFileError&) {
            return std::nullopt;
        }
    }

    // Writes the memo back when it learnt a file, through a temporary file renamed over it; a
    // memo that cannot be written is left as it was.
    void Save()
    {
        if (!m_changed) {
            return;
        }
        std::string text;
        for (std::size_t i = 0; i < m_lines.size() && i < kMemoLines; ++i) {
            text += m_lines[i] + "\n";
        }
        try {
            MakeFolders(m_folder, 0700);
            const std::unique_ptr<TTempFile> temp = NewTempFileBeside(
                JoinPath(m_folder, std::string(kHashMemoName)), {.Permissions = 0600});
            temp->Write(text);
            temp->MoveToTarget(true);
        } catch (const EFileError&) {
            // The files are hashed again next time.
        }
    }

private:
    // "<device> <inode> <size> <modified s.ns> <changed s.ns>"; empty when file cannot be asked.
    static std::string StateOf(const TRegularFile& file)
    {
        struct stat info
        {};
        if (fstat(file.Handle->get(), &info) != 0) {
            return {};
        }
        char text[160];
        std::snprintf(text, sizeof text, "%llu %llu %lld %lld.%09ld %lld.%09ld",
                      static_cast<unsigned long long>(info.st_dev),
                      static_cast<unsigned long long>(info.st_ino),
                      static_cast<long long>(info.st_size),
                      static_cast<long long>(info.st_mtim.tv_sec), info.st_mtim.tv_nsec,
                      static_cast<long long>(info.st_ctim.tv_sec), info.st_ctim.tv_nsec);
        return text;
    }

    // Whether file was last modified and changed kSettled ago or longer.
    static bool Settled(const TRegularFile& file)
    {
        struct stat info
        {};
        const time_t now = time(nullptr);
        return fstat(file.Handle->get(), &info) == 0 && now - info.st_mtim.tv_sec > kSettled &&
               now - info.st_ctim.tv_sec > kSettled;
    }

    std::string m_folder;
    std::vector<std::string> m_lines;
    bool m_changed = false;
};

template <typename T>
void Put(std::string& out, T value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// The payload, past the header: the element count of each section, then the sections in this
// order, each from the next multiple of kAlign on, so that each can be viewed in place in a
// mapping (which starts on a page); the gaps are zeros.
enum TSection : std::size_t {
    kIdentity,      // char
    kKeyStart,      // std::uint32_t, the keys' count + 1
    kKeyText,       // char
    kClassTable,    // std::uint16_t, at most 256
    kClassIds,      // std::uint8_t, one a word, or none
    kWideClasses,   // std::uint16_t, one a word when there are no ids, else none
    kSecondKeys,    // TSecondKey
    kSecondFirsts,  // std::uint32_t, the first key of each word with a second one
    kListStart,     // std::uint32_t, the keys' count + 1
    kListWords,     // std::uint32_t
    kWordStarts,    // std::uint32_t, one for every TDictRhymes::kWordsPerStart words, or none
    kSections,
};
constexpr std::size_t kAlign = 8;
// The header: the magic, the version, 4 zero bytes, then the word count, the payload's size and
// its checksum, each 8 bytes.
constexpr std::size_t kHeaderSize = sizeof kMagic + 4 + 4 + 8 + 8 + 8;
static_assert(kHeaderSize % kAlign == 0);
static_assert(sizeof(TSecondKey) == 8);

constexpr std::size_t AlignUp(std::size_t offset)
{
    return (offset + kAlign - 1) / kAlign * kAlign;
}

// Appends a section's values at the next aligned place of out.
template <typename T>
void PutSection(std::string& out, std::span<const T> values)
{
    out.resize(AlignUp(out.size()), '\0');
    out.append(reinterpret_cast<const char*>(values.data()), values.size_bytes());
}

// The sections of a payload, read where they lie.
class TSections
{
public:
    // Takes payload when its counts fit it exactly: each section within it, nothing past the
    // last, zeros in the gaps.
    bool Take(std::string_view payload)
    {
        static constexpr std::size_t kSizes[kSections] = {1, 4, 1, 2, 1, 2, sizeof(TSecondKey),
                                                          4, 4, 4, 4};
        std::size_t at = kSections * sizeof(std::uint64_t);
        if (reinterpret_cast<std::uintptr_t>(payload.data()) % kAlign != 0 || payload.size() < at) {
            return false;
        }
        m_data = payload.data();
        for (std::size_t section = 0; section < kSections; ++section) {
            std::uint64_t count = 0;
            std::memcpy(&count, payload.data() + section * sizeof count, sizeof count);
            const std::size_t start = AlignUp(at);
            if (start > payload.size() || count > (payload.size() - start) / kSizes[section] ||
                payload.substr(at, start - at).find_first_not_of('\0') != std::string_view::npos) {
                return false;
            }
            m_offset[section] = start;
            m_count[section] = static_cast<std::size_t>(count);
            at = start + m_count[section] * kSizes[section];
        }
        return at == payload.size();
    }

    template <typename T>
    TIndexArray<T> View(TSection section) const
    {
        return TIndexArray<T>::View(std::span<const T>(
            reinterpret_cast<const T*>(m_data + m_offset[section]), m_count[section]));
    }
    std::size_t Count(TSection section) const { return m_count[section]; }

private:
    const char* m_data = nullptr;
    std::size_t m_offset[kSections] = {};
    std::size_t m_count[kSections] = {};
};

// Whether starts, offsets into a text of size bytes, rise from 0 to size, each above the one
// before from the second on: every key but the first is not empty.
bool KeyStartsHold(const TIndexArray<std::uint32_t>& starts, std::size_t size)
{
    if (starts.size() < 2 || starts[0] != 0 || starts[1] != 0 || starts.back() != size) {
        return false;
    }
    for (std::size_t id = 2; id < starts.size(); ++id) {
        if (starts[id] <= starts[id - 1]) {
            return false;
        }
    }
    return true;
}

// Whether index's keys rise after "", so that KeyId() can halve.
bool KeysRise(const TDictRhymes& index)
{
    for (std::uint32_t id = 2; id < index.KeyCount(); ++id) {
        if (index.Key(id - 1) >= index.Key(id)) {
            return false;
        }
    }
    return true;
}

// Each word's key id from the key lists and the first keys of the words with two: a word's list
// is its first key's unless it has a second key. False when a list is out of range or does not
// rise.
bool TakeKeyIds(TDictRhymes& index, const TIndexArray<std::uint32_t>& secondFirsts,
                std::size_t wordCount)
{
    const TIndexArray<std::uint32_t>& starts = index.ListStart;
    if (starts.size() != index.KeyCount() + 1 || starts[0] != 0 || starts[1] != 0 ||
        starts.back() != index.ListWords.size()) {
        return false;
    }
    index.KeyIds.assign(wordCount, 0);
    for (std::uint32_t id = 1; id < index.KeyCount(); ++id) {
        if (starts[id + 1] < starts[id] || starts[id + 1] > index.ListWords.size()) {
            return false;
        }
        std::uint32_t previous = 0;
        for (std::uint32_t at = starts[id]; at < starts[id + 1]; ++at) {
            const std::uint32_t word = index.ListWords[at];
            if (word >= wordCount || (at > starts[id] && word <= previous)) {
                return false;
            }
            index.KeyIds[word] = id;
            previous = word;
        }
    }
    for (std::size_t i = 0; i < index.SecondKeys.size(); ++i) {
        const TSecondKey second = index.SecondKeys[i];
        if (second.Word >= wordCount || second.Key >= index.KeyCount() ||
            secondFirsts[i] >= index.KeyCount() ||
            (i > 0 && second.Word <= index.SecondKeys[i - 1].Word)) {
            return false;
        }
        index.KeyIds[second.Word] = secondFirsts[i];
    }
    return true;
}

// Whether starts, where every TDictRhymes::kWordsPerStart-th of wordCount words starts, are one
// for each such word, from 0 on and rising; or none.
bool WordStartsHold(const TIndexArray<std::uint32_t>& starts, std::size_t wordCount)
{
    if (starts.empty()) {
        return true;
    }
    constexpr std::size_t kEvery = TDictRhymes::kWordsPerStart;
    return starts.size() == (wordCount + kEvery - 1) / kEvery && starts[0] == 0 &&
           std::adjacent_find(starts.begin(), starts.end(), std::greater_equal<>()) == starts.end();
}

// Whether index's classes are whole: a table of at most 256 and an id in it for each word, or
// else the classes of each word.
bool ClassesHold(const TDictRhymes& index, std::size_t wordCount)
{
    if (index.ClassTable.empty()) {
        return index.ClassIds.empty() && index.WideClasses.size() == wordCount;
    }
    return index.ClassTable.size() <= 256 && index.WideClasses.empty() &&
           index.ClassIds.size() == wordCount &&
           std::all_of(index.ClassIds.begin(), index.ClassIds.end(),
                       [&](std::uint8_t id) { return id < index.ClassTable.size(); });
}

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

std::string RhymeCacheContent(const std::string& path, const std::string& cacheFolder)
{
    THashMemo memo(cacheFolder);
    const std::optional<std::string> words = memo.ContentOf(path);
    const std::optional<std::string> counts = memo.ContentOf(path + ".cnt");
    if (!words || !counts) {
        return {};
    }
    memo.Save();
    return "keys " + std::to_string(kRhymeKeyRulesVersion) + "\nwords " + *words + "\ncounts " +
           *counts;
}

std::string RhymeToolsVersion()
{
    return PhonemeDataVersion() + "\n" + HeadwordDataVersion();
}

std::string RhymeCacheIdentity(const std::string& path, const std::string& cacheFolder)
{
    const std::string content = RhymeCacheContent(path, cacheFolder);
    return content.empty() ? content : content + "\n" + RhymeToolsVersion();
}

std::string RhymeCachePath(const std::string& folder, const std::string& content)
{
    return JoinPath(folder, std::string(kNamePrefix) +
                                Hex(Checksum(content.data(), content.size())) +
                                std::string(kNameSuffix));
}

std::string RhymeCachePayload(const TDictRhymes& index, const std::string& identity)
{
    TDictRhymes listed;
    const TDictRhymes* lists = &index;
    if (index.ListStart.size() != index.KeyCount() + 1) {
        listed = index;
        listed.MakeKeyLists();
        lists = &listed;
    }
    std::vector<std::uint32_t> secondFirsts;
    for (const TSecondKey& second : index.SecondKeys) {
        secondFirsts.push_back(index.KeyIds[second.Word]);
    }
    const std::uint64_t counts[kSections] = {
        identity.size(),         index.KeyStart.size(),   index.KeyText.size(),
        index.ClassTable.size(), index.ClassIds.size(),   index.WideClasses.size(),
        index.SecondKeys.size(), secondFirsts.size(),     lists->ListStart.size(),
        lists->ListWords.size(), index.WordStarts.size(),
    };
    std::string payload(reinterpret_cast<const char*>(counts), sizeof counts);
    PutSection(payload, std::span<const char>(identity));
    PutSection(payload, index.KeyStart.Span());
    PutSection(payload, index.KeyText.Span());
    PutSection(payload, index.ClassTable.Span());
    PutSection(payload, index.ClassIds.Span());
    PutSection(payload, index.WideClasses.Span());
    PutSection(payload, index.SecondKeys.Span());
    PutSection(payload, std::span<const std::uint32_t>(secondFirsts));
    PutSection(payload, lists->ListStart.Span());
    PutSection(payload, lists->ListWords.Span());
    PutSection(payload, index.WordStarts.Span());
    return payload;
}

void SaveDictRhymes(const TDictRhymes& index, const std::string& cachePath,
                    const std::string& identity)
{
    const std::string payload = RhymeCachePayload(index, identity);
    std::string file(kMagic, sizeof kMagic);
    Put(file, kFormatVersion);
    Put(file, std::uint32_t{0});
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
    return ReadRhymeCachePayload(
        payload, [&identity] { return identity; }, wordCount);
}

std::optional<TDictRhymes> ReadRhymeCachePayload(std::string_view payload,
                                                 const std::function<std::string()>& identity,
                                                 std::size_t wordCount)
{
    TSections sections;
    if (!sections.Take(payload)) {
        return std::nullopt;
    }
    TDictRhymes index;
    index.KeyStart = sections.View<std::uint32_t>(kKeyStart);
    index.KeyText = sections.View<char>(kKeyText);
    index.ClassTable = sections.View<std::uint16_t>(kClassTable);
    index.ClassIds = sections.View<std::uint8_t>(kClassIds);
    index.WideClasses = sections.View<std::uint16_t>(kWideClasses);
    index.SecondKeys = sections.View<TSecondKey>(kSecondKeys);
    index.ListStart = sections.View<std::uint32_t>(kListStart);
    index.ListWords = sections.View<std::uint32_t>(kListWords);
    index.WordStarts = sections.View<std::uint32_t>(kWordStarts);
    // Every offset and id is in range before it is used; the keys rise as the build leaves them.
    if (!KeyStartsHold(index.KeyStart, index.KeyText.size()) || !KeysRise(index) ||
        !ClassesHold(index, wordCount) || !WordStartsHold(index.WordStarts, wordCount) ||
        sections.Count(kSecondFirsts) != index.SecondKeys.size() ||
        !TakeKeyIds(index, sections.View<std::uint32_t>(kSecondFirsts), wordCount)) {
        return std::nullopt;
    }
    const TIndexArray<char> storedIdentity = sections.View<char>(kIdentity);
    if (std::string_view(storedIdentity.data(), storedIdentity.size()) != identity()) {
        return std::nullopt;
    }
    return index;
}

std::optional<TDictRhymes> LoadDictRhymes(const std::string& cachePath, const std::string& identity,
                                          std::size_t wordCount)
{
    return LoadDictRhymes(
        cachePath, [&identity] { return identity; }, wordCount);
}

std::optional<TDictRhymes> LoadDictRhymes(const std::string& cachePath,
                                          const std::function<std::string()>& identity,
                                          std::optional<std::size_t> wordCount)
{
    TRegularFile file;
    auto bytes = std::make_shared<TFileBytes>();
    struct stat info
    {};
    try {
        file = OpenRegularFile(cachePath);
        if (fstat(file.Handle->get(), &info) != 0) {
            return std::nullopt;
        }
        // Read in one go, not parsed: the index views its arrays where they lie. Read, not
        // mapped: the file is read whole to be checked, and a mapped page touched for the first
        // time costs more than the copy of its bytes into the huge pages a read gets.
        *bytes = ReadWholeFile(file);
    } catch (const EFileError&) {
        return std::nullopt;
    }
    const std::string_view whole(bytes->Bytes.get(), bytes->Size);
    std::uint32_t version = 0;
    std::uint32_t zero = 0;
    std::uint64_t words = 0;
    std::uint64_t payloadSize = 0;
    std::uint64_t checksum = 0;
    if (whole.size() < kHeaderSize || !whole.starts_with(std::string_view(kMagic, sizeof kMagic))) {
        return std::nullopt;
    }
    std::memcpy(&version, whole.data() + sizeof kMagic, sizeof version);
    std::memcpy(&zero, whole.data() + sizeof kMagic + 4, sizeof zero);
    std::memcpy(&words, whole.data() + sizeof kMagic + 8, sizeof words);
    std::memcpy(&payloadSize, whole.data() + sizeof kMagic + 16, sizeof payloadSize);
    std::memcpy(&checksum, whole.data() + sizeof kMagic + 24, sizeof checksum);
    const std::string_view payload = whole.substr(kHeaderSize);
    if (version != kFormatVersion || zero != 0 || words != wordCount.value_or(words) ||
        words > std::numeric_limits<std::uint32_t>::max() || payloadSize != payload.size()) {
        return std::nullopt;
    }
    // The checksum is worked out on another core while the payload is read on this one, which
    // range-checks all it uses: a damaged file is turned away all the same.
    const auto sums = [payload, checksum] {
        return Checksum(payload.data(), payload.size()) == checksum;
    };
    std::future<bool> summed;
    try {
        summed = std::async(std::launch::async, sums);
    } catch (const std::system_error&) {
        summed = std::async(std::launch::deferred, sums);
    }
    std::optional<TDictRhymes> index =
        ReadRhymeCachePayload(payload, identity, static_cast<std::size_t>(words));
    if (!summed.get() || !index) {
        return std::nullopt;
    }
    index->Storage = std::move(bytes);
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
        } else if ((IsIndexName(TempFileTargetName(file.Name)) ||
                    TempFileTargetName(file.Name) == kHashMemoName) &&
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
