#include "SqliteError.h"
#include "SqliteLibrary.h"

#include <cstdlib>
#include <dlfcn.h>

namespace
{
    SqliteLibrary load()
    {
        // The soname the package depends on (libsqlite3-0), or another build named by VESK_SQLITE_LIBRARY.
        const auto* named = std::getenv ("VESK_SQLITE_LIBRARY");
        const juce::String libraryName (named != nullptr && *named != 0 ? named : "libsqlite3.so.0");
        void* handle = dlopen (libraryName.toRawUTF8(), RTLD_NOW | RTLD_LOCAL);

        if (handle == nullptr)
            throw SqliteError (SQLITE_CANTOPEN, 0, "SQLite could not be loaded: " + juce::String (dlerror()));

        SqliteLibrary library;

#define VESK_SQLITE_RESOLVE(name)                                                                \
    library.name = reinterpret_cast<decltype (library.name)> (dlsym (handle, "sqlite3_" #name)); \
    if (library.name == nullptr)                                                                 \
        throw SqliteError (SQLITE_CANTOPEN, 0, libraryName + " has no sqlite3_" #name " (a version too old for the collection)");
        VESK_SQLITE_FUNCTIONS (VESK_SQLITE_RESOLVE)
#undef VESK_SQLITE_RESOLVE

        // Kept loaded for the program's life: statements may outlive any owner.
        return library;
    }
}

const SqliteLibrary& SqliteLibrary::get()
{
    static const SqliteLibrary library = load();
    return library;
}
