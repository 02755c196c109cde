// Test support: slovosito-rhyme-keys with an espeak-ng that aborts on the word "кино", as the
// library aborts on a word that overruns one of its buffers; it phonemises every other word.

#include <cstdlib>
#include <cstring>

#include <dlfcn.h>

#include "phonetics/key_worker.h"

// Defined in the program, this takes the place of the library's function (speak_lib.h).
extern "C" const char* espeak_TextToPhonemes(const void** text, int textMode, int phonemeMode)
{
    if (std::strcmp(static_cast<const char*>(*text), "кино") == 0) {
        std::abort();
    }
    static const auto library = reinterpret_cast<decltype(&espeak_TextToPhonemes)>(
        dlsym(RTLD_NEXT, "espeak_TextToPhonemes"));
    return library(text, textMode, phonemeMode);
}

int main()
{
    return ServeKeyRequests(0, 1);
}
