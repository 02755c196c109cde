#pragma once
// Writing a dictionary pair, NAME.txt and NAME.txt.cnt, so that the folder scan never sees it
// half written.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

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

// Writes the pair folder/name.txt (each word then CR LF) and folder/name.txt.cnt (each count as
// 32-bit little-endian), one count per word. Both are written to temporary files in folder,
// flushed to disk, then renamed, the count file last, so that no half-written pair can ever be
// seen. When replace is false an existing file of the pair is never replaced (EPairExistsError);
// when it is true an existing pair is replaced. Throws EFileError when a file cannot be written;
// the temporary files are removed on every failure. Words must not hold CR, LF or NUL.
TWrittenPair WriteDictionaryPair(const std::string& folder, const std::string& name,
                                 const std::vector<std::string>& words,
                                 const std::vector<std::int32_t>& counts, bool replace);
