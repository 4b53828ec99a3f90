// qvxFSO: the reparse-point methods.
#include "filelib/modReparsePoint.h"
#include <Hollin0106/qvxFSO.h>

namespace Hollin0106 {

std::u16string qvxFSO::GetSymlinkTarget(const std::u16string& SymlinkFileName,
                                        std::u16string* lpTargetFileNameRaw, std::u16string* lpPrintName,
                                        std::int32_t* lpReparseTag, bool* lpRelativePath,
                                        Variant* lpReparseDataBuffer)
{
    return GetSymlinkTargetEx(SymlinkFileName, lpTargetFileNameRaw, lpPrintName, lpReparseTag,
                              lpRelativePath, lpReparseDataBuffer, nullptr);
}

std::u16string qvxFSO::GetSymlinkTargetEx(const std::u16string& SymlinkFileName,
                                          std::u16string* lpTargetFileNameRaw, std::u16string* lpPrintName,
                                          std::int32_t* lpReparseTag, bool* lpRelativePath,
                                          Variant* lpReparseDataBuffer, SymlinkTargetError_Const* lpErrorCode)
{
    modReparsePoint::ReparseResult result;
    const SymlinkTargetError_Const code = modReparsePoint::GetReparsePointTarget(SymlinkFileName, result);
    if (lpTargetFileNameRaw) *lpTargetFileNameRaw = std::move(result.rawTarget);
    if (lpPrintName) *lpPrintName = std::move(result.printName);
    if (lpReparseTag) *lpReparseTag = result.tag;
    if (lpRelativePath) *lpRelativePath = result.relative;
    if (lpReparseDataBuffer && lpReparseDataBuffer->isByteArray()) lpReparseDataBuffer->setBytes(std::move(result.data));
    if (lpErrorCode) *lpErrorCode = code;
    return result.target;
}

}  // namespace Hollin0106
