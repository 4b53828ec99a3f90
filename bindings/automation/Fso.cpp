// The automation object qvxFSO: forwards every member to Hollin0106::qvxFSO.
#include <Hollin0106/qvxFSO.h>

#include "bindings/automation/ComBase.h"
#include "bindings/automation/Objects.h"
#include "bindings/automation/VariantMapping.h"

namespace automation {

namespace {

namespace H = Hollin0106;

// A VARIANT by reference of a ...ByVar method: its current value goes in (none when the
// argument was left out), the library's value comes back.
class OutVariant {
public:
    explicit OutVariant(VARIANT* target) : target_(target), given_(target != nullptr && !IsMissing(*target))
    {
        if (given_) value_ = FromVariant(*target);
    }
    H::Variant* get() { return given_ ? &value_ : nullptr; }
    void Commit()
    {
        if (given_) ToVariant(value_, target_);
    }

private:
    VARIANT* target_;
    bool given_;
    H::Variant value_;
};

// A typed value by reference: the caller's value goes in, the library's comes back.
// Vtable clients may pass no pointer for a left-out argument.
template <class Library, class Automation>
class OutValue {
public:
    explicit OutValue(Automation* target) : target_(target)
    {
        if (target_) value_ = static_cast<Library>(*target_);
    }
    Library* get() { return target_ ? &value_ : nullptr; }
    void Commit()
    {
        if (target_) *target_ = static_cast<Automation>(value_);
    }

private:
    Automation* target_;
    Library value_{};
};

class OutBool {
public:
    explicit OutBool(VARIANT_BOOL* target) : target_(target) { value_ = target_ && *target_ != VARIANT_FALSE; }
    bool* get() { return target_ ? &value_ : nullptr; }
    void Commit()
    {
        if (target_) *target_ = ToVariantBool(value_);
    }

private:
    VARIANT_BOOL* target_;
    bool value_ = false;
};

class OutString {
public:
    explicit OutString(BSTR* target) : target_(target)
    {
        if (target_) value_ = FromBstr(*target_);
    }
    std::u16string* get() { return target_ ? &value_ : nullptr; }
    void Commit() { AssignBstr(target_, value_); }

private:
    BSTR* target_;
    std::u16string value_;
};

// The reparse buffer argument: the bytes reach it only when it holds (or refers to) a
// byte array, as in the C++ API; any other content stays as it is.
class OutBuffer {
public:
    explicit OutBuffer(VARIANT* target) : target_(target)
    {
        while (target_ != nullptr && V_VT(target_) == (VT_BYREF | VT_VARIANT)) target_ = V_VARIANTREF(target_);
        if (target_ == nullptr) return;
        if (V_VT(target_) == (VT_ARRAY | VT_UI1))
            bytes_ = FromByteSafeArray(V_ARRAY(target_));
        else if (V_VT(target_) == (VT_BYREF | VT_ARRAY | VT_UI1) && V_ARRAYREF(target_) != nullptr)
            bytes_ = FromByteSafeArray(*V_ARRAYREF(target_));
        else
            return;
        isArray_ = true;
        value_ = H::Variant::RefTo(bytes_);
    }
    OutBuffer(const OutBuffer&) = delete;
    OutBuffer& operator=(const OutBuffer&) = delete;
    H::Variant* get() { return isArray_ ? &value_ : nullptr; }
    void Commit()
    {
        if (!isArray_) return;
        SAFEARRAY* fresh = ToByteSafeArray(bytes_);
        if (V_VT(target_) & VT_BYREF) {
            SafeArrayDestroy(*V_ARRAYREF(target_));
            *V_ARRAYREF(target_) = fresh;
        } else {
            SafeArrayDestroy(V_ARRAY(target_));
            V_ARRAY(target_) = fresh;
        }
    }

private:
    VARIANT* target_;
    bool isArray_ = false;
    H::ByteArray bytes_;
    H::Variant value_;
};

using OutEncoding = OutValue<H::FileEncoding_Const, ::FileEncoding_Const>;
using OutBOM = OutValue<H::FileBOM_Const, ::FileBOM_Const>;
using OutInvert = OutValue<H::InvertBytes_Const, ::InvertBytes_Const>;

bool B(VARIANT_BOOL value) { return value != VARIANT_FALSE; }

class FSOObject : public DispatchObject<_qvxFSO> {
public:
    // ---- Text files ---------------------------------------------------------------------
    HRESULT STDMETHODCALLTYPE PutFile2(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors, ::FileEncoding_Const Encoding,
                                       ::FileBOM_Const FileBOM, ::InvertBytes_Const InvertBytes, VARIANT_BOOL* r) override
    {
        return Run(r, [&] {
            *r = ToVariantBool(fso_.PutFile2(FromBstr(FileName), FromBstr(Data), B(RaiseErrors),
                                             H::FileEncoding_Const(Encoding), H::FileBOM_Const(FileBOM),
                                             H::InvertBytes_Const(InvertBytes)));
        });
    }
    HRESULT STDMETHODCALLTYPE GetFileFormat2ByVar(VARIANT FileName, VARIANT RaiseErrors, VARIANT* lpEncoding,
                                                  VARIANT* lpFileBOM, VARIANT* lpInvertBytes, VARIANT* r) override
    {
        return Run(r, [&] {
            OutVariant e(lpEncoding), b(lpFileBOM), i(lpInvertBytes);
            const H::Variant result =
                fso_.GetFileFormat2ByVar(FromVariant(FileName), FromVariant(RaiseErrors), e.get(), b.get(), i.get());
            e.Commit(), b.Commit(), i.Commit();
            ToVariant(result, r);
        });
    }
    HRESULT STDMETHODCALLTYPE GetFileFormat2(BSTR FileName, VARIANT_BOOL RaiseErrors, ::FileEncoding_Const* lpEncoding,
                                             ::FileBOM_Const* lpFileBOM, ::InvertBytes_Const* lpInvertBytes,
                                             VARIANT_BOOL* r) override
    {
        return Run(r, [&] {
            OutEncoding e(lpEncoding);
            OutBOM b(lpFileBOM);
            OutInvert i(lpInvertBytes);
            *r = ToVariantBool(fso_.GetFileFormat2(FromBstr(FileName), B(RaiseErrors), e.get(), b.get(), i.get()));
            e.Commit(), b.Commit(), i.Commit();
        });
    }
    HRESULT STDMETHODCALLTYPE OverwriteFile2ByVar(VARIANT FileName, VARIANT Data, VARIANT RaiseErrors, VARIANT Encoding,
                                                  VARIANT FileBOM, VARIANT InvertBytes, VARIANT* r) override
    {
        return Run(r, [&] {
            ToVariant(fso_.OverwriteFile2ByVar(FromVariant(FileName), FromVariant(Data), FromVariant(RaiseErrors),
                                               FromVariant(Encoding), FromVariant(FileBOM), FromVariant(InvertBytes)),
                      r);
        });
    }
    HRESULT STDMETHODCALLTYPE OverwriteFile2(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors,
                                             ::FileEncoding_Const Encoding, ::FileBOM_Const FileBOM,
                                             ::InvertBytes_Const InvertBytes, VARIANT_BOOL* r) override
    {
        return Run(r, [&] {
            *r = ToVariantBool(fso_.OverwriteFile2(FromBstr(FileName), FromBstr(Data), B(RaiseErrors),
                                                   H::FileEncoding_Const(Encoding), H::FileBOM_Const(FileBOM),
                                                   H::InvertBytes_Const(InvertBytes)));
        });
    }
    HRESULT STDMETHODCALLTYPE AppendFile2ByVar(VARIANT FileName, VARIANT Data, VARIANT RaiseErrors, VARIANT Encoding,
                                               VARIANT FileBOM, VARIANT InvertBytes, VARIANT* lpEncoding,
                                               VARIANT* lpFileBOM, VARIANT* lpInvertBytes, VARIANT* r) override
    {
        return Run(r, [&] {
            OutVariant e(lpEncoding), b(lpFileBOM), i(lpInvertBytes);
            const H::Variant result = fso_.AppendFile2ByVar(FromVariant(FileName), FromVariant(Data),
                                                            FromVariant(RaiseErrors), FromVariant(Encoding),
                                                            FromVariant(FileBOM), FromVariant(InvertBytes), e.get(),
                                                            b.get(), i.get());
            e.Commit(), b.Commit(), i.Commit();
            ToVariant(result, r);
        });
    }
    HRESULT STDMETHODCALLTYPE AppendFile2(BSTR FileName, BSTR Data, VARIANT_BOOL RaiseErrors,
                                          ::FileEncoding_Const Encoding, ::FileBOM_Const FileBOM,
                                          ::InvertBytes_Const InvertBytes, ::FileEncoding_Const* lpEncoding,
                                          ::FileBOM_Const* lpFileBOM, ::InvertBytes_Const* lpInvertBytes,
                                          VARIANT_BOOL* r) override
    {
        return Run(r, [&] {
            OutEncoding e(lpEncoding);
            OutBOM b(lpFileBOM);
            OutInvert i(lpInvertBytes);
            *r = ToVariantBool(fso_.AppendFile2(FromBstr(FileName), FromBstr(Data), B(RaiseErrors),
                                                H::FileEncoding_Const(Encoding), H::FileBOM_Const(FileBOM),
                                                H::InvertBytes_Const(InvertBytes), e.get(), b.get(), i.get()));
            e.Commit(), b.Commit(), i.Commit();
        });
    }
    HRESULT STDMETHODCALLTYPE GetFile2ByVar(BSTR FileName, VARIANT RaiseErrors, VARIANT Encoding, VARIANT FileBOM,
                                            VARIANT InvertBytes, VARIANT* lpEncoding, VARIANT* lpFileBOM,
                                            VARIANT* lpInvertBytes, VARIANT* lpSuccess, VARIANT* r) override
    {
        return Run(r, [&] {
            OutVariant e(lpEncoding), b(lpFileBOM), i(lpInvertBytes), s(lpSuccess);
            const H::Variant result =
                fso_.GetFile2ByVar(FromBstr(FileName), FromVariant(RaiseErrors), FromVariant(Encoding),
                                   FromVariant(FileBOM), FromVariant(InvertBytes), e.get(), b.get(), i.get(), s.get());
            e.Commit(), b.Commit(), i.Commit(), s.Commit();
            ToVariant(result, r);
        });
    }
    HRESULT STDMETHODCALLTYPE GetFile2(BSTR FileName, VARIANT_BOOL RaiseErrors, ::FileEncoding_Const Encoding,
                                       ::FileBOM_Const FileBOM, ::InvertBytes_Const InvertBytes,
                                       ::FileEncoding_Const* lpEncoding, ::FileBOM_Const* lpFileBOM,
                                       ::InvertBytes_Const* lpInvertBytes, VARIANT_BOOL* lpSuccess, BSTR* r) override
    {
        return Run(r, [&] {
            OutEncoding e(lpEncoding);
            OutBOM b(lpFileBOM);
            OutInvert i(lpInvertBytes);
            OutBool s(lpSuccess);
            const std::u16string text = fso_.GetFile2(FromBstr(FileName), B(RaiseErrors), H::FileEncoding_Const(Encoding),
                                                      H::FileBOM_Const(FileBOM), H::InvertBytes_Const(InvertBytes),
                                                      e.get(), b.get(), i.get(), s.get());
            *r = ToBstr(text);
            e.Commit(), b.Commit(), i.Commit(), s.Commit();
        });
    }

