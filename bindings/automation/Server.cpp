// The four entry points of the in-process automation server Hollin0106.dll: the class
// factory, the unload test and the registration of the type library, the classes and
// their ProgIDs ("Hollin0106.<class>").
#include <initguid.h>

#include <string>

#include "bindings/automation/ComBase.h"
#include "bindings/automation/Objects.h"

#include <olectl.h>

namespace automation {

const std::vector<CreatableClass>& CreatableClasses()
{
    static const std::vector<CreatableClass> classes = {
        {&CLSID_qvxFSO, L"qvxFSO", NewFSO},
        {&CLSID_qvxDescriptIon, L"qvxDescriptIon", NewDescriptIon},
        {&CLSID_qvxFileStreams, L"qvxFileStreams", NewFileStreams},
        {&CLSID_qvxFoundedFiles, L"qvxFoundedFiles", NewFoundedFiles},
        {&CLSID_IFindFilesCallback, L"IFindFilesCallback", NewFindFilesCallback},
        {&CLSID_qvxFileVersion, L"qvxFileVersion", NewFileVersion},
        {&CLSID_qvxShellFileInfo, L"qvxShellFileInfo", NewShellFileInfo},
    };
    return classes;
}

namespace {

class ClassFactory : public UnknownObject<IClassFactory> {
public:
    explicit ClassFactory(IDispatch* (*create)()) : create_(create) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        IDispatch* created = nullptr;
        try {
            created = create_();
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        const HRESULT hr = created->QueryInterface(riid, object);
        created->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock) ++g_serverLocks;
        else --g_serverLocks;
        return S_OK;
    }

private:
    IDispatch* (*create_)();
};

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// Sets the value `name` (default value for nullptr) of HKEY_CLASSES_ROOT\`key`.
bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

void DeleteKey(const std::wstring& key)
{
    RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
}

}  // namespace

}  // namespace automation

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object)
{
    using namespace automation;
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    for (const CreatableClass& c : CreatableClasses()) {
        if (*c.clsid != clsid) continue;
        auto* factory = new (std::nothrow) ClassFactory(c.create);
        if (factory == nullptr) return E_OUTOFMEMORY;
        const HRESULT hr = factory->QueryInterface(riid, object);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

// When a host frees the DLL (FreeLibrary, CoFreeUnusedLibraries), what it took from
// oleaut32 goes back: otherwise every load would leave a type library behind. At process
// exit (`reserved` set) nothing is released: other DLLs may be gone already.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) automation::ReleaseTypeInformation();
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return automation::CanUnloadNow() ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer()
{
    using namespace automation;
    const std::wstring path = ModulePath();
    ITypeLib* library = TypeLibrary();
    if (path.empty() || library == nullptr) return SELFREG_E_TYPELIB;
    HRESULT hr = RegisterTypeLib(library, const_cast<OLECHAR*>(path.c_str()), nullptr);
    if (FAILED(hr)) return SELFREG_E_TYPELIB;
    const std::wstring libid = GuidText(LIBID_Hollin0106);
    for (const CreatableClass& c : CreatableClasses()) {
        const std::wstring clsid = L"CLSID\\" + GuidText(*c.clsid);
        const std::wstring progid = std::wstring(L"Hollin0106.") + c.name;
        const bool ok = SetValue(clsid, nullptr, c.name) &&
                        SetValue(clsid + L"\\InprocServer32", nullptr, path) &&
                        SetValue(clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                        SetValue(clsid + L"\\ProgID", nullptr, progid + L".1") &&
                        SetValue(clsid + L"\\VersionIndependentProgID", nullptr, progid) &&
                        SetValue(clsid + L"\\TypeLib", nullptr, libid) &&
                        SetValue(clsid + L"\\Version", nullptr, L"1.0") &&
                        SetValue(progid, nullptr, c.name) && SetValue(progid + L"\\CLSID", nullptr, GuidText(*c.clsid)) &&
                        SetValue(progid + L"\\CurVer", nullptr, progid + L".1") &&
                        SetValue(progid + L".1", nullptr, c.name) &&
                        SetValue(progid + L".1\\CLSID", nullptr, GuidText(*c.clsid));
        if (!ok) return SELFREG_E_CLASS;
    }
    return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    using namespace automation;
    for (const CreatableClass& c : CreatableClasses()) {
        const std::wstring progid = std::wstring(L"Hollin0106.") + c.name;
        DeleteKey(L"CLSID\\" + GuidText(*c.clsid));
        DeleteKey(progid);
        DeleteKey(progid + L".1");
    }
    // The type library is unregistered under the identity it carries (version, locale,
    // system kind), as RegisterTypeLib registered it.
    ITypeLib* library = TypeLibrary();
    TLIBATTR* attr = nullptr;
    if (library == nullptr || FAILED(library->GetLibAttr(&attr))) return SELFREG_E_TYPELIB;
    const HRESULT hr = UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
    library->ReleaseTLibAttr(attr);
    return SUCCEEDED(hr) || hr == TYPE_E_REGISTRYACCESS ? S_OK : hr;
}
