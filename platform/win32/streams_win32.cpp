// Win32 backend of the stream walk (BackupRead / BackupSeek) and the directory search
// (FindFirstFileW / FindNextFileW, GetCompressedFileSizeW).
#include "platform/BackupStreams.h"
#include "platform/FileMetadata.h"
#include "platform/Search.h"
#include "platform/win32/Win32.h"

#include <shlwapi.h>

// shlwapi.h makes PathIsRoot a macro, which would rename the platform's own function.
#undef PathIsRoot

#include <algorithm>
#include <cwchar>

namespace platform {

using win32::Error;
using win32::LastError;
using win32::SystemPath;

// ---- Streams ----------------------------------------------------------------------

struct BackupReader::State {
    HANDLE handle = INVALID_HANDLE_VALUE;
    LPVOID context = nullptr;
    bool processSecurity = false;

    ~State()
    {
        if (handle == INVALID_HANDLE_VALUE) return;
        // A read with bAbort frees the context the backup calls keep.
        if (context != nullptr) {
            DWORD n = 0;
            ::BackupRead(handle, nullptr, 0, &n, TRUE, processSecurity, &context);
        }
        ::CloseHandle(handle);
    }
};

BackupReader::BackupReader() : state_(nullptr) {}

BackupReader::~BackupReader()
{
    delete state_;
}

std::error_code BackupReader::Read(std::uint8_t* buffer, std::size_t count, std::size_t& got)
{
    got = 0;
    if (state_ == nullptr) return {};
    while (got < count) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - got, 1u << 30));
        if (!::BackupRead(state_->handle, buffer + got, want, &n, FALSE, state_->processSecurity, &state_->context))
            return LastError();
        if (n == 0) break;
        got += n;
    }
    return {};
}

std::uint64_t BackupReader::Seek(std::uint64_t count)
{
    if (state_ == nullptr) return 0;
    DWORD low = 0, high = 0;
    // BackupSeek stops at the end of the current stream and says how far it went.
    ::BackupSeek(state_->handle, static_cast<DWORD>(count), static_cast<DWORD>(count >> 32), &low, &high,
                 &state_->context);
    return static_cast<std::uint64_t>(high) << 32 | low;
}

std::error_code OpenBackupReader(const std::u16string& path, bool processSecurity, BackupReader& reader)
{
    reader = BackupReader();
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    // The entry itself: a link or junction is read, not what it points to.
    const HANDLE h = ::CreateFileW(wide.c_str(), GENERIC_READ | (processSecurity ? READ_CONTROL : 0),
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError();
    reader.state_ = new BackupReader::State{h, nullptr, processSecurity};
    return {};
}

// ---- Directory search -------------------------------------------------------------

struct FindHandle::State {
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::u16string folder;  // absolute, with its trailing separator, for the names found
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    ~State()
    {
        if (handle != INVALID_HANDLE_VALUE) ::FindClose(handle);
    }
};

FindHandle::FindHandle() : state_(nullptr) {}

FindHandle::~FindHandle()
{
    delete state_;
}

std::uint64_t FindHandle::Device() const
{
    return state_ != nullptr ? state_->device : 0;
}

std::uint64_t FindHandle::Inode() const
{
    return state_ != nullptr ? state_->inode : 0;
}

namespace {

using win32::ToUInt64;

// The volume serial number and file index of what opening `path` reaches (a link's
// target); zeros when it cannot be opened.
void Identity(const std::u16string& path, std::uint64_t& device, std::uint64_t& inode)
{
    device = inode = 0;
    std::wstring wide;
    if (SystemPath(path, wide)) return;
    const win32::Handle h(::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.ok()) return;
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(h.get(), &info)) {
        device = info.dwVolumeSerialNumber;
        inode = static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    }
}

// `found` as find data; `folder` is the absolute folder it was found in, with its
// separator at the end.
void Fill(const WIN32_FIND_DATAW& found, const std::u16string& folder, FindData& data)
{
    data = FindData();
    data.attributes = found.dwFileAttributes;
    data.creationTime = ToUInt64(found.ftCreationTime);
    data.lastAccessTime = ToUInt64(found.ftLastAccessTime);
    data.lastWriteTime = ToUInt64(found.ftLastWriteTime);
    data.size = static_cast<std::uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
    data.name = win32::FromWide(found.cFileName, std::wcslen(found.cFileName));
    // The entry's own name may be the first one too long for the plain form.
    const std::u16string full = folder + data.name;
    // Only a compressed or sparse file takes other room than its length, and only such a
    // file's compressed size is ever asked for: the others save the call. A compressed
    // size of 0xFFFFFFFF low is told apart from a failure only by the last error, which
    // the call leaves alone on success. A failure gives the entry's size.
    data.allocatedSize = data.size;
    std::wstring wide;
    if ((found.dwFileAttributes & (FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_SPARSE_FILE)) &&
        !SystemPath(full, wide)) {
        ::SetLastError(NO_ERROR);
        DWORD high = 0;
        const DWORD low = ::GetCompressedFileSizeW(wide.c_str(), &high);
        if (low != INVALID_FILE_SIZE || ::GetLastError() == NO_ERROR)
            data.allocatedSize = static_cast<std::uint64_t>(high) << 32 | low;
    }
    // Only a folder can lead a search into a loop; files keep zeros.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.name != u"." && data.name != u"..")
        Identity(full, data.device, data.inode);
}

// Where `pattern` searches: its folder, absolute, with its separator at the end, and
// its last component (a name or a wildcard mask), as given.
void SplitPattern(const std::u16string& pattern, std::u16string& folder, std::u16string& mask)
{
    const auto slash = pattern.find_last_of(u"\\/");
    std::u16string given;
    if (slash != std::u16string::npos) {
        given = pattern.substr(0, slash + 1);
        mask = pattern.substr(slash + 1);
    } else if (pattern.size() >= 2 && pattern[1] == u':') {
        given = pattern.substr(0, 2);  // "C:*.txt": the drive's current folder
        mask = pattern.substr(2);
    } else {
        given = u".";
        mask = pattern;
    }
    std::wstring wide;
    folder = SystemPath(given, wide, winpath::PathUse::Absolute) ? given : win32::FromWide(wide.data(), wide.size());
    if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/') folder.push_back(u'\\');
}

}  // namespace

