// The file work behind qvxFSO's byte and text methods, and the pattern each of them
// follows: run the work, and on a failure either return the failure result or raise
// the error unchanged (RaiseErrors). The text methods stream their bytes through the
// same steps as the byte methods, so that a long text is never held twice in memory.
#pragma once

#include <cstdint>
#include <functional>
#include <new>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include <Hollin0106/AutomationError.h>
#include "platform/Files.h"
#include "support/quovixsupportfbe.h"

namespace qvxFileWork {

inline constexpr std::int32_t kOutOfMemory = 7;

// Raises the run-time error for a failed system call on `path` (source "qvxFSO"), with
// the system's error beside it.
inline void Check(const std::error_code& ec, const std::u16string& path)
{
    if (!ec) return;
    Hollin0106::AutomationError error(esWin32ErrorToVBAErrorIO(ec.value(), path), u"qvxFSO");
    error.SystemError = ec;
    throw error;
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
            throw Hollin0106::AutomationError(kOutOfMemory, u"qvxFSO", u"Out of memory");
        }
    } catch (const Hollin0106::AutomationError&) {
        if (RaiseErrors) throw;
        return false;
    }
}

// The bytes a writer stores, piece by piece: each call gives the next piece, an empty
// one at the end.
using ByteSource = std::function<std::span<const std::uint8_t>()>;

// A source that gives `bytes` in one piece.
ByteSource WholeArray(std::span<const std::uint8_t> bytes);

// The writers' file work; each raises the mapped error of the first step that fails.
// Every writer takes the hidden and system attributes off while its file is open and
// puts them back afterwards (also on failure); a file with the read-only attribute, a
// FIFO or any other file that is not a regular one is refused (error 75) unchanged.
// PutBytes: an output open that creates the file or cuts it to length 0, then the
// bytes written from the start.
void PutBytes(const std::u16string& FileName, const ByteSource& source);
// The bytes written after the last byte of the file, which is created if missing.
void AppendBytes(const std::u16string& FileName, const ByteSource& source);
// OverwriteFileB's work: an existing file cut to length 0 in place and written through
// the same open; a missing file is created. A failure of the truncating open other
// than a missing file raises its error whatever RaiseErrors says; the writing is
// Guarded.
bool OverwriteBytes(const std::u16string& FileName, const ByteSource& source, bool RaiseErrors);

// Opens an existing file for reading and takes its length. A missing file raises error
// 53, and no file is ever created; any other failure raises its mapped error.
platform::File OpenToRead(const std::u16string& FileName, std::uint64_t& length);

// The whole content of an existing file (OpenToRead), read to its end whatever length
// the open told (/proc and sysfs files tell 0). A length no buffer
// can take raises std::bad_alloc (error 7 under Guarded).
std::vector<std::uint8_t> ReadWhole(const std::u16string& FileName);

// Reads a whole existing file (OpenToRead) to its end: `begin` gets the length the
// system tells (a hint: it may be short), then `piece` gets the bytes in order, in
// pieces.
void ReadPieces(const std::u16string& FileName, const std::function<void(std::uint64_t)>& begin,
                const std::function<void(std::span<const std::uint8_t>)>& piece);

}  // namespace qvxFileWork
