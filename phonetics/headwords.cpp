// Hunspell's stems of a word, compared with the word itself.

#include "phonetics/headwords.h"

#include <hunspell/hunspell.h>
#include <sys/stat.h>
#include <unistd.h>

#include "phonetics/shared_library.h"
#include "wordstore/encoding.h"
#include "wordstore/letters.h"

namespace {

// Lowercase Windows-1251 with ё as е, so that "Москва" or "ещё" count as the word itself.
std::string Folded(std::string word)
{
    LowerCyr(word);
    return word;
}

std::string FileVersion(const std::string& path)
{
    struct stat info = {};
    if (stat(path.c_str(), &info) != 0) {
        return "none";
    }
    return std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec);
}

// Hunspell's functions, from the library loaded by the first handle: only headword searches need
// it.
struct THunspell
{
    TSharedLibrary Library{"libhunspell-1.7.so.0", "Hunspell", "libhunspell-1.7-0"};
    decltype(&Hunspell_create) Create =
        Library.Function<decltype(Hunspell_create)>("Hunspell_create");
    decltype(&Hunspell_destroy) Destroy =
        Library.Function<decltype(Hunspell_destroy)>("Hunspell_destroy");
    decltype(&Hunspell_stem) Stem = Library.Function<decltype(Hunspell_stem)>("Hunspell_stem");
    decltype(&Hunspell_free_list) FreeList =
        Library.Function<decltype(Hunspell_free_list)>("Hunspell_free_list");
};

// Loaded once for the process; a load that throws is tried again by the next handle.
const THunspell& Hunspell()
{
    static const THunspell hunspell;
    return hunspell;
}

}  // namespace

struct THeadwordTest::THandle
{
    const THunspell& Functions = Hunspell();
    Hunhandle* Handle = nullptr;
    ~THandle() { Functions.Destroy(Handle); }
};

THeadwordTest::THeadwordTest(const std::string& aff, const std::string& dic)
{
    if (access(aff.c_str(), R_OK) != 0 || access(dic.c_str(), R_OK) != 0) {
        return;
    }
    m_handle = std::make_unique<THandle>();
    m_handle->Handle = m_handle->Functions.Create(aff.c_str(), dic.c_str());
}

THeadwordTest::~THeadwordTest() = default;

bool THeadwordTest::IsHeadword(std::string_view word)
{
    if (!m_handle || word.empty()) {
        return true;
    }
    const std::string text = ToUtf8(word);
    char** stems = nullptr;
    const int count = m_handle->Functions.Stem(m_handle->Handle, &stems, text.c_str());
    bool headword = count <= 0;
    if (!headword) {
        const std::string folded = Folded(std::string(word));
        for (int i = 0; i < count && !headword; ++i) {
            headword = Folded(ToCp1251Lossy(stems[i])) == folded;
        }
    }
    m_handle->Functions.FreeList(m_handle->Handle, &stems, count);
    return headword;
}

std::string HeadwordDataVersion(const std::string& aff, const std::string& dic)
{
    return FileVersion(aff) + " " + FileVersion(dic);
}
