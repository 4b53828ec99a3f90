// Hidden/system attribute reset around the re-creation of a file.
#include "filelib/CFileAttributesReset.h"

#include "platform/Files.h"

CFileAttributesReset::~CFileAttributesReset()
{
    if (resetDone_) (void)platform::SetFileAttributes(fileName_, attributes_);
}

void CFileAttributesReset::ResetAttributes(const std::u16string& FileName)
{
    // A second call on the same object must not lose what the first one took off.
    if (resetDone_) {
        (void)platform::SetFileAttributes(fileName_, attributes_);
        resetDone_ = false;
    }
    fileName_ = FileName;
    attributes_ = 0;
    if (platform::GetFileAttributes(fileName_, attributes_)) return;
    constexpr std::uint32_t kHiddenOrSystem = platform::kAttributeHidden | platform::kAttributeSystem;
    if ((attributes_ & kHiddenOrSystem) == 0) return;
    resetDone_ = !platform::SetFileAttributes(fileName_, attributes_ & ~kHiddenOrSystem);
}
