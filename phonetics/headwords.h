#pragma once
// Headwords through Hunspell's Russian dictionary: a word is a headword when it is its own stem.

#include <memory>
#include <string>
#include <string_view>

// Where Hunspell's Russian dictionary is installed (hunspell-ru).
inline constexpr const char* kHunspellRussianAff = "/usr/share/hunspell/ru_RU.aff";
inline constexpr const char* kHunspellRussianDic = "/usr/share/hunspell/ru_RU.dic";

// One Hunspell handle over the Russian dictionary. Handles are independent: each thread may use
// one of its own, but one handle serves one thread at a time.
class THeadwordTest
{
public:
    // Opens the dictionary at aff and dic (UTF-8, as hunspell-ru's SET line says). When they are
    // missing the test keeps every word; Available() tells. Throws EPhoneticsError when they are
    // there but Hunspell's library cannot be loaded.
    THeadwordTest(const std::string& aff = kHunspellRussianAff,
                  const std::string& dic = kHunspellRussianDic);
    ~THeadwordTest();
    THeadwordTest(const THeadwordTest&) = delete;
    THeadwordTest& operator=(const THeadwordTest&) = delete;

    bool Available() const { return m_handle != nullptr; }

    // Whether word (Windows-1251) is a headword: among its own stems, letter case and ё against е
    // aside, or unknown to Hunspell (such words are kept).
    bool IsHeadword(std::string_view word);

private:
    struct THandle;
    std::unique_ptr<THandle> m_handle;
};

// The size and time of the Hunspell dictionary files, as one line for the index cache's
// identity; "none" when they are missing.
std::string HeadwordDataVersion(const std::string& aff = kHunspellRussianAff,
                                const std::string& dic = kHunspellRussianDic);