    // ---- Byte files ---------------------------------------------------------------------
    HRESULT STDMETHODCALLTYPE GetFileB(BSTR FileName, VARIANT_BOOL RaiseErrors, VARIANT_BOOL* lpSuccess,
                                       SAFEARRAY** r) override
    {
        return Run(r, [&] {
            OutBool s(lpSuccess);
            *r = ToByteSafeArray(fso_.GetFileB(FromBstr(FileName), B(RaiseErrors), s.get()));
            s.Commit();
        });
    }
    HRESULT STDMETHODCALLTYPE PutFileB(BSTR FileName, SAFEARRAY** Data, VARIANT_BOOL RaiseErrors, VARIANT_BOOL* r) override
    {
        if (Data == nullptr) return E_POINTER;  // the array itself may be null: no bytes
        return Run(r, [&] {
            *r = ToVariantBool(fso_.PutFileB(FromBstr(FileName), FromByteSafeArray(*Data), B(RaiseErrors)));
        });
    }
    HRESULT STDMETHODCALLTYPE AppendFileB(BSTR FileName, SAFEARRAY** Data, VARIANT_BOOL RaiseErrors,
                                          VARIANT_BOOL* r) override
    {
        if (Data == nullptr) return E_POINTER;  // the array itself may be null: no bytes
        return Run(r, [&] {
            *r = ToVariantBool(
                fso_.AppendFileB(FromBstr(FileName), FromByteSafeArray(*Data), B(RaiseErrors)));
        });
    }
    HRESULT STDMETHODCALLTYPE OverwriteFileB(BSTR FileName, SAFEARRAY** Data, VARIANT_BOOL RaiseErrors,
                                             VARIANT_BOOL* r) override
    {
        if (Data == nullptr) return E_POINTER;  // the array itself may be null: no bytes
        return Run(r, [&] {
            *r = ToVariantBool(
                fso_.OverwriteFileB(FromBstr(FileName), FromByteSafeArray(*Data), B(RaiseErrors)));
        });
    }

