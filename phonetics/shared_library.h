#pragma once
// A shared library opened when a search first needs it (espeak-ng, Hunspell), so that the other
// searches, --help and --version never map it.

#include <string>

// One library, opened for the rest of the process: it is never closed, as espeak-ng keeps its
// state in globals of its own.
class TSharedLibrary
{
public:
    // Opens soname, whose functions join the process's global scope. Throws EPhoneticsError
    // "Cannot load <what>: <reason>. The package <package> installs it." when it cannot be opened.
    TSharedLibrary(const char* soname, const char* what, const char* package);

    // The function name, found as linking finds it: a definition the program itself exports
    // comes before the library's. Throws EPhoneticsError when the library lacks it.
    template <typename TFunction>
    TFunction* Function(const char* name) const
    {
        return reinterpret_cast<TFunction*>(Symbol(name));
    }

private:
    void* Symbol(const char* name) const;

    std::string m_what;
};
