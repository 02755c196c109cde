// slovosito-rhyme-keys: the helper that works out rhyme keys for the index in a process of its
// own; the programs start it beside themselves and talk to it over its standard input and output.

#include <cstdio>

#include "phonetics/key_worker.h"
#include "phonetics/phonemes.h"

int main()
{
    try {
        return ServeKeyRequests(0, 1);
    } catch (const EPhoneticsError& e) {
        std::fprintf(stderr, "slovosito-rhyme-keys: %s\n", e.what());
        return 2;
    }
}
