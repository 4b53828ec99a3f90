// ICU's C functions for the text services on Linux, reached through ICU's common library
// loaded on first use, so that a program that never converts a code page or folds a case
// does not pay for loading ICU (and the shared C++ runtime it needs) when it starts.
//
//     UErrorCode status = U_ZERO_ERROR;
//     UConverter* c = ICU_CALL(ucnv_open)("windows-1252", &status);
//
// ICU's headers give the types and constants; no object file refers to an ICU symbol.
// C++ classes of ICU (icu::UnicodeString, ...) cannot be reached this way: use the C API.
#pragma once

#include <unicode/utypes.h>

namespace iculoader {

// The address of the ICU function whose versioned name is `name` ("ucnv_open_72"),
// loading libicuuc of the ICU version the program was built with on the first call.
// Throws std::runtime_error when the library or the function cannot be found: the
// installation is broken, which no caller can mend.
void* Function(const char* name);

}  // namespace iculoader

#define TAGSCOPE_ICU_NAME_(name) #name
#define TAGSCOPE_ICU_NAME(name) TAGSCOPE_ICU_NAME_(name)

// The ICU function `fn` as a typed pointer, looked up once per place of use. ICU's
// headers rename `fn` to its versioned name before it is spelled out.
#define ICU_CALL(fn)                                                                                                    \
    (*[] {                                                                                                              \
        static const auto function = reinterpret_cast<decltype(&(fn))>(::iculoader::Function(TAGSCOPE_ICU_NAME(fn))); \
        return function;                                                                                                \
    }())
