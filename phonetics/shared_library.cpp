// Opening a library at run time and finding its functions.

#include "phonetics/shared_library.h"

#include <dlfcn.h>

#include "phonetics/phonemes.h"

TSharedLibrary::TSharedLibrary(const char* soname, const char* what, const char* package)
    : m_what(what)
{
    // RTLD_GLOBAL puts the functions where a program's own definitions can wrap them by
    // RTLD_NEXT, as they could while the library was linked.
    if (dlopen(soname, RTLD_NOW | RTLD_GLOBAL) == nullptr) {
        const char* reason = dlerror();
        throw EPhoneticsError("Cannot load " + m_what + ": " +
                              (reason != nullptr ? reason : soname) + ". The package " + package +
                              " installs it.");
    }
}

void* TSharedLibrary::Symbol(const char* name) const
{
    void* function = dlsym(RTLD_DEFAULT, name);
    if (function == nullptr) {
        throw EPhoneticsError("Cannot load " + m_what + ": it lacks " + name + ".");
    }
    return function;
}
