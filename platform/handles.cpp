// Ownership of the platform's handle classes, the same for every backend: each backend
// supplies only how a handle is opened, used and closed (close, Close, the destructors of
// the search and stream states).
#include <utility>

#include "platform/BackupStreams.h"
#include "platform/Entries.h"
#include "platform/FileUpdates.h"
#include "platform/Files.h"
#include "platform/Search.h"

namespace platform {

ReparseHandle::~ReparseHandle()
{
    close();
}

ReparseHandle::ReparseHandle(ReparseHandle&& other) noexcept
    : native_(other.native_), nativePath_(std::move(other.nativePath_))
{
    other.native_ = -1;
}

ReparseHandle& ReparseHandle::operator=(ReparseHandle&& other) noexcept
{
    if (this != &other) {
        close();
        native_ = other.native_;
        nativePath_ = std::move(other.nativePath_);
        other.native_ = -1;
    }
    return *this;
}

File::~File()
{
    Close();  // errors ignored: the file is closed whatever the system says
}

File::File(File&& other) noexcept : native_(other.native_)
{
    other.native_ = -1;
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        Close();
        native_ = other.native_;
        other.native_ = -1;
    }
    return *this;
}

FolderLock::~FolderLock()
{
    release();
}

FolderLock::FolderLock(FolderLock&& other) noexcept : native_(std::exchange(other.native_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept
{
    if (this != &other) {
        release();
        native_ = std::exchange(other.native_, -1);
    }
    return *this;
}

// The state objects move by exchange; each side's destructor frees what it then holds.
FindHandle::FindHandle(FindHandle&& other) noexcept : state_(std::exchange(other.state_, nullptr)) {}

FindHandle& FindHandle::operator=(FindHandle&& other) noexcept
{
    std::swap(state_, other.state_);
    return *this;
}

BackupReader::BackupReader(BackupReader&& other) noexcept : state_(std::exchange(other.state_, nullptr)) {}

BackupReader& BackupReader::operator=(BackupReader&& other) noexcept
{
    std::swap(state_, other.state_);
    return *this;
}

}  // namespace platform
