// Tests of where the programs find the rhyme-key helper: beside them, else in the libexec folder
// they are installed with.

#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "phonetics/key_worker.h"
#include "tests/support/temp_folder.h"

TEST(RhymeKeyHelperPath, IsBesideTheProgramElseInTheLibexecFolderBesideBin)
{
    const TTempFolder prefix;
    const std::string bin = prefix.Path() + "/bin/";
    const std::string installed = prefix.Write("libexec/slovosito/slovosito-rhyme-keys", "");
    EXPECT_EQ(RhymeKeyHelperPath(bin), "");  // there, but not executable
    chmod(installed.c_str(), 0755);
    EXPECT_EQ(RhymeKeyHelperPath(bin), installed);
    const std::string beside = prefix.Write("bin/slovosito-rhyme-keys", "");
    chmod(beside.c_str(), 0755);
    EXPECT_EQ(RhymeKeyHelperPath(bin), beside);
}
