// POSIX backend: the user's locale name as the environment gives it.
#include "platform/platform.h"

#include <cstdlib>

namespace platform {

std::string UserLocaleName()
{
    // The order in which the C library itself resolves LC_CTYPE.
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return "C";
}

}  // namespace platform
