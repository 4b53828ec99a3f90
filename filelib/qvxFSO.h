// qvxFSO: the file-system object of the library Hollin0106. Its public methods stand in
// the order of its automation interface (slot numbers in the comments); the groups of
// methods are implemented in separate files of filelib/.
#pragma once

#include <cstdint>
#include <string>

#include "common/Variant.h"
#include "filelib/qvxTypes.h"

class qvxFSO {
public:
    qvxFSO() = default;

    // ---- Slots 1-13: text and binary files ---------------------------------------

    // ---- Slots 14-21: zone identifiers, descriptions -------------------------------

    // ---- Slots 22-24: list files -------------------------------------------------

    // ---- Slots 25-29: compression, recycling, file times ---------------------------

    // ---- Slots 30-31: reparse points ---------------------------------------------

    // Slot 30. Reads the reparse point of `SymlinkFileName` without following it and
    // returns the normalised target ("" when there is none). The optional outputs are
    // reset and then filled as far as the read got: the raw target (substitute name or
    // LX target), the print name, the tag, the relative flag. The bytes read reach
    // `lpReparseDataBuffer` only when it holds or refers to a byte array; any other
    // content is left untouched. Expected problems are not errors: they leave the outputs
    // empty (GetSymlinkTargetEx reports them as a result code).
    std::u16string GetSymlinkTarget(const std::u16string& SymlinkFileName,
                                    std::u16string* lpTargetFileNameRaw = nullptr,
                                    std::u16string* lpPrintName = nullptr,
                                    std::int32_t* lpReparseTag = nullptr,
                                    bool* lpRelativePath = nullptr,
                                    Variant* lpReparseDataBuffer = nullptr);

    // Slot 31. As GetSymlinkTarget, and writes the result code to `lpErrorCode`.
    std::u16string GetSymlinkTargetEx(const std::u16string& SymlinkFileName,
                                      std::u16string* lpTargetFileNameRaw = nullptr,
                                      std::u16string* lpPrintName = nullptr,
                                      std::int32_t* lpReparseTag = nullptr,
                                      bool* lpRelativePath = nullptr,
                                      Variant* lpReparseDataBuffer = nullptr,
                                      SymlinkTargetError_Const* lpErrorCode = nullptr);
};
