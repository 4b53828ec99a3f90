// qvxFSO: compression, recycling and file times.
#include <Hollin0106/qvxFSO.h>

#include <cerrno>

#include "filelib/qvxFileWork.h"
#include "platform/Errors.h"
#include "platform/FileMetadata.h"
#include "platform/Files.h"
#include "platform/Removal.h"
#include "support/quovixsupportfbe.h"

namespace Hollin0106 {

namespace {

void SetCode(std::int32_t* lpErrorCode, const std::error_code& ec)
{
    if (lpErrorCode) *lpErrorCode = ec.value();
}

// The failure result, or with RaiseErrors the mapped error of `ec` for `path`.
bool Fail(bool RaiseErrors, const std::error_code& ec, const std::u16string& path)
{
    if (RaiseErrors) qvxFileWork::Check(ec, path);
    return false;
}

void CheckName(const std::u16string& FileName)
{
    if (FileName.empty()) throw AutomationError(errnum::InvalidProcedureCall, u"qvxFSO");
}

// A date given to SetFileDateTime: 0, or one outside what a file time can hold, is no
// time.
std::optional<std::uint64_t> DateToFileTimeRef(double date)
{
    std::uint64_t fileTime = 0;
    if (date == 0 || !esVBDateToFileTime(date, fileTime)) return std::nullopt;
    return fileTime;
}

void FileTimeToDate(const std::optional<std::uint64_t>& fileTime, double* lpDate)
{
    if (!lpDate) return;
    double date = 0;
    if (fileTime && !esFileTimeToVBDate(*fileTime, date)) date = 0;
    *lpDate = date;
}

}  // namespace

bool qvxFSO::SetFileCompression(const std::u16string& FileName, CompressionFormat_Const CompressionFormat,
                                std::int32_t* lpErrorCode)
{
    SetCode(lpErrorCode, {});
    std::error_code ec;
    // The file system reads the low 16 bits of the format (65538 is LZNT1).
    const auto format = static_cast<std::uint16_t>(static_cast<std::uint32_t>(CompressionFormat) & 0xFFFF);
    if (format == cfNone || format == cfDefault || format == cfLZNT1) {
        ec = platform::SetCompression(FileName, format != cfNone);
    } else {
        // The format is checked only after the entry is known to be there, as the
        // file system does on Windows.
        platform::FileTimes ignored;
        ec = platform::GetFileTimes(FileName, ignored);
        if (!ec) ec = platform::InvalidArgumentError();
    }
    SetCode(lpErrorCode, ec);
    return !ec;
}

CompressionFormat_Const qvxFSO::GetFileCompression(const std::u16string& FileName, std::int32_t* lpErrorCode)
{
    bool compressed = false;
    const std::error_code ec = platform::GetCompression(FileName, compressed);
    SetCode(lpErrorCode, ec);
    if (ec) return cfError;
    return compressed ? cfLZNT1 : cfNone;
}

bool qvxFSO::RecycleFile(const std::u16string& FileName, bool SkipRecycleBin, bool RaiseErrors)
{
    if (!esIsFileOrDirectoryExist(FileName)) {
        if (RaiseErrors) throw AutomationError(errnum::FileNotFound, u"qvxFSO");
        return false;
    }
    // The entry the name means, as Windows widens a name before it deletes: "d/sub/."
    // is d/sub and "d/sub/.." is d, so a whole entry goes, never only what it holds.
    const std::u16string name = esGetFullFileName(FileName, false);
    std::uint32_t attributes = 0;
    const bool reparseDirectory = esIsReparsePoint2(name) &&
                                  (esIsDirectory(name) || (!platform::GetFileAttributes(name, attributes) &&
                                                           (attributes & platform::kAttributeDirectory)));
    std::error_code ec;
    if (reparseDirectory)
        ec = platform::RemoveEmptyDirectory(name);  // the link goes, its target stays
    else if (SkipRecycleBin)
        ec = platform::RemoveTree(name);
    else
        ec = platform::MoveToTrash(name);
    return ec ? Fail(RaiseErrors, ec, name) : true;
}

bool qvxFSO::GetFileDateTime(const std::u16string& FileName, double* lpCreationTime, double* lpLastAccessTime,
                             double* lpLastWriteTime, bool RaiseErrors)
{
    CheckName(FileName);
    platform::FileTimes times;
    if (const std::error_code ec = platform::GetFileTimes(FileName, times)) return Fail(RaiseErrors, ec, FileName);
    FileTimeToDate(times.creation, lpCreationTime);
    FileTimeToDate(times.lastAccess, lpLastAccessTime);
    FileTimeToDate(times.lastWrite, lpLastWriteTime);
    return true;
}

bool qvxFSO::SetFileDateTime(const std::u16string& FileName, double CreationTime, double LastAccessTime,
                             double LastWriteTime, bool RaiseErrors)
{
    CheckName(FileName);
    platform::FileTimes times;
    times.creation = DateToFileTimeRef(CreationTime);
    times.lastAccess = DateToFileTimeRef(LastAccessTime);
    times.lastWrite = DateToFileTimeRef(LastWriteTime);
    if (const std::error_code ec = platform::SetFileTimes(FileName, times)) return Fail(RaiseErrors, ec, FileName);
    return true;
}

}  // namespace Hollin0106
