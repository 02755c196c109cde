// Test support: temporary folders and dictionary files written byte for byte.

#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "wordstore/encoding.h"

namespace fs = std::filesystem;

TTempFolder::TTempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "slovosito-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_path = pattern;
}

TTempFolder::~TTempFolder()
{
    std::error_code ignored;
    // Tests may take rights away from files; give them back so that everything can go.
    for (auto it = fs::recursive_directory_iterator(m_path, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(m_path, ignored);
}

std::string TTempFolder::Write(const std::string& name, const std::string& bytes) const
{
    const fs::path path = fs::path(m_path) / name;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
    return path.string();
}

std::string TTempFolder::WritePair(const std::string& name,
                                   const std::vector<std::string>& utf8Words,
                                   const std::vector<std::int32_t>& counts) const
{
    std::string words;
    for (const std::string& word : utf8Words) {
        words += ToCp1251(word) + "\r\n";
    }
    Write(name + ".txt.cnt", Counts(counts));
    return Write(name + ".txt", words);
}

std::string Counts(const std::vector<std::int32_t>& counts)
{
    std::string bytes;
    for (const std::int32_t count : counts) {
        const auto value = static_cast<std::uint32_t>(count);
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    }
    return bytes;
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Counts(std::initializer_list<std::int32_t> counts)
{
    return Counts(std::vector<std::int32_t>(counts));
}

namespace {

bool CapabilityCall(long call, __user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(call, &header, data) == 0;
}

constexpr std::uint32_t kFileOverrides =
    (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);

}  // namespace

TWithoutOverrideOfFileRights::TWithoutOverrideOfFileRights()
{
    __user_cap_data_struct data[2]{};
    if (!CapabilityCall(SYS_capget, data)) {
        return;
    }
    m_effective = data[0].effective;
    if ((m_effective & kFileOverrides) == 0) {
        return;
    }
    data[0].effective &= ~kFileOverrides;
    m_changed = CapabilityCall(SYS_capset, data);
}

TWithoutOverrideOfFileRights::~TWithoutOverrideOfFileRights()
{
    if (!m_changed) {
        return;
    }
    __user_cap_data_struct data[2]{};
    if (CapabilityCall(SYS_capget, data)) {
        data[0].effective = m_effective;
        CapabilityCall(SYS_capset, data);
    }
}
