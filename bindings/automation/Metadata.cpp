// The automation objects qvxDescriptIon and qvxFileVersion.
#include <Hollin0106/qvxDescriptIon.h>
#include <Hollin0106/qvxFileVersion.h>

#include "bindings/automation/ComBase.h"
#include "bindings/automation/Objects.h"
#include "bindings/automation/VariantMapping.h"

namespace automation {

namespace {

namespace H = Hollin0106;

class DescriptIonObject : public DispatchObject<_qvxDescriptIon> {
public:
    HRESULT STDMETHODCALLTYPE get_UTF8Mode(VARIANT_BOOL* r) override { return Run(r, [&] { *r = ToVariantBool(d_.UTF8Mode()); }); }
    HRESULT STDMETHODCALLTYPE put_UTF8Mode(VARIANT_BOOL value) override
    {
        return Run([&] { d_.UTF8Mode(value != VARIANT_FALSE); });
    }
    HRESULT STDMETHODCALLTYPE get_FileName(BSTR* r) override { return Run(r, [&] { *r = ToBstr(d_.FileName()); }); }
    HRESULT STDMETHODCALLTYPE get_ItemFileName(LONG Index, BSTR* r) override
    {
        return Run(r, [&] { *r = ToBstr(d_.ItemFileName(Index)); });
    }
    HRESULT STDMETHODCALLTYPE get_ItemDescription(LONG Index, BSTR* r) override
    {
        return Run(r, [&] { *r = ToBstr(d_.ItemDescription(Index)); });
    }
    HRESULT STDMETHODCALLTYPE get_ItemDescriptionByFileName(BSTR FileName, BSTR* r) override
    {
        return Run(r, [&] { *r = ToBstr(d_.ItemDescriptionByFileName(FromBstr(FileName))); });
    }
    HRESULT STDMETHODCALLTYPE get_ItemCount(LONG* r) override { return Run(r, [&] { *r = d_.ItemCount(); }); }
    HRESULT STDMETHODCALLTYPE RemoveItem(LONG Index, VARIANT_BOOL* r) override
    {
        return Run(r, [&] { *r = ToVariantBool(d_.RemoveItem(Index)); });
    }
    HRESULT STDMETHODCALLTYPE RemoveItemByFileName(BSTR FileName, VARIANT_BOOL* r) override
    {
        return Run(r, [&] { *r = ToVariantBool(d_.RemoveItemByFileName(FromBstr(FileName))); });
    }
    HRESULT STDMETHODCALLTYPE AddItem(BSTR FileName, BSTR Description) override
    {
        return Run([&] { d_.AddItem(FromBstr(FileName), FromBstr(Description)); });
    }
    HRESULT STDMETHODCALLTYPE Clear() override { return Run([&] { d_.Clear(); }); }
    HRESULT STDMETHODCALLTYPE ReadFile(BSTR FileName, VARIANT_BOOL* r) override
    {
        return Run(r, [&] { *r = ToVariantBool(d_.ReadFile(FromBstr(FileName))); });
    }
    HRESULT STDMETHODCALLTYPE WriteFile(BSTR FileName, VARIANT_BOOL* r) override
    {
        return Run(r, [&] { *r = ToVariantBool(d_.WriteFile(FromBstr(FileName))); });
    }
    HRESULT STDMETHODCALLTYPE ReadDirectoryFile(BSTR PathName, VARIANT_BOOL* r) override
    {
        return Run(r, [&] { *r = ToVariantBool(d_.ReadDirectoryFile(FromBstr(PathName))); });
    }
    HRESULT STDMETHODCALLTYPE WriteDirectoryFile(BSTR PathName, VARIANT_BOOL* r) override
    {
        return Run(r, [&] { *r = ToVariantBool(d_.WriteDirectoryFile(FromBstr(PathName))); });
    }

private:
    H::qvxDescriptIon d_;
};

class FileVersionObject : public DispatchObject<_qvxFileVersion> {
public:
    HRESULT STDMETHODCALLTYPE Clear() override { return Run([&] { v_.Clear(); }); }
    HRESULT STDMETHODCALLTYPE ReadFile(BSTR FileName, VARIANT_BOOL* r) override
    {
        return Run(r, [&] { *r = ToVariantBool(v_.ReadFile(FromBstr(FileName))); });
    }
    HRESULT STDMETHODCALLTYPE get_FileName(BSTR* r) override { return Run(r, [&] { *r = ToBstr(v_.FileName()); }); }
    HRESULT STDMETHODCALLTYPE get_InfoBuffer(SAFEARRAY** r) override
    {
        return Run(r, [&] { *r = ToByteSafeArray(v_.InfoBuffer()); });
    }
    // 32-bit words keep their bits in a LONG; 16-bit words in a SHORT.
#define HOLLIN_GET(name, type) \
    HRESULT STDMETHODCALLTYPE get_##name(type* r) override { return Run(r, [&] { *r = static_cast<type>(v_.name()); }); }
    HOLLIN_GET(FileDateLS, LONG)
    HOLLIN_GET(FileDateMS, LONG)
    HOLLIN_GET(FileSubType, ::FileSubType_Const)
    HOLLIN_GET(FileType, ::FileType_Const)
    HOLLIN_GET(FileOS, ::FileOS_Const)
    HOLLIN_GET(Signature, LONG)
    HOLLIN_GET(StrucVerMajor, SHORT)
    HOLLIN_GET(StrucVerMinor, SHORT)
    HOLLIN_GET(ProductVerMajor, LONG)
    HOLLIN_GET(ProductVerMinor, LONG)
    HOLLIN_GET(ProductVerRevisionMajor, LONG)
    HOLLIN_GET(ProductVerRevisionMinor, LONG)
    HOLLIN_GET(FileVerMajor, LONG)
    HOLLIN_GET(FileVerMinor, LONG)
    HOLLIN_GET(FileVerRevisionMajor, LONG)
    HOLLIN_GET(FileVerRevisionMinor, LONG)
    HOLLIN_GET(FileFlags, LONG)
    HOLLIN_GET(FileFlagsMask, LONG)
    HOLLIN_GET(TranslationLanguageID, SHORT)
    HOLLIN_GET(TranslationCharset, SHORT)
#undef HOLLIN_GET
#define HOLLIN_BOOL(name) \
    HRESULT STDMETHODCALLTYPE get_##name(VARIANT_BOOL* r) override { return Run(r, [&] { *r = ToVariantBool(v_.name()); }); }
    HOLLIN_BOOL(FileFlagDebug)
    HOLLIN_BOOL(FileFlagSpecialBuild)
    HOLLIN_BOOL(FileFlagPrivateBuild)
    HOLLIN_BOOL(FileFlagPreRelease)
    HOLLIN_BOOL(FileFlagPatched)
    HOLLIN_BOOL(FileFlagInfoInferred)
#undef HOLLIN_BOOL
    HRESULT STDMETHODCALLTYPE GetLanguageName(SHORT LanguageID, BSTR* r) override
    {
        return Run(r, [&] { *r = ToBstr(v_.GetLanguageName(static_cast<std::uint16_t>(LanguageID))); });
    }
    HRESULT STDMETHODCALLTYPE get_TranslationLanguageName(BSTR* r) override
    {
        return Run(r, [&] { *r = ToBstr(v_.TranslationLanguageName()); });
    }
#define HOLLIN_STR(name)                                                          \
    HRESULT STDMETHODCALLTYPE get_##name(VARIANT_BOOL* lpStringExist, BSTR* r) override \
    {                                                                             \
        return Run(r, [&] {                                                          \
            bool exists = false;                                                  \
            *r = ToBstr(v_.name(&exists));                                        \
            if (lpStringExist) *lpStringExist = ToVariantBool(exists);            \
        });                                                                       \
    }
    HOLLIN_STR(StrComments)
    HOLLIN_STR(StrCompanyName)
    HOLLIN_STR(StrFileDescription)
    HOLLIN_STR(StrFileVersion)
    HOLLIN_STR(StrInternalName)
    HOLLIN_STR(StrLegalCopyright)
    HOLLIN_STR(StrLegalTrademarks)
    HOLLIN_STR(StrOLESelfRegister)
    HOLLIN_STR(StrOriginalFilename)
    HOLLIN_STR(StrPrivateBuild)
    HOLLIN_STR(StrProductName)
    HOLLIN_STR(StrProductVersion)
    HOLLIN_STR(StrSpecialBuild)
#undef HOLLIN_STR

private:
    H::qvxFileVersion v_;
};

}  // namespace

IDispatch* NewDescriptIon() { return new DescriptIonObject(); }
IDispatch* NewFileVersion() { return new FileVersionObject(); }

}  // namespace automation