    // ---- Zones and descriptions ---------------------------------------------------------
    HRESULT STDMETHODCALLTYPE GetFileZone(BSTR FileName, ::FileZone_Const* r) override
    {
        return Run(r, [&] { *r = static_cast<::FileZone_Const>(fso_.GetFileZone(FromBstr(FileName))); });
    }
    HRESULT STDMETHODCALLTYPE SetFileZone(BSTR FileName, ::FileZone_Const FileZone, VARIANT_BOOL* r) override
    {
        return Run(r, [&] { *r = ToVariantBool(fso_.SetFileZone(FromBstr(FileName), H::FileZone_Const(FileZone))); });
    }
    HRESULT STDMETHODCALLTYPE IsFileZoneDefined(BSTR FileName, VARIANT_BOOL* r) override
    {
        return Run(r, [&] { *r = ToVariantBool(fso_.IsFileZoneDefined(FromBstr(FileName))); });
    }
    HRESULT STDMETHODCALLTYPE DeleteFileZone(BSTR FileName, VARIANT_BOOL* r) override
    {
        return Run(r, [&] { *r = ToVariantBool(fso_.DeleteFileZone(FromBstr(FileName))); });
    }
    HRESULT STDMETHODCALLTYPE GetFileDescription(BSTR FileName, BSTR* r) override
    {
        return Run(r, [&] { *r = ToBstr(fso_.GetFileDescription(FromBstr(FileName))); });
    }
    HRESULT STDMETHODCALLTYPE SetFileDescription(BSTR FileName, BSTR DescriptionText, VARIANT_BOOL* r) override
    {
        return Run(r, [&] { *r = ToVariantBool(fso_.SetFileDescription(FromBstr(FileName), FromBstr(DescriptionText))); });
    }
    HRESULT STDMETHODCALLTYPE SetFileDescription2(BSTR FileName, BSTR DescriptionText, VARIANT_BOOL AutoUTF8Mode,
                                                  VARIANT_BOOL* r) override
    {
        return Run(r, [&] {
            *r = ToVariantBool(fso_.SetFileDescription2(FromBstr(FileName), FromBstr(DescriptionText), B(AutoUTF8Mode)));
        });
    }
    HRESULT STDMETHODCALLTYPE DeleteFileDescription(BSTR FileName, VARIANT_BOOL* r) override
    {
        return Run(r, [&] { *r = ToVariantBool(fso_.DeleteFileDescription(FromBstr(FileName))); });
    }

