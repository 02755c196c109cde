// Tests of the choice of the dictionary folder: --dir, the folder beside the program, the user's
// folder with the first-run copy of the installed sample, and what happens when it cannot be made;
// and of the user's base folders that it and the rhyme cache share.

#include "wordstore/dictionary_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/temp_folder.h"
#include "wordstore/encoding.h"
#include "wordstore/path_utils.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::ThrowsMessage;

bool IsFolder(const std::string& path)
{
    return fs::is_directory(path);
}

// Sets an environment variable (unsets it for nullptr) for its lifetime; the old value, or its
// absence, comes back after.
class TEnvironmentValue
{
public:
    TEnvironmentValue(const char* name, const char* value)
        : m_name(name)
    {
        const char* old = std::getenv(name);
        m_wasSet = old != nullptr;
        m_old = m_wasSet ? old : "";
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~TEnvironmentValue()
    {
        if (m_wasSet) {
            setenv(m_name, m_old.c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    TEnvironmentValue(const TEnvironmentValue&) = delete;
    TEnvironmentValue& operator=(const TEnvironmentValue&) = delete;

private:
    const char* m_name;
    std::string m_old;
    bool m_wasSet = false;
};

// A program in prefix/bin, a home with no data folder yet, and a place for an installed sample.
class ChooseDictionaryFolderTest : public ::testing::Test
{
protected:
    std::string Prefix() const { return m_temp.Path() + "/prefix"; }
    std::string ExeDir() const { return Prefix() + "/bin/"; }
    std::string Beside() const { return ExeDir() + "Словари"; }
    std::string Sample() const { return Prefix() + "/share/slovosito/Словари"; }
    std::string Home() const { return m_temp.Path() + "/home"; }
    std::string User() const { return Home() + "/.local/share/slovosito/Словари"; }

    void SetUp() override { fs::create_directories(ExeDir()); }

    // The pair and the README an installation ships.
    void InstallSample() const
    {
        m_temp.WritePair("prefix/share/slovosito/Словари/sample", {"банка", "янка"}, {7, 5});
        m_temp.Write("prefix/share/slovosito/Словари/README.md", "# Образец\n\x01\xFF\n");
    }

    TFolderSetting Setting(bool canCreate = true)
    {
        TFolderSetting setting;
        setting.ExeDir = ExeDir();
        setting.Home = Home();
        setting.CanCreateIn = [this, canCreate](const std::string& folder) {
            m_asked.push_back(folder);
            return canCreate;
        };
        return setting;
    }

    TTempFolder m_temp;
    std::vector<std::string> m_asked;
};

TEST_F(ChooseDictionaryFolderTest, GivenFolderIsTakenAsItIsAndMustExist)
{
    InstallSample();
    TFolderSetting setting = Setting();
    setting.Dir = m_temp.Path();
    const TDictionaryFolder chosen = ChooseDictionaryFolder(setting);
    EXPECT_EQ(chosen.Path, m_temp.Path());
    EXPECT_EQ(chosen.Choice, TFolderChoice::Given);
    EXPECT_THAT(chosen.Errors, IsEmpty());
    EXPECT_FALSE(fs::exists(Home()));
    EXPECT_FALSE(fs::exists(Beside()));

    setting.Dir = m_temp.Path() + "/none";
    EXPECT_THAT([&] { ChooseDictionaryFolder(setting); },
                ThrowsMessage<ENoSuchFolder>("no such folder \"" + m_temp.Path() + "/none\""));
}

TEST_F(ChooseDictionaryFolderTest,
       BesideTheProgramWhenThereOrWhenAProgramThatIsNotInstalledCanMakeIt)
{
    struct TCase
    {
        const char* What;
        bool BesideExists;
        bool Installed;
        bool CanCreate;
        bool ChoosesBeside;
    };
    const TCase cases[] = {
        {"build folder: made by the loader later", false, false, true, true},
        {"build folder, already made", true, false, true, true},
        {"portable copy in a folder it cannot write", true, false, false, true},
        {"installed, with a folder put beside it", true, true, false, true},
        {"installed, running as root", false, true, true, false},
        {"installed, running as a user", false, true, false, false},
        {"not installed, in a folder it cannot write", false, false, false, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        fs::remove_all(Prefix() + "/share");
        fs::remove_all(Beside());
        fs::remove_all(Home());
        fs::create_directories(Home());
        if (c.BesideExists) {
            fs::create_directory(Beside());
        }
        if (c.Installed) {
            InstallSample();
        }
        const TDictionaryFolder chosen = ChooseDictionaryFolder(Setting(c.CanCreate));
        EXPECT_THAT(chosen.Errors, IsEmpty());
        if (c.ChoosesBeside) {
            EXPECT_EQ(chosen.Path, Beside());
            EXPECT_EQ(chosen.Choice, TFolderChoice::BesideProgram);
            EXPECT_EQ(IsFolder(Beside()), c.BesideExists);  // the choice makes nothing
            EXPECT_FALSE(fs::exists(Home() + "/.local"));
        } else {
            EXPECT_EQ(chosen.Path, User());
            EXPECT_EQ(chosen.Choice, TFolderChoice::UserFolder);
            EXPECT_EQ(chosen.Installed, c.Installed);
            EXPECT_TRUE(IsFolder(User()));
            EXPECT_FALSE(fs::exists(Beside()));
        }
    }
}

TEST_F(ChooseDictionaryFolderTest, TheWritableProbeAsksAboutTheProgramsFolder)
{
    ChooseDictionaryFolder(Setting());
    EXPECT_THAT(m_asked, ElementsAre(ExeDir()));
}

TEST_F(ChooseDictionaryFolderTest, FirstUseCopiesEveryRegularFileOfTheSampleByteForByte)
{
    InstallSample();
    fs::create_directory(Sample() + "/old");
    m_temp.Write("prefix/share/slovosito/Словари/old/x.txt", "x");
    const TDictionaryFolder chosen = ChooseDictionaryFolder(Setting(false));
    ASSERT_EQ(chosen.Path, User());
    EXPECT_THAT(chosen.Errors, IsEmpty());
    for (const char* name : {"sample.txt", "sample.txt.cnt", "README.md"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadFileBytes(User() + "/" + name), ReadFileBytes(Sample() + "/" + name));
    }
    EXPECT_EQ(ReadFileBytes(User() + "/sample.txt.cnt"), Counts({7, 5}));
    EXPECT_FALSE(fs::exists(User() + "/old"));  // folders of the sample are not copied
}

TEST_F(ChooseDictionaryFolderTest, AFolderThatExistsIsNeverFilledAgain)
{
    InstallSample();
    ChooseDictionaryFolder(Setting(false));
    // The user removes the sample and changes its README; the installation gains a file.
    fs::remove(User() + "/sample.txt");
    fs::remove(User() + "/sample.txt.cnt");
    m_temp.Write("home/.local/share/slovosito/Словари/README.md", "mine");
    m_temp.Write("prefix/share/slovosito/Словари/new.txt", "new");
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        const TDictionaryFolder chosen = ChooseDictionaryFolder(Setting(false));
        EXPECT_EQ(chosen.Path, User());
        EXPECT_THAT(chosen.Errors, IsEmpty());
        EXPECT_FALSE(fs::exists(User() + "/sample.txt"));
        EXPECT_FALSE(fs::exists(User() + "/new.txt"));
        EXPECT_EQ(ReadFileBytes(User() + "/README.md"), "mine");
    }
}

TEST_F(ChooseDictionaryFolderTest, XdgDataHomeIsTakenOnlyWhenAbsolute)
{
    InstallSample();
    const std::string data = m_temp.Path() + "/data";
    // $XDG_DATA_HOME, then the folder chosen.
    const std::pair<std::string, std::string> cases[] = {
        {data, data + "/slovosito/Словари"},
        {data + "/", data + "/slovosito/Словари"},
        {"", User()},
        {"relative/data", User()},
    };
    for (const auto& [xdgDataHome, expected] : cases) {
        SCOPED_TRACE(xdgDataHome);
        fs::remove_all(data);
        fs::remove_all(Home());
        TFolderSetting setting = Setting(false);
        setting.XdgDataHome = xdgDataHome;
        const TDictionaryFolder chosen = ChooseDictionaryFolder(setting);
        EXPECT_EQ(chosen.Path, expected);
        EXPECT_THAT(chosen.Errors, IsEmpty());
        EXPECT_EQ(ReadFileBytes(expected + "/sample.txt.cnt"), Counts({7, 5}));
        EXPECT_FALSE(fs::exists(User()) && expected != User());
    }
}

TEST(UserDictionaryFolder, FollowsTheXdgRuleWithTheHomeFallback)
{
    // $XDG_DATA_HOME, $HOME, then the folder.
    const char* const cases[][3] = {
        {"/data", "/home/u", "/data/slovosito/Словари"},
        {"", "/home/u", "/home/u/.local/share/slovosito/Словари"},
        {"data", "/home/u/", "/home/u/.local/share/slovosito/Словари"},
        {"/data", "", "/data/slovosito/Словари"},
        {"", "", ""},
        {"data", "home/u", ""},
    };
    for (const auto& [xdgDataHome, home, folder] : cases) {
        SCOPED_TRACE(std::string(xdgDataHome) + " | " + home);
        EXPECT_EQ(UserDictionaryFolder(xdgDataHome, home), folder);
    }
}

TEST(XdgBaseFolder, TakesOnlyAbsolutePathsAndFallsBackToThePasswordDatabasesHome)
{
    // $HOME, the password database's home, $XDG_CACHE_HOME, then the cache folder.
    const char* const cases[][4] = {
        {"/home/u", "/pw", "/cache", "/cache"},
        {"/home/u", "/pw", "cache", "/home/u/.cache"},
        {"/home/u/", "/pw", "", "/home/u/.cache"},
        {"", "/pw", "", "/pw/.cache"},
        {"home/u", "/pw", "", "/pw/.cache"},
        {"home/u", "pw", "", ""},
        {"", "", "/cache", "/cache"},
    };
    for (const auto& [home, passwdHome, cacheHome, folder] : cases) {
        SCOPED_TRACE(std::string(home) + " | " + passwdHome + " | " + cacheHome);
        TUserEnvironment environment;
        environment.Home = home;
        environment.PasswdHome = passwdHome;
        environment.XdgCacheHome = cacheHome;
        EXPECT_EQ(XdgBaseFolder(TXdgFolder::Cache, environment), folder);
    }
    // Each folder reads its own variable.
    TUserEnvironment environment;
    environment.Home = "/h";
    environment.XdgConfigHome = "/config";
    EXPECT_EQ(XdgBaseFolder(TXdgFolder::Config, environment), "/config");
    EXPECT_EQ(XdgBaseFolder(TXdgFolder::Data, environment), "/h/.local/share");
    EXPECT_EQ(XdgBaseFolder(TXdgFolder::Cache, environment), "/h/.cache");
}

TEST(SystemUserEnvironment, AHomeUnsetOrRelativeIsThePasswordDatabases)
{
    const passwd* user = getpwuid(getuid());
    ASSERT_NE(user, nullptr);
    for (const char* home : {static_cast<const char*>(nullptr), "", "relative"}) {
        SCOPED_TRACE(home != nullptr ? home : "unset");
        const TEnvironmentValue value("HOME", home);
        EXPECT_EQ(UserHomeFolder(SystemUserEnvironment()), user->pw_dir);
    }
}

TEST(InstalledSampleFolder, LiesInTheShareFolderBesideBin)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/", "/usr/share/slovosito/Словари"},
        {"/opt/слово/bin/", "/opt/слово/share/slovosito/Словари"},
        {"/bin/", "/share/slovosito/Словари"},
        {"", ""},
    };
    for (const auto& [exeDir, sample] : cases) {
        SCOPED_TRACE(exeDir);
        EXPECT_EQ(InstalledSampleFolder(exeDir), sample);
    }
}

TEST_F(ChooseDictionaryFolderTest, AHomeWhereNothingCanBeMadeFallsBackToTheSampleReadInPlace)
{
    // A home that is a file stops every process, root's too.
    m_temp.Write("home", "not a folder");
    const std::string error = ToCp1251("Cannot create folder \"" + User() + "\". Not a directory");
    {
        SCOPED_TRACE("without an installed sample");
        const TDictionaryFolder chosen = ChooseDictionaryFolder(Setting(false));
        EXPECT_EQ(chosen.Path, User());
        EXPECT_EQ(chosen.Choice, TFolderChoice::UserFolder);
        EXPECT_THAT(chosen.Errors, ElementsAre(error));
    }
    {
        SCOPED_TRACE("with one");
        InstallSample();
        const TDictionaryFolder chosen = ChooseDictionaryFolder(Setting(true));
        EXPECT_EQ(chosen.Path, Sample());
        EXPECT_EQ(chosen.Choice, TFolderChoice::InstalledSample);
        EXPECT_THAT(chosen.Errors, ElementsAre(error));
        EXPECT_EQ(ReadFileBytes(Sample() + "/sample.txt.cnt"), Counts({7, 5}));
    }
}

TEST_F(ChooseDictionaryFolderTest, AHomeWithoutTheRightToWriteIsReportedWithTheSystemsReason)
{
    const TWithoutOverrideOfFileRights asOwner;
    InstallSample();
    fs::create_directories(Home());
    ASSERT_EQ(chmod(Home().c_str(), 0555), 0);
    // access() would ask for the rights of the real user, who may still be root.
    std::error_code probeError;
    if (fs::create_directory(Home() + "/probe", probeError)) {
        chmod(Home().c_str(), 0755);
        GTEST_SKIP() << "this process writes into folders whatever their rights";
    }
    const TDictionaryFolder chosen = ChooseDictionaryFolder(Setting(false));
    chmod(Home().c_str(), 0755);
    EXPECT_EQ(chosen.Path, Sample());
    EXPECT_THAT(chosen.Errors, ElementsAre(ToCp1251("Cannot create folder \"" + User() +
                                                    "\". Permission denied")));
}

TEST_F(ChooseDictionaryFolderTest, WithoutAnyHomeTheFolderStaysWhereItCanBeRead)
{
    const std::string error = ToCp1251(
        "Cannot find the user's folder: neither XDG_DATA_HOME nor HOME is an absolute path");
    TFolderSetting setting = Setting(false);
    setting.Home = "";
    setting.XdgDataHome = "relative";
    TDictionaryFolder chosen = ChooseDictionaryFolder(setting);
    EXPECT_EQ(chosen.Path, Beside());
    EXPECT_EQ(chosen.Choice, TFolderChoice::BesideProgram);
    EXPECT_THAT(chosen.Errors, ElementsAre(error));

    InstallSample();
    chosen = ChooseDictionaryFolder(setting);
    EXPECT_EQ(chosen.Path, Sample());
    EXPECT_EQ(chosen.Choice, TFolderChoice::InstalledSample);
    EXPECT_THAT(chosen.Errors, ElementsAre(error));
}

TEST_F(ChooseDictionaryFolderTest, ASampleFileThatCannotBeCopiedIsReportedAndTheRestIsCopied)
{
    const TWithoutOverrideOfFileRights asOwner;
    InstallSample();
    ASSERT_EQ(chmod((Sample() + "/README.md").c_str(), 0), 0);
    if (std::ifstream(Sample() + "/README.md").is_open()) {
        GTEST_SKIP() << "this process reads files whatever their rights";
    }
    const TDictionaryFolder chosen = ChooseDictionaryFolder(Setting(false));
    EXPECT_EQ(chosen.Path, User());
    EXPECT_THAT(chosen.Errors,
                ElementsAre(ToCp1251("Cannot copy file \"" + Sample() + "/README.md\" to \"" +
                                     User() + "\". Permission denied")));
    EXPECT_EQ(ReadFileBytes(User() + "/sample.txt.cnt"), Counts({7, 5}));
}

TEST(SystemFolderSetting, ReadsTheEnvironmentAndProbesTheRightToWrite)
{
    const TTempFolder temp;
    const std::string file = temp.Write("file", "x");
    TFolderSetting setting;
    {
        const TEnvironmentValue xdgDataHome("XDG_DATA_HOME", "/data/x");
        const TEnvironmentValue home("HOME", "/home/x");
        setting = SystemFolderSetting("dir");
    }
    EXPECT_EQ(setting.Dir, "dir");
    EXPECT_EQ(setting.ExeDir, ExeDir);
    EXPECT_EQ(setting.XdgDataHome, "/data/x");
    EXPECT_EQ(setting.Home, "/home/x");
    EXPECT_TRUE(setting.CanCreateIn(temp.Path()));
    EXPECT_FALSE(setting.CanCreateIn(temp.Path() + "/none"));
    EXPECT_FALSE(setting.CanCreateIn(file + "/"));
}

}  // namespace
