// Tests: the searches that need no phonetics start and run without espeak-ng and Hunspell mapped;
// a rhyme and a headword test map them. A process of its own, as a library once loaded stays.

#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "cli/cli_app.h"
#include "phonetics/headwords.h"
#include "phonetics/phonemes.h"
#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"

namespace {

// Whether a file whose name holds name is mapped into this process.
bool Mapped(const std::string& name)
{
    std::ifstream maps("/proc/self/maps");
    return std::string(std::istreambuf_iterator<char>(maps), {}).find(name) != std::string::npos;
}

TEST(PhoneticLibraries, OnlyThePhoneticSearchesLoadThem)
{
    TTempFolder folder;
    folder.WritePair("Словари/слова", {"обезьянка", "окно", "кино", "полежать"}, {5, 4, 3, 2});
    const std::string dir = folder.Path() + "/Словари";
    const std::vector<std::vector<std::string>> plain = {
        {"--version"},
        {"--help"},
        {"--dir", dir, "--ending", "янка"},
        {"--dir", dir, "--regexp", "/^по.*ать$/", "--ipm"},
        {"--dir", dir, "--anagram", "кнои", "--alpha"},
    };
    for (const std::vector<std::string>& args : plain) {
        std::ostringstream out, err;
        EXPECT_EQ(RunCli(args, out, err), 0) << args.back() << ": " << err.str();
        EXPECT_FALSE(Mapped("libespeak-ng")) << args.back();
        EXPECT_FALSE(Mapped("libhunspell")) << args.back();
    }
    // The check sees a library once it is there.
    EXPECT_FALSE(PhonemesOf(ToCp1251("окно")).empty());
    EXPECT_TRUE(Mapped("libespeak-ng"));
    const THeadwordTest headwords;
    EXPECT_EQ(Mapped("libhunspell"), headwords.Available());
}

}  // namespace