    // ---- List files ---------------------------------------------------------------------
    HRESULT STDMETHODCALLTYPE ReadStandardListFile(BSTR FileName, BSTR CommentChar, VARIANT_BOOL IgnoreBlanks,
                                                   VARIANT_BOOL TrimStrings, VARIANT_BOOL IsOem,
                                                   VARIANT_BOOL RaiseErrors, _Collection** r) override
    {
        return Run(r, [&] {
            *r = WrapCollection(fso_.ReadStandardListFile(FromBstr(FileName), FromBstr(CommentChar), B(IgnoreBlanks),
                                                          B(TrimStrings), B(IsOem), B(RaiseErrors)));
        });
    }
    HRESULT STDMETHODCALLTYPE ReadStandardListFile2ByVar(VARIANT FileName, VARIANT CommentChar, VARIANT IgnoreBlanks,
                                                         VARIANT TrimStrings, VARIANT RaiseErrors, VARIANT Encoding,
                                                         VARIANT FileBOM, VARIANT InvertBytes, VARIANT* lpEncoding,
                                                         VARIANT* lpFileBOM, VARIANT* lpInvertBytes,
                                                         VARIANT* lpSuccess, VARIANT* r) override
    {
        return Run(r, [&] {
            OutVariant e(lpEncoding), b(lpFileBOM), i(lpInvertBytes), s(lpSuccess);
            const H::Variant result = fso_.ReadStandardListFile2ByVar(
                FromVariant(FileName), FromVariant(CommentChar), FromVariant(IgnoreBlanks), FromVariant(TrimStrings),
                FromVariant(RaiseErrors), FromVariant(Encoding), FromVariant(FileBOM), FromVariant(InvertBytes),
                e.get(), b.get(), i.get(), s.get());
            e.Commit(), b.Commit(), i.Commit(), s.Commit();
            if (result.type() == H::Variant::Type::Object) {
                VariantClear(r);
                *r = DispatchVariant(WrapCollection(std::static_pointer_cast<H::Collection>(result.object())));
            } else {
                ToVariant(result, r);
            }
        });
    }
    HRESULT STDMETHODCALLTYPE ReadStandardListFile2(BSTR FileName, BSTR CommentChar, VARIANT_BOOL IgnoreBlanks,
                                                    VARIANT_BOOL TrimStrings, VARIANT_BOOL RaiseErrors,
                                                    ::FileEncoding_Const Encoding, ::FileBOM_Const FileBOM,
                                                    ::InvertBytes_Const InvertBytes, ::FileEncoding_Const* lpEncoding,
                                                    ::FileBOM_Const* lpFileBOM, ::InvertBytes_Const* lpInvertBytes,
                                                    VARIANT_BOOL* lpSuccess, _Collection** r) override
    {
        return Run(r, [&] {
            OutEncoding e(lpEncoding);
            OutBOM b(lpFileBOM);
            OutInvert i(lpInvertBytes);
            OutBool s(lpSuccess);
            auto list = fso_.ReadStandardListFile2(FromBstr(FileName), FromBstr(CommentChar), B(IgnoreBlanks),
                                                   B(TrimStrings), B(RaiseErrors), H::FileEncoding_Const(Encoding),
                                                   H::FileBOM_Const(FileBOM), H::InvertBytes_Const(InvertBytes),
                                                   e.get(), b.get(), i.get(), s.get());
            *r = WrapCollection(std::move(list));
            e.Commit(), b.Commit(), i.Commit(), s.Commit();
        });
    }

