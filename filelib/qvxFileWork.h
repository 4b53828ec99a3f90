// The pattern every file method of qvxFSO follows: run the file work, and on a failure
// either return the failure result or raise the error unchanged (RaiseErrors).
#pragma once

#include <cstdint>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "common/AutomationError.h"
#include "platform/platform.h"
#include "support/quovixsupportfbe.h"

namespace qvxFileWork {

inline constexpr std::int32_t kOutOfMemory = 7;

// Raises the run-time error for a failed system call on `path` (source "qvxFSO").
inline void Check(const std::error_code& ec, const std::u16string& path)
{
    if (ec) throw AutomationError(esWin32ErrorToVBAErrorIO(ec.value(), path), u"qvxFSO");
}

// Runs `work`. True when it completed; False when it raised and RaiseErrors is false;
// with RaiseErrors true the error reaches the caller as it was raised. Everything
// `work` opened is closed by its own destructors before this returns or rethrows. A
// file too large for memory counts as the file work's failure (error 7).
template <typename Work>
bool Guarded(bool RaiseErrors, Work&& work)
{
    try {
        try {
            work();
            return true;
        } catch (const std::bad_alloc&) {
            throw AutomationError(kOutOfMemory, u"qvxFSO", u"Out of memory");
        }
    } catch (const AutomationError&) {
        if (RaiseErrors) throw;
        return false;
    }
}

// Opens `path` in a write mode, writes all of `data` and closes it, raising the mapped
// error of the first step that fails.
inline void WriteWhole(const std::u16string& path, platform::FileOpenMode mode, const std::vector<std::uint8_t>& data)
{
    platform::File file;
    Check(platform::OpenFile(path, mode, file), path);
    if (!data.empty()) Check(platform::WriteFile(file, data.data(), data.size()), path);
    Check(file.Close(), path);
}

}  // namespace qvxFileWork
