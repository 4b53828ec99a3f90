// A C++ client of Hollin0106.dll, as early-bound C++ and VBA's late binding meet it:
// named arguments, NULL out pointers, a typed callback's error, the type library a
// browser reads, and a host that loads and frees the DLL.
#include <initguid.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include <windows.h>
#include <oleauto.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wwrite-strings"
#include "Hollin0106_h.h"
#pragma GCC diagnostic pop

namespace {

const GUID kNoInterface{};  // IID_NULL, which Invoke and GetIDsOfNames take

// The tests run on the thread that initialises this program's statics.
const HRESULT kCom = CoInitialize(nullptr);

// An interface pointer released when it goes.
template <class T>
struct Ptr {
    T* p = nullptr;
    Ptr() = default;
    Ptr(const Ptr&) = delete;
    Ptr& operator=(const Ptr&) = delete;
    ~Ptr()
    {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
    void** vout() { return reinterpret_cast<void**>(&p); }
};

// A BSTR freed when it goes.
using Text = std::unique_ptr<OLECHAR, decltype(&SysFreeString)>;
Text Bstr(const wchar_t* text) { return Text(SysAllocString(text), &SysFreeString); }

// Hollin0106.dll beside this program, loaded for as long as the handle lives; its classes
// come from its own class factory, without registration.
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)>;
Module Load() { return Module(LoadLibraryW(L"Hollin0106.dll"), &FreeLibrary); }

template <class I>
HRESULT Create(REFCLSID clsid, Ptr<I>& object)
{
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"Hollin0106.dll"), "DllGetClassObject")));
    Ptr<IClassFactory> factory;
    const HRESULT hr = get ? get(clsid, IID_IClassFactory, factory.vout()) : E_FAIL;
    return FAILED(hr) ? hr : factory->CreateInstance(nullptr, __uuidof(I), object.vout());
}

VARIANT Var(VARTYPE type, const std::function<void(VARIANT&)>& fill)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = type;
    fill(v);
    return v;
}
VARIANT Str(const wchar_t* text) { return Var(VT_BSTR, [&](VARIANT& v) { V_BSTR(&v) = SysAllocString(text); }); }
VARIANT Int(LONG n) { return Var(VT_I4, [&](VARIANT& v) { V_I4(&v) = n; }); }

// One late-bound call as VBA makes it: the member and parameter names looked up first,
// then Invoke with the positional arguments (in the caller's order) and the named ones.
struct Call {
    std::vector<std::wstring> names;  // the member, then the named parameters
    std::vector<VARIANT> positional;
    std::vector<VARIANT> named;  // in the order of names[1..]
};

struct Outcome {
    HRESULT lookup = S_OK;
    HRESULT hr = S_OK;
    UINT argError = UINT(-1);
    VARIANT result{};
};

Outcome Invoke(IDispatch* object, Call call)
{
    Outcome out;
    std::vector<LPOLESTR> names;
    for (auto& n : call.names) names.push_back(n.data());
    std::vector<DISPID> ids(names.size());
    out.lookup = object->GetIDsOfNames(kNoInterface, names.data(), static_cast<UINT>(names.size()), 0, ids.data());
    if (FAILED(out.lookup)) return out;
    // rgvarg: the named arguments first, then the positional ones from the last.
    std::vector<VARIANT> args(call.named.begin(), call.named.end());
    args.insert(args.end(), call.positional.rbegin(), call.positional.rend());
    DISPPARAMS params{args.data(), ids.data() + 1, static_cast<UINT>(args.size()), static_cast<UINT>(ids.size() - 1)};
    EXCEPINFO error{};
    out.hr = object->Invoke(ids[0], kNoInterface, 0, DISPATCH_METHOD, &params, &out.result, &error, &out.argError);
    SysFreeString(error.bstrSource), SysFreeString(error.bstrDescription), SysFreeString(error.bstrHelpFile);
    for (VARIANT& v : args) VariantClear(&v);
    return out;
}

