// Takes the hidden and system attributes off a file for the time an object lives, so
// that the file can be re-created, and puts back exactly what was there on release.
#pragma once

#include <cstdint>
#include <string>

class CFileAttributesReset {
public:
    CFileAttributesReset() = default;
    // Release: puts back the attributes read by ResetAttributes if it changed them;
    // a failure to do so is ignored.
    ~CFileAttributesReset();
    CFileAttributesReset(const CFileAttributesReset&) = delete;
    CFileAttributesReset& operator=(const CFileAttributesReset&) = delete;

    // Reads the attributes of `FileName` and, when they include hidden or system,
    // clears those two bits (all others, read-only included, stay). Changes nothing for
    // a missing file, a file with neither bit, or where the attributes cannot be read
    // or set. Never fails.
    void ResetAttributes(const std::u16string& FileName);

    // True when ResetAttributes changed the attributes (and release will restore them).
    bool ResetDone() const { return resetDone_; }

private:
    std::u16string fileName_;
    std::uint32_t attributes_ = 0;
    bool resetDone_ = false;
};
