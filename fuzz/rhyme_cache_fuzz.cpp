// Fuzz target: the rhyme index cache's reader takes any payload behind a sound checksum (a file
// of the user's own cache folder that another program wrote, or this one's of another version).
// Whatever it takes must write back byte for byte, and its key lists must only name its words.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "phonetics/rhyme_cache.h"

// Input: a byte of the word count, the identity on a line (so without a line break), then the
// payload.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TFuzzInput input(data, size);
    const std::size_t wordCount = input.Byte();
    const std::string identity = input.Line();
    const std::string_view payload = input.Rest();

    std::optional<TDictRhymes> index = ReadRhymeCachePayload(payload, identity, wordCount);
    if (!index) {
        return 0;
    }
    Check(RhymeCachePayload(*index, identity) == payload,
          "a payload taken does not write back as it was");
    Check(index->size() == wordCount && index->Flags.size() == wordCount,
          "the index taken has another word count");
    index->MakeKeyLists();
    for (std::uint32_t id = 0; id < index->Keys.size(); ++id) {
        Check(index->KeyId(index->Keys[id]) == id, "a key is not found by its own text",
              index->Keys[id]);
        for (const std::uint32_t word : index->WordsWithKey(id)) {
            Check(word < wordCount, "a key list names a word past the index");
        }
    }
    return 0;
}
