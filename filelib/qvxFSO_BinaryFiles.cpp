// qvxFSO: whole byte arrays to and from files.
#include <Hollin0106/qvxFSO.h>
#include "filelib/qvxFileWork.h"

namespace Hollin0106 {

ByteArray qvxFSO::GetFileB(const std::u16string& FileName, bool RaiseErrors, bool* lpSuccess)
{
    if (lpSuccess) *lpSuccess = false;
    ByteArray data;
    const bool done = qvxFileWork::Guarded(RaiseErrors, [&] { data = qvxFileWork::ReadWhole(FileName); });
    if (!done) return {};
    if (lpSuccess) *lpSuccess = true;
    return data;
}

bool qvxFSO::PutFileB(const std::u16string& FileName, const ByteArray& Data, bool RaiseErrors)
{
    return qvxFileWork::Guarded(RaiseErrors, [&] { qvxFileWork::PutBytes(FileName, qvxFileWork::WholeArray(Data)); });
}

bool qvxFSO::AppendFileB(const std::u16string& FileName, const ByteArray& Data, bool RaiseErrors)
{
    return qvxFileWork::Guarded(RaiseErrors,
                                [&] { qvxFileWork::AppendBytes(FileName, qvxFileWork::WholeArray(Data)); });
}

bool qvxFSO::OverwriteFileB(const std::u16string& FileName, const ByteArray& Data, bool RaiseErrors)
{
    // A file that exists but cannot be taken over (read-only, held open elsewhere, its
    // folder missing) is an error whatever RaiseErrors says.
    return qvxFileWork::OverwriteBytes(FileName, qvxFileWork::WholeArray(Data), RaiseErrors);
}

}  // namespace Hollin0106
