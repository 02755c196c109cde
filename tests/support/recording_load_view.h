#pragma once
// Test support: a load view that records what loading reports, in UTF-8 for readable
// expectations. Header-only and free of GoogleTest, so that the benchmarks can use it too.

#include <string>
#include <vector>

#include "wordstore/encoding.h"
#include "wordstore/word_store.h"

// Keeps every report of loading in the order it came, converted to UTF-8.
class TRecordingLoadView : public TLoadView
{
public:
    void AddDictionaryRow(const TDictionaryRow& row) override
    {
        Names.push_back(row.Stem);  // the file system's bytes already
        Paths.push_back(row.WordListPath + " " + row.CountFilePath);
        Rows.push_back(ToUtf8(row.RowText));
    }
    void WarnDamaged(const std::string& message) override { Warnings.push_back(ToUtf8(message)); }
    void ReportLoadError(const std::string& message) override { Errors.push_back(ToUtf8(message)); }

    std::vector<std::string> Names;
    std::vector<std::string> Paths;  // the word list's and the count file's, a space between
    std::vector<std::string> Rows;
    std::vector<std::string> Warnings;
    std::vector<std::string> Errors;
};