    // ---- Compression, recycling, times --------------------------------------------------
    HRESULT STDMETHODCALLTYPE SetFileCompression(BSTR FileName, ::CompressionFormat_Const CompressionFormat,
                                                 LONG* lpErrorCode, VARIANT_BOOL* r) override
    {
        return Run(r, [&] {
            OutValue<std::int32_t, LONG> code(lpErrorCode);
            *r = ToVariantBool(
                fso_.SetFileCompression(FromBstr(FileName), H::CompressionFormat_Const(CompressionFormat), code.get()));
            code.Commit();
        });
    }
    HRESULT STDMETHODCALLTYPE GetFileCompression(BSTR FileName, LONG* lpErrorCode, ::CompressionFormat_Const* r) override
    {
        return Run(r, [&] {
            OutValue<std::int32_t, LONG> code(lpErrorCode);
            *r = static_cast<::CompressionFormat_Const>(fso_.GetFileCompression(FromBstr(FileName), code.get()));
            code.Commit();
        });
    }
    HRESULT STDMETHODCALLTYPE RecycleFile(BSTR FileName, VARIANT_BOOL SkipRecycleBin, VARIANT_BOOL RaiseErrors,
                                          VARIANT_BOOL* r) override
    {
        return Run(r, [&] { *r = ToVariantBool(fso_.RecycleFile(FromBstr(FileName), B(SkipRecycleBin), B(RaiseErrors))); });
    }
    HRESULT STDMETHODCALLTYPE GetFileDateTime(BSTR FileName, DATE* lpCreationTime, DATE* lpLastAccessTime,
                                              DATE* lpLastWriteTime, VARIANT_BOOL RaiseErrors, VARIANT_BOOL* r) override
    {
        return Run(r, [&] {
            *r = ToVariantBool(fso_.GetFileDateTime(FromBstr(FileName), lpCreationTime, lpLastAccessTime,
                                                    lpLastWriteTime, B(RaiseErrors)));
        });
    }
    HRESULT STDMETHODCALLTYPE SetFileDateTime(BSTR FileName, DATE CreationTime, DATE LastAccessTime, DATE LastWriteTime,
                                              VARIANT_BOOL RaiseErrors, VARIANT_BOOL* r) override
    {
        return Run(r, [&] {
            *r = ToVariantBool(fso_.SetFileDateTime(FromBstr(FileName), CreationTime, LastAccessTime, LastWriteTime,
                                                    B(RaiseErrors)));
        });
    }

