// Fuzz target: the rhyme index cache's reader takes any payload behind a sound checksum (a file
// of the user's own cache folder that another program wrote, or this one's of another version).
// Whatever it takes must write back byte for byte, its key lists must only name its words, and
// every word's key id and classes must lie in range.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "phonetics/rhyme_cache.h"

// Input: a byte of the word count, the identity on a line (so without a line break), then the
// payload.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TFuzzInput input(data, size);
    const std::size_t wordCount = input.Byte();
    const std::string identity = input.Line();
    // The reader views the arrays in place, at the alignment a mapped file gives them, and
    // nothing lies past them for it to read.
    const std::string_view rest = input.Rest();
    std::vector<std::uint64_t> aligned((rest.size() + sizeof(std::uint64_t) - 1) /
                                       sizeof(std::uint64_t));
    std::copy(rest.begin(), rest.end(), reinterpret_cast<char*>(aligned.data()));
    const std::string_view payload(reinterpret_cast<const char*>(aligned.data()), rest.size());

    std::optional<TDictRhymes> index = ReadRhymeCachePayload(payload, identity, wordCount);
    if (!index) {
        return 0;
    }
    Check(RhymeCachePayload(*index, identity) == payload,
          "a payload taken does not write back as it was");
    Check(index->size() == wordCount, "the index taken has another word count");
    for (std::uint32_t id = 0; id < index->KeyCount(); ++id) {
        Check(index->KeyId(index->Key(id)) == id, "a key is not found by its own text",
              std::string(index->Key(id)));
        for (const std::uint32_t word : index->WordsWithKey(id)) {
            Check(word < wordCount, "a key list names a word past the index");
        }
    }
    for (std::size_t j = 0; j < wordCount; ++j) {
        Check(index->KeyIds[j] < index->KeyCount(), "a word's key id is past the keys");
        index->Classes(j);
    }
    return 0;
}
