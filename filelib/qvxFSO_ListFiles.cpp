// qvxFSO: standard list files.
#include <Hollin0106/AutomationError.h>
#include "filelib/modStandardListFileSupport.h"
#include "filelib/qvxByVarArgs.h"
#include <Hollin0106/qvxFSO.h>
#include "filelib/qvxFileWork.h"

namespace Hollin0106 {

using namespace qvxByVarArgs;

std::shared_ptr<Collection> qvxFSO::ReadStandardListFile(const std::u16string& FileName,
                                                         const std::u16string& CommentChar, bool IgnoreBlanks,
                                                         bool TrimStrings, bool IsOem, bool RaiseErrors)
{
    std::shared_ptr<Collection> list;
    qvxFileWork::Guarded(RaiseErrors, [&] {
        list = modStandardListFileSupport::LoadStandardListFile(FileName, IsOem, CommentChar, IgnoreBlanks,
                                                                TrimStrings);
    });
    return list;
}

Variant qvxFSO::ReadStandardListFile2ByVar(const Variant& FileName, const Variant& CommentChar,
                                           const Variant& IgnoreBlanks, const Variant& TrimStrings,
                                           const Variant& RaiseErrors, const Variant& Encoding,
                                           const Variant& FileBOM, const Variant& InvertBytes, Variant* lpEncoding,
                                           Variant* lpFileBOM, Variant* lpInvertBytes, Variant* lpSuccess)
{
    const std::u16string name = FileName.toString();
    const std::u16string comment = StringArg(CommentChar, u";");
    const bool ignoreBlanks = BoolArg(IgnoreBlanks, true);
    const bool trimStrings = BoolArg(TrimStrings, true);
    const bool raise = BoolArg(RaiseErrors, false);
    const FormatValues format = FormatArgs(Encoding, FileBOM, InvertBytes);
    FormatOutputs out(lpEncoding, lpFileBOM, lpInvertBytes);
    bool success = RefBool(lpSuccess);
    std::shared_ptr<Collection> list =
        ReadStandardListFile2(name, comment, ignoreBlanks, trimStrings, raise, format.Encoding, format.FileBOM,
                              format.InvertBytes, &out.Encoding, &out.FileBOM, &out.InvertBytes, &success);
    out.Store();
    StoreBool(lpSuccess, success);
    return Variant(std::shared_ptr<void>(std::move(list)));
}

std::shared_ptr<Collection> qvxFSO::ReadStandardListFile2(const std::u16string& FileName,
                                                          const std::u16string& CommentChar, bool IgnoreBlanks,
                                                          bool TrimStrings, bool RaiseErrors,
                                                          FileEncoding_Const Encoding, FileBOM_Const FileBOM,
                                                          InvertBytes_Const InvertBytes, FileEncoding_Const* lpEncoding,
                                                          FileBOM_Const* lpFileBOM, InvertBytes_Const* lpInvertBytes,
                                                          bool* lpSuccess)
{
    auto empty = std::make_shared<Collection>();
    bool read = false;
    std::u16string text;
    // GetFile2 raises argument and byte-order errors whatever RaiseErrors says; this
    // reader passes them on only when asked to.
    try {
        text = GetFile2(FileName, RaiseErrors, Encoding, FileBOM, InvertBytes, lpEncoding, lpFileBOM, lpInvertBytes,
                        &read);
    } catch (const AutomationError&) {
        if (lpSuccess) *lpSuccess = false;
        if (RaiseErrors) throw;
        return empty;
    }
    if (lpSuccess) *lpSuccess = read;
    if (!read) return empty;

    std::shared_ptr<Collection> list;
    const bool done = qvxFileWork::Guarded(RaiseErrors, [&] {
        auto filled = std::make_shared<Collection>();
        modStandardListFileSupport::AddTextEntries(text, CommentChar, IgnoreBlanks, TrimStrings, *filled);
        list = std::move(filled);
    });
    if (lpSuccess) *lpSuccess = done;
    return done ? list : empty;
}

}  // namespace Hollin0106
