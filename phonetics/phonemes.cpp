// espeak-ng in-process: set up once, called under one lock, word by word.

#include "phonetics/phonemes.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>

#include <espeak-ng/speak_lib.h>
#include <sys/stat.h>

#include "phonetics/rhyme_key.h"
#include "phonetics/shared_library.h"
#include "wordstore/encoding.h"

namespace {

// espeak-ng keeps its voice and translator in globals of its own and is not thread-safe; this
// lock is the one way into it, and the library is loaded and set up under it at the first call.
struct TEspeak
{
    std::mutex Lock;
    bool Ready = false;
    decltype(&espeak_Initialize) Initialize = nullptr;
    decltype(&espeak_SetVoiceByName) SetVoiceByName = nullptr;
    decltype(&espeak_TextToPhonemes) TextToPhonemes = nullptr;
    decltype(&espeak_Info) Info = nullptr;
};

TEspeak& Espeak()
{
    static TEspeak espeak;
    return espeak;
}

// Sets espeak up; the caller holds the lock.
void SetUp(TEspeak& espeak)
{
    if (espeak.Ready) {
        return;
    }
    // Only rhymes need espeak-ng, with the sound libraries it links: loaded on the first word.
    const TSharedLibrary library("libespeak-ng.so.1", "espeak-ng", "libespeak-ng1");
    espeak.Initialize = library.Function<decltype(espeak_Initialize)>("espeak_Initialize");
    espeak.SetVoiceByName =
        library.Function<decltype(espeak_SetVoiceByName)>("espeak_SetVoiceByName");
    espeak.TextToPhonemes =
        library.Function<decltype(espeak_TextToPhonemes)>("espeak_TextToPhonemes");
    espeak.Info = library.Function<decltype(espeak_Info)>("espeak_Info");
    // Synchronous output with no sound wanted: the library starts no thread of its own.
    if (espeak.Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) < 0) {
        throw EPhoneticsError("Cannot start espeak-ng: is espeak-ng-data installed?");
    }
    // The Russian voice by its file in the data, which espeak-ng loads at once, before its name,
    // for which espeak-ng first reads every voice it has; older data keep it elsewhere.
    if (espeak.SetVoiceByName("zle/ru") != EE_OK && espeak.SetVoiceByName("ru") != EE_OK) {
        throw EPhoneticsError("espeak-ng has no Russian voice: is espeak-ng-data installed?");
    }
    espeak.Ready = true;
}

}  // namespace

std::string PhonemesOf(std::string_view word)
{
    // The one door to espeak-ng: what is not a word that it takes safely never goes through.
    if (!IsPhonemisableWord(word)) {
        return {};
    }
    const std::string text = ToUtf8(word);
    TEspeak& espeak = Espeak();
    const std::lock_guard<std::mutex> lock(espeak.Lock);
    SetUp(espeak);
    std::string phonemes;
    const void* rest = text.c_str();
    // A hyphen or other punctuation ends a clause; the call goes on until the text is used up.
    while (rest != nullptr) {
        const char* clause = espeak.TextToPhonemes(&rest, espeakCHARS_UTF8, 0);
        if (clause != nullptr) {
            phonemes += clause;
        }
    }
    return phonemes;
}

std::vector<std::string> RhymeKeysOf(std::string_view word, int stressedVowel)
{
    const std::string phonemes = PhonemesOf(word);
    std::vector<std::string> keys;
    if (stressedVowel < 0) {
        for (const TStressedWord& stressed : KnownStresses(word)) {
            keys.push_back(IndexKeyFromPhonemes(phonemes, word, stressed.StressedVowel));
        }
    }
    if (keys.empty()) {
        keys.push_back(IndexKeyFromPhonemes(phonemes, word, stressedVowel));
    }
    std::erase(keys, std::string());
    if (keys.size() == 2 && keys[0] == keys[1]) {
        keys.pop_back();
    }
    return keys;
}

namespace {

// The version of the espeak-ng data in folder, from the size and time of each file the Russian
// voice reads; none when one is missing.
std::optional<std::string> DataFolderVersion(const std::string& folder)
{
    std::string version = "espeak-ng-data";
    for (const char* const name :
         {"phondata", "phonindex", "phontab", "intonations", "ru_dict", "lang/zle/ru"}) {
        struct stat info = {};
        if (stat((folder + "/" + name).c_str(), &info) != 0) {
            return std::nullopt;
        }
        for (const auto number :
             {static_cast<long long>(info.st_size), static_cast<long long>(info.st_mtim.tv_sec),
              static_cast<long long>(info.st_mtim.tv_nsec)}) {
            version += ' ';
            version += std::to_string(number);
        }
    }
    return version;
}

}  // namespace

std::string PhonemeDataVersion()
{
#ifdef SLOVOSITO_ESPEAK_DATA_DIR
    // espeak-ng reads the folder it was built with unless ESPEAK_DATA_PATH names another: then
    // the data's files tell their version, and the library and the sound libraries it brings
    // stay unloaded for a search whose index is cached.
    if (std::getenv("ESPEAK_DATA_PATH") == nullptr) {
        if (std::optional<std::string> version = DataFolderVersion(SLOVOSITO_ESPEAK_DATA_DIR)) {
            return std::move(*version);
        }
    }
#endif
    TEspeak& espeak = Espeak();
    const std::lock_guard<std::mutex> lock(espeak.Lock);
    SetUp(espeak);
    const char* dataPath = nullptr;
    std::string version = espeak.Info(&dataPath);
    struct stat info = {};
    if (dataPath != nullptr && stat((std::string(dataPath) + "/ru_dict").c_str(), &info) == 0) {
        // Appended piece by piece: " " + std::to_string(...) trips GCC 12's false -Wrestrict.
        for (const auto number :
             {static_cast<long long>(info.st_size), static_cast<long long>(info.st_mtim.tv_sec)}) {
            version += ' ';
            version += std::to_string(number);
        }
    }
    return version;
}
