// Win32 backend of the target query: what an open of a path would reach.
#include "platform/Files.h"
#include "platform/win32/Win32.h"

namespace platform {

namespace {

bool CanOpen(const std::wstring& wide, DWORD access)
{
    const win32::Handle h(::CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return h.ok();
}

}  // namespace

TargetInfo QueryTarget(const std::u16string& path)
{
    TargetInfo info;
    std::wstring wide;
    if (win32::SystemPath(path, wide)) return info;
    // Opening follows links: a link whose target is missing reaches nothing.
    const win32::Handle h(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.ok()) return info;
    BY_HANDLE_FILE_INFORMATION data{};
    if (!::GetFileInformationByHandle(h.get(), &data)) return info;
    info.exists = true;
    info.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.type = info.isDirectory ? EntryType::Directory : EntryType::Regular;
    info.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (info.isDirectory) {
        info.readable = CanOpen(wide, FILE_LIST_DIRECTORY);
        info.writable = CanOpen(wide, FILE_ADD_FILE);
    } else {
        info.readable = CanOpen(wide, GENERIC_READ);
        info.writable = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0 && CanOpen(wide, GENERIC_WRITE);
    }
    return info;
}

}  // namespace platform
