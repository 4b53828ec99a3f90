// Enumerations of the library's public interface.
#pragma once

#include <cstdint>

// Result codes of the reparse-point reader.
enum SymlinkTargetError_Const : std::int32_t {
    steSuccess = 0,
    setCreateFileFailed = 1,
    setDeviceIOControlFailed = 2,
    setUnsupportedReparseTag = 3,
    setFileNotFound = 4,
    setUnsupportedOS = 5,
    setNotSymlink = 6,
    setInvalidReparseDataSize = 7,
    setInvalidReparseStringSize = 8,
    setInvalidLXSymlinkVersion = 9,
};