std::error_code FindFirstFile(const std::u16string& pattern, FindHandle& handle, FindData& data,
                              const FindData* /*folder*/)
{
    handle = FindHandle();
    std::wstring wide;
    if (const std::error_code ec = SystemPath(pattern, wide)) return ec;
    std::u16string folder, mask;
    SplitPattern(pattern, folder, mask);
    // A pattern too long for the plain form: its folder in the "\\?\" form, and the mask
    // as given (the "\\?\" form would take its trailing "." literally, where "*." means
    // names without an extension).
    if (wide.starts_with(L"\\\\?\\") && winpath::KindOf(pattern) != winpath::PathKind::Verbatim) {
        if (const std::error_code ec = SystemPath(folder, wide)) return ec;
        wide.append(mask.begin(), mask.end());
    }
    WIN32_FIND_DATAW found{};
    // Matching is the system's: case-insensitive, "." and ".." where they match.
    const HANDLE h = ::FindFirstFileW(wide.c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return Error(error == ERROR_NO_MORE_FILES ? ERROR_FILE_NOT_FOUND : error);
    }
    auto* state = new FindHandle::State;
    state->handle = h;
    state->folder = std::move(folder);
    Identity(state->folder, state->device, state->inode);
    handle.state_ = state;
    Fill(found, state->folder, data);
    return {};
}

std::error_code FindNextFile(FindHandle& handle, FindData& data)
{
    if (handle.state_ == nullptr) return Error(ERROR_INVALID_HANDLE);
    WIN32_FIND_DATAW found{};
    if (!::FindNextFileW(handle.state_->handle, &found)) {
        const DWORD error = ::GetLastError();
        return Error(error == ERROR_NO_MORE_FILES ? ERROR_FILE_NOT_FOUND : error);
    }
    Fill(found, handle.state_->folder, data);
    return {};
}

std::error_code QueryFindData(const std::u16string& path, FindData& data)
{
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &attributes)) return LastError();
    WIN32_FIND_DATAW found{};
    found.dwFileAttributes = attributes.dwFileAttributes;
    found.ftCreationTime = attributes.ftCreationTime;
    found.ftLastAccessTime = attributes.ftLastAccessTime;
    found.ftLastWriteTime = attributes.ftLastWriteTime;
    found.nFileSizeHigh = attributes.nFileSizeHigh;
    found.nFileSizeLow = attributes.nFileSizeLow;
    // A root keeps its whole name ("C:\"), an entry its last component.
    std::u16string name = path;
    std::u16string folder;
    const auto slash = path.find_last_of(u"\\/");
    if (slash != std::u16string::npos && slash + 1 < path.size()) {
        std::u16string mask;
        SplitPattern(path, folder, mask);
        name = path.substr(slash + 1);
    }
    if (name.size() >= MAX_PATH) name.resize(MAX_PATH - 1);
    std::copy(name.begin(), name.end(), found.cFileName);
    Fill(found, folder, data);
    return {};
}

std::error_code QueryCreationTime(const std::u16string& path, std::uint64_t& fileTime)
{
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &attributes)) return LastError();
    fileTime = ToUInt64(attributes.ftCreationTime);
    return {};
}

std::error_code QueryFindAttributes(const std::u16string& /*path*/, std::uint32_t& /*attributes*/)
{
    // The system's search delivers whole attributes: nothing is ever left for later.
    return {};
}

bool PathIsRoot(const std::u16string& path)
{
    const std::wstring wide(path.begin(), path.end());
    return path.find(u'\0') == std::u16string::npos && ::PathIsRootW(wide.c_str());
}

std::int64_t CurrentUtcBias()
{
    TIME_ZONE_INFORMATION zone{};
    LONG bias = 0;  // minutes west of UTC
    switch (::GetTimeZoneInformation(&zone)) {
    case TIME_ZONE_ID_STANDARD: bias = zone.Bias + zone.StandardBias; break;
    case TIME_ZONE_ID_DAYLIGHT: bias = zone.Bias + zone.DaylightBias; break;
    case TIME_ZONE_ID_UNKNOWN: bias = zone.Bias; break;
    default: return 0;
    }
    return -static_cast<std::int64_t>(bias) * 60;
}

}  // namespace platform
