// qvxFSO: whole byte arrays to and from files (slots 10 to 13).
#include <limits>
#include <new>

#include "common/AutomationError.h"
#include "filelib/qvxFSO.h"
#include "filelib/qvxFileWork.h"
#include "platform/platform.h"
#include "support/quovixsupportfbe.h"

using qvxFileWork::Check;

ByteArray qvxFSO::GetFileB(const std::u16string& FileName, bool RaiseErrors, bool* lpSuccess)
{
    if (lpSuccess) *lpSuccess = false;
    ByteArray data;
    const bool done = qvxFileWork::Guarded(RaiseErrors, [&] {
        if (!esIsFileExist(FileName)) throw AutomationError(errnum::FileNotFound, u"qvxFSO");
        platform::File file;
        Check(platform::OpenFile(FileName, platform::FileOpenMode::Read, file), FileName);
        std::uint64_t length = 0;
        Check(platform::FileSize(file, length), FileName);
        if (length > 0) {
            if (length > std::numeric_limits<std::size_t>::max() / 2) throw std::bad_alloc();
            data.resize(static_cast<std::size_t>(length));
            std::size_t got = 0;
            Check(platform::ReadFile(file, data.data(), data.size(), got), FileName);
            // A file that shrank since its length was taken gives what it still holds.
            data.resize(got);
        }
        Check(file.Close(), FileName);
    });
    if (!done) return {};
    if (lpSuccess) *lpSuccess = true;
    return data;
}

bool qvxFSO::PutFileB(const std::u16string& FileName, ByteArray& Data, bool RaiseErrors)
{
    return qvxFileWork::Guarded(RaiseErrors, [&] { qvxFileWork::PutBytes(FileName, qvxFileWork::WholeArray(Data)); });
}

bool qvxFSO::AppendFileB(const std::u16string& FileName, ByteArray& Data, bool RaiseErrors)
{
    return qvxFileWork::Guarded(RaiseErrors,
                                [&] { qvxFileWork::AppendBytes(FileName, qvxFileWork::WholeArray(Data)); });
}

bool qvxFSO::OverwriteFileB(const std::u16string& FileName, ByteArray& Data, bool RaiseErrors)
{
    // Not guarded: a file that exists but cannot be taken over (read-only, held open
    // elsewhere, its folder missing) is an error whatever RaiseErrors says.
    qvxFileWork::TruncateExisting(FileName);
    // A missing file is created here; an existing one is empty by now, so writing after
    // its end writes from its start.
    return qvxFileWork::Guarded(RaiseErrors,
                                [&] { qvxFileWork::AppendBytes(FileName, qvxFileWork::WholeArray(Data)); });
}