    // ---- Reparse points -----------------------------------------------------------------
    HRESULT STDMETHODCALLTYPE GetSymlinkTarget(BSTR SymlinkFileName, BSTR* lpTargetFileNameRaw, BSTR* lpPrintName,
                                               LONG* lpReparseTag, VARIANT_BOOL* lpRelativePath,
                                               VARIANT* lpReparseDataBuffer, BSTR* r) override
    {
        return GetSymlinkTargetEx(SymlinkFileName, lpTargetFileNameRaw, lpPrintName, lpReparseTag, lpRelativePath,
                                  lpReparseDataBuffer, nullptr, r);
    }
    HRESULT STDMETHODCALLTYPE GetSymlinkTargetEx(BSTR SymlinkFileName, BSTR* lpTargetFileNameRaw, BSTR* lpPrintName,
                                                 LONG* lpReparseTag, VARIANT_BOOL* lpRelativePath,
                                                 VARIANT* lpReparseDataBuffer,
                                                 ::SymlinkTargetError_Const* lpErrorCode, BSTR* r) override
    {
        return Run(r, [&] {
            OutString raw(lpTargetFileNameRaw), print(lpPrintName);
            OutValue<std::int32_t, LONG> tag(lpReparseTag);
            OutBool relative(lpRelativePath);
            OutBuffer buffer(lpReparseDataBuffer);
            OutValue<H::SymlinkTargetError_Const, ::SymlinkTargetError_Const> code(lpErrorCode);
            const std::u16string target = fso_.GetSymlinkTargetEx(FromBstr(SymlinkFileName), raw.get(), print.get(),
                                                                   tag.get(), relative.get(), buffer.get(), code.get());
            *r = ToBstr(target);
            raw.Commit(), print.Commit(), tag.Commit(), relative.Commit(), buffer.Commit(), code.Commit();
        });
    }

private:
    H::qvxFSO fso_;
};

}  // namespace

IDispatch* NewFSO() { return new FSOObject(); }

}  // namespace automation
