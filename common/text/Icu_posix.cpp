// ICU's common library, opened with dlopen on first use.
#include "common/text/Icu.h"

#include <dlfcn.h>
#include <unicode/uvernum.h>

#include <stdexcept>
#include <string>

namespace iculoader {

namespace {

// The library of the ICU version whose headers the program was built with: its functions
// carry that version in their names.
constexpr const char* kLibrary = "libicuuc.so." TAGSCOPE_ICU_NAME(U_ICU_VERSION_MAJOR_NUM);

void* Library()
{
    // Opened once for the process's life; RTLD_NOW so that a broken installation shows
    // here, not in the middle of a conversion.
    static void* const handle = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        throw std::runtime_error(std::string("cannot load ") + kLibrary + ": " + (reason ? reason : "unknown error"));
    }
    return handle;
}

}  // namespace

void* Function(const char* name)
{
    void* const handle = Library();
    void* const function = dlsym(handle, name);
    if (!function) throw std::runtime_error(std::string("ICU function not found: ") + name);
    return function;
}

}  // namespace iculoader