std::vector<unsigned char> FileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(NamedArguments, VbaStyleCallsReachTheirParameters)
{
    const Module dll = Load();
    ASSERT_TRUE(dll);
    Ptr<IDispatch> fso;
    ASSERT_EQ(Create(CLSID_qvxFSO, fso), S_OK);
    const std::wstring file = (std::filesystem::temp_directory_path() / L"hollin_named.txt").wstring();

    // PutFile2 FileName, "hé", Encoding:=feUTF16: the file is UTF-16 with its mark.
    EXPECT_EQ(Invoke(fso.p, {{L"PutFile2", L"Encoding"}, {Str(file.c_str()), Str(L"h\u00E9")}, {Int(3)}}).hr, S_OK);
    EXPECT_EQ(FileBytes(file), (std::vector<unsigned char>{0xFF, 0xFE, 'h', 0, 0xE9, 0}));
    // Every argument named, in another order: UTF-8 without a mark.
    EXPECT_EQ(Invoke(fso.p, {{L"PutFile2", L"FileBOM", L"Data", L"Encoding", L"FileName"},
                             {},
                             {Int(1), Str(L"h\u00E9"), Int(2), Str(file.c_str())}})
                  .hr,
              S_OK);
    EXPECT_EQ(FileBytes(file), (std::vector<unsigned char>{'h', 0xC3, 0xA9}));

    // A typed output named (lpEncoding:=variable) where the script's variable held a string.
    VARIANT encoding = Str(L"1");
    VARIANT reference = Var(VT_BYREF | VT_VARIANT, [&](VARIANT& v) { V_VARIANTREF(&v) = &encoding; });
    EXPECT_EQ(Invoke(fso.p, {{L"GetFileFormat2", L"lpEncoding"}, {Str(file.c_str())}, {reference}}).hr, S_OK);
    EXPECT_EQ(V_VT(&encoding), VT_I4);
    EXPECT_EQ(V_I4(&encoding), 1);  // UTF-8 without a mark reads as ANSI
    DeleteFileW(file.c_str());

    const struct {
        const char* name;
        Call call;
        HRESULT lookup;
        HRESULT hr;
        UINT argError;
    } wrong[] = {
        {"a name no parameter has", {{L"PutFile2", L"Encodings"}, {Str(file.c_str()), Str(L"x")}, {Int(3)}},
         DISP_E_UNKNOWNNAME, S_OK, UINT(-1)},
        {"a parameter given by position and by name", {{L"PutFile2", L"Data"}, {Str(file.c_str()), Str(L"x")}, {Str(L"y")}},
         S_OK, DISP_E_PARAMNOTFOUND, 0},
        {"a required parameter left out", {{L"PutFile2", L"Encoding"}, {Str(file.c_str())}, {Int(3)}},
         S_OK, DISP_E_PARAMNOTOPTIONAL, UINT(-1)},
        {"an object for a string", {{L"GetFileZone"}, {Var(VT_DISPATCH, [](VARIANT& v) { V_DISPATCH(&v) = nullptr; })}, {}},
         S_OK, DISP_E_TYPEMISMATCH, 0},
    };
    for (const auto& row : wrong) {
        SCOPED_TRACE(row.name);
        Outcome out = Invoke(fso.p, row.call);
        EXPECT_EQ(out.lookup, row.lookup);
        if (FAILED(out.lookup)) continue;
        EXPECT_EQ(out.hr, row.hr);
        EXPECT_EQ(out.argError, row.argError);
        VariantClear(&out.result);
    }
    EXPECT_EQ(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << "no wrong call wrote the file";
}

// Every member with a result refuses a NULL one in the same place (the interfaces' Run), so
// one member stands for them; the byte array members check their input array themselves.
TEST(NullOutPointers, AResultOrAnInputArrayIsRefusedWithEPointer)
{
    const Module dll = Load();
    ASSERT_TRUE(dll);
    Ptr<_qvxFSO> fso;
    ASSERT_EQ(Create(CLSID_qvxFSO, fso), S_OK);
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const Text name = Bstr(program);
    const struct {
        const char* name;
        std::function<HRESULT()> call;
    } calls[] = {
        {"a result", [&] { return fso->GetFileZone(name.get(), nullptr); }},
        {"an input array", [&] { VARIANT_BOOL r; return fso->PutFileB(name.get(), nullptr, VARIANT_FALSE, &r); }},
    };
    for (const auto& c : calls) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(), E_POINTER);
    }
    // A left-out optional output is no NULL result: the call goes on.
    CompressionFormat_Const state = cfNone;
    EXPECT_EQ(fso->GetFileCompression(name.get(), nullptr, &state), S_OK);
}

// An IFindFilesCallback a C++ or VB6 program implements through the vtable: it fails
// with its own error information.
class FailingCallback : public _IFindFilesCallback {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        const bool mine = riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(_IFindFilesCallback);
        *object = mine ? this : nullptr;
        if (mine) AddRef();
        return mine ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DirectoryCompleted(BSTR, VARIANT_BOOL*) override
    {
        ++calls;
        Ptr<ICreateErrorInfo> create;
        Ptr<IErrorInfo> info;
        CreateErrorInfo(&create.p);
        create->SetDescription(const_cast<LPOLESTR>(L"typed callback failed"));
        create->QueryInterface(IID_IErrorInfo, info.vout());
        SetErrorInfo(0, info.p);
        return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 1234);
    }

    ULONG references = 1;
    int calls = 0;
};

TEST(TypedCallback, ItsErrorInformationReachesTheCaller)
{
    const Module dll = Load();
    ASSERT_TRUE(dll);
    Ptr<_qvxFoundedFiles> found;
    ASSERT_EQ(Create(CLSID_qvxFoundedFiles, found), S_OK);
    FailingCallback callback;
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const Text path = Bstr(windows), mask = Bstr(L"*.none");
    const VARIANT object = Var(VT_DISPATCH, [&](VARIANT& v) { V_DISPATCH(&v) = &callback; });
    VARIANT_BOOL done = VARIANT_TRUE;
    EXPECT_EQ(found->RefreshEx2(path.get(), mask.get(), VARIANT_FALSE, object, VARIANT_TRUE, &done),
              MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 1234));
    Ptr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, &info.p), S_OK);
    BSTR description = nullptr;
    info->GetDescription(&description);
    EXPECT_STREQ(description, L"typed callback failed");
    SysFreeString(description);
    EXPECT_EQ(callback.calls, 1);
    EXPECT_EQ(callback.references, 1u) << "the search keeps no reference";
}

