#pragma once
// Test support: a fresh temporary folder per test, byte-exact dictionary files in it, and the
// bytes of a file read back.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// A new empty folder under the system's temporary directory, removed with everything in it when
// the object goes.
class TTempFolder
{
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    // The folder's path, without a trailing "/".
    const std::string& Path() const { return m_path; }

    // Writes bytes to Path() + "/" + name, creating missing folders; returns the full path.
    std::string Write(const std::string& name, const std::string& bytes) const;

    // Writes the pair name + ".txt" (words in UTF-8, written as Windows-1251 with CR LF after
    // each) and name + ".txt.cnt" (the counts). Returns the word list's path.
    std::string WritePair(const std::string& name, const std::vector<std::string>& utf8Words,
                          const std::vector<std::int32_t>& counts) const;

private:
    std::string m_path;
};

// The whole file at path, byte for byte; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// The bytes of little-endian 32-bit signed counts, as a count file holds them.
std::string Counts(std::initializer_list<std::int32_t> counts);
std::string Counts(const std::vector<std::int32_t>& counts);

// For its lifetime, the process is held to file rights even when it runs as root (it gives up
// the capabilities that override them), so that a test can make a file unreadable.
class TWithoutOverrideOfFileRights
{
public:
    TWithoutOverrideOfFileRights();
    ~TWithoutOverrideOfFileRights();
    TWithoutOverrideOfFileRights(const TWithoutOverrideOfFileRights&) = delete;
    TWithoutOverrideOfFileRights& operator=(const TWithoutOverrideOfFileRights&) = delete;

private:
    std::uint32_t m_effective = 0;
    bool m_changed = false;
};