// As a browser (VBA's object browser, OLEView) reads it: every member can be read back (a
// default the reader cannot take makes the whole function unreadable, so no client could
// call it), carries a one-line help string, and every default is a value of a real type.
TEST(TypeLibrary, EveryMemberIsReadableWithAHelpStringAndSoundDefaults)
{
    Ptr<ITypeLib> library;
    ASSERT_EQ(LoadTypeLibEx(L"Hollin0106.dll", REGKIND_NONE, &library.p), S_OK);
    int functions = 0;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        TYPEKIND kind;
        library->GetTypeInfoType(i, &kind);
        if (kind != TKIND_DISPATCH) continue;
        BSTR name = nullptr, help = nullptr;
        library->GetDocumentation(static_cast<INT>(i), &name, &help, nullptr, nullptr);
        SCOPED_TRACE(testing::Message() << std::string(name, name + SysStringLen(name)));
        EXPECT_GT(SysStringLen(help), 0u);
        SysFreeString(name), SysFreeString(help);
        Ptr<ITypeInfo> dispatch, info;
        library->GetTypeInfo(i, &dispatch.p);
        HREFTYPE ref = 0;
        if (SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref))) dispatch->GetRefTypeInfo(ref, &info.p);
        ASSERT_NE(info.p, nullptr);
        TYPEATTR* attr = nullptr;
        info->GetTypeAttr(&attr);
        for (UINT f = 0; f < attr->cFuncs; ++f) {
            FUNCDESC* function = nullptr;
            EXPECT_EQ(info->GetFuncDesc(f, &function), S_OK) << "function " << f;
            if (function == nullptr) continue;
            ++functions;
            BSTR member = nullptr, text = nullptr;
            info->GetDocumentation(function->memid, &member, &text, nullptr, nullptr);
            SCOPED_TRACE(testing::Message() << std::string(member, member + SysStringLen(member)));
            EXPECT_TRUE(text && *text && !wcschr(text, L'\n')) << "a help string of one line";
            for (SHORT p = 0; p < function->cParams; ++p) {
                const PARAMDESC& param = function->lprgelemdescParam[p].paramdesc;
                if (!(param.wParamFlags & PARAMFLAG_FHASDEFAULT)) continue;
                ASSERT_NE(param.pparamdescex, nullptr);
                const VARTYPE vt = V_VT(&param.pparamdescex->varDefaultValue);
                EXPECT_TRUE(vt == VT_I4 || vt == VT_BOOL || vt == VT_BSTR) << "parameter " << p << ": " << vt;
            }
            SysFreeString(member), SysFreeString(text);
            info->ReleaseFuncDesc(function);
        }
        info->ReleaseTypeAttr(attr);
    }
    EXPECT_GT(functions, 150);
}

// A host that loads the DLL for one object: create it, look a name up (which loads the type
// library), release it, FreeLibrary. DllCanUnloadNow says no while the object lives, yes
// once it has gone; afterwards the DLL is gone, and since oleaut32 keeps one type library
// object per file for as long as anyone holds it, the one this test holds is the DLL's
// own, whose count is back where it was.
TEST(Unload, TheDllGoesOnceItsLastObjectHasGoneAndLeavesNoTypeLibraryReference)
{
    wchar_t path[MAX_PATH] = {};
    {
        const Module dll = Load();
        ASSERT_TRUE(dll);
        GetModuleFileNameW(GetModuleHandleW(L"Hollin0106.dll"), path, MAX_PATH);
    }
    Ptr<ITypeLib> library;
    ASSERT_EQ(LoadTypeLibEx(path, REGKIND_NONE, &library.p), S_OK);
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    const auto references = [&] {
        const ULONG count = library->AddRef() - 1;
        library->Release();
        return count;
    };
    const ULONG before = references();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        {
            const Module dll = Load();
            const auto canUnload = reinterpret_cast<CanUnload>(
                reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"Hollin0106.dll"), "DllCanUnloadNow")));
            ASSERT_NE(canUnload, nullptr);
            {
                Ptr<IDispatch> fso;
                ASSERT_EQ(Create(CLSID_qvxFSO, fso), S_OK);
                OLECHAR member[] = L"GetSymlinkTargetEx";
                LPOLESTR names[] = {member};
                DISPID id = 0;
                ASSERT_EQ(fso->GetIDsOfNames(kNoInterface, names, 1, 0, &id), S_OK);
                EXPECT_EQ(id, 31);
                EXPECT_EQ(canUnload(), S_FALSE);
            }
            EXPECT_EQ(canUnload(), S_OK);
        }
        EXPECT_EQ(GetModuleHandleW(L"Hollin0106.dll"), nullptr);
        EXPECT_EQ(references(), before);
    }
}

}  // namespace
