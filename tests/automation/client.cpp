// A C++ client of Hollin0106.dll, as early-bound C++ and VBA's late binding meet it:
// named arguments, NULL out pointers, a typed callback's error, the type library a
// browser reads, and a host that loads and frees the DLL again and again.
#include <initguid.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <oleauto.h>
#include <olectl.h>
#include <psapi.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wwrite-strings"
#include "Hollin0106_h.h"
#pragma GCC diagnostic pop

namespace {

// IID_NULL, which Invoke and GetIDsOfNames take.
const GUID kNoInterface{};

class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};
const auto* const kCom = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

// An interface pointer released when it goes.
template <class T>
class Ptr {
public:
    Ptr() = default;
    Ptr(const Ptr&) = delete;
    Ptr& operator=(const Ptr&) = delete;
    ~Ptr()
    {
        if (p_) p_->Release();
    }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** out() { return &p_; }
    void** vout() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

// A BSTR freed when it goes.
class Text {
public:
    explicit Text(const wchar_t* text) : b_(SysAllocString(text)) {}
    ~Text() { SysFreeString(b_); }
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    operator BSTR() const { return b_; }

private:
    BSTR b_;
};

// Hollin0106.dll beside this program, loaded for as long as the object lives; its
// classes come from its own class factory, without registration.
class Server {
public:
    Server() : module_(LoadLibraryW(L"Hollin0106.dll")) {}
    ~Server()
    {
        if (module_) FreeLibrary(module_);
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    bool Loaded() const { return module_ != nullptr; }

    template <class I>
    HRESULT Create(REFCLSID clsid, Ptr<I>& object)
    {
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
        if (get == nullptr) return E_FAIL;
        Ptr<IClassFactory> factory;
        HRESULT hr = get(clsid, IID_IClassFactory, factory.vout());
        if (FAILED(hr)) return hr;
        return factory->CreateInstance(nullptr, __uuidof(I), object.vout());
    }

private:
    HMODULE module_;
};

std::wstring TempFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

std::vector<unsigned char> FileBytes(const std::wstring& path)
{
    std::vector<unsigned char> bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    unsigned char buffer[256];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    CloseHandle(h);
    return bytes;
}

VARIANT Str(const wchar_t* text)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(text);
    return v;
}

VARIANT Int(LONG n)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = n;
    return v;
}

// A null object reference, as a script passes Nothing.
VARIANT Object()
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = nullptr;
    return v;
}

// One late-bound call as VBA makes it: the member and parameter names looked up first,
// then Invoke with the positional arguments (in the caller's order) and the named ones.
struct Call {
    std::vector<std::wstring> names;  // the member, then the named parameters
    std::vector<VARIANT> positional;
    std::vector<VARIANT> named;       // in the order of names[1..]
};

struct Outcome {
    HRESULT lookup = S_OK;
    HRESULT hr = S_OK;
    UINT argError = UINT(-1);
    VARIANT result{};
};

Outcome Invoke(IDispatch* object, Call call, WORD flags = DISPATCH_METHOD)
{
    Outcome out;
    VariantInit(&out.result);
    std::vector<LPOLESTR> names;
    for (auto& n : call.names) names.push_back(n.data());
    std::vector<DISPID> ids(names.size());
    out.lookup = object->GetIDsOfNames(kNoInterface, names.data(), static_cast<UINT>(names.size()), 0, ids.data());
    if (FAILED(out.lookup)) return out;
    // rgvarg: the named arguments first, then the positional ones from the last.
    std::vector<VARIANT> args(call.named.begin(), call.named.end());
    args.insert(args.end(), call.positional.rbegin(), call.positional.rend());
    std::vector<DISPID> namedIds(ids.begin() + 1, ids.end());
    DISPPARAMS params{args.data(), namedIds.data(), static_cast<UINT>(args.size()), static_cast<UINT>(namedIds.size())};
    EXCEPINFO error{};
    out.hr = object->Invoke(ids[0], kNoInterface, 0, flags, &params, &out.result, &error, &out.argError);
    SysFreeString(error.bstrSource);
    SysFreeString(error.bstrDescription);
    SysFreeString(error.bstrHelpFile);
    for (VARIANT& v : args) VariantClear(&v);
    return out;
}

// ---- Named arguments --------------------------------------------------------------

TEST(NamedArguments, VbaStyleCallsReachTheirParameters)
{
    Server server;
    ASSERT_TRUE(server.Loaded());
    Ptr<IDispatch> fso;
    ASSERT_EQ(server.Create(CLSID_qvxFSO, fso), S_OK);
    const std::wstring file = TempFile(L"hollin_named.txt");

    // PutFile2 FileName, "hé", Encoding:=feUTF16: the file is UTF-16 with its mark.
    Outcome put = Invoke(fso.get(), {{L"PutFile2", L"Encoding"}, {Str(file.c_str()), Str(L"h\u00E9")}, {Int(3)}});
    EXPECT_EQ(put.hr, S_OK);
    EXPECT_EQ(FileBytes(file), (std::vector<unsigned char>{0xFF, 0xFE, 'h', 0, 0xE9, 0}));

    // Every argument named, in another order: UTF-8 without a mark.
    put = Invoke(fso.get(), {{L"PutFile2", L"FileBOM", L"Data", L"Encoding", L"FileName"},
                             {},
                             {Int(1), Str(L"h\u00E9"), Int(2), Str(file.c_str())}});
    EXPECT_EQ(put.hr, S_OK);
    EXPECT_EQ(FileBytes(file), (std::vector<unsigned char>{'h', 0xC3, 0xA9}));

    // A typed output named: GetFileFormat2 FileName, lpEncoding:=variable, where the
    // script's variable held a string before.
    VARIANT encoding = Str(L"1");
    VARIANT reference;
    VariantInit(&reference);
    V_VT(&reference) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&reference) = &encoding;
    Outcome format = Invoke(fso.get(), {{L"GetFileFormat2", L"lpEncoding"}, {Str(file.c_str())}, {reference}});
    EXPECT_EQ(format.hr, S_OK);
    EXPECT_EQ(V_VT(&encoding), VT_I4);
    EXPECT_EQ(V_I4(&encoding), 1);  // UTF-8 without a mark reads as ANSI
    DeleteFileW(file.c_str());

    const struct {
        const char* name;
        Call call;
        HRESULT lookup;
        HRESULT hr;
        UINT argError;
        WORD flags = DISPATCH_METHOD;
    } wrong[] = {
        {"a name no parameter has", {{L"PutFile2", L"Encodings"}, {Str(file.c_str()), Str(L"x")}, {Int(3)}},
         DISP_E_UNKNOWNNAME, S_OK, UINT(-1)},
        {"a parameter named twice", {{L"PutFile2", L"Encoding", L"Encoding"}, {Str(file.c_str()), Str(L"x")}, {Int(3), Int(2)}},
         S_OK, DISP_E_PARAMNOTFOUND, 1},
        {"a parameter given by position and by name", {{L"PutFile2", L"Data"}, {Str(file.c_str()), Str(L"x")}, {Str(L"y")}},
         S_OK, DISP_E_PARAMNOTFOUND, 0},
        {"the result named", {{L"PutFile2", L"Result"}, {Str(file.c_str()), Str(L"x")}, {Int(0)}},
         S_OK, DISP_E_PARAMNOTFOUND, 0},
        {"a required parameter left out", {{L"PutFile2", L"Encoding"}, {Str(file.c_str())}, {Int(3)}},
         S_OK, DISP_E_PARAMNOTOPTIONAL, UINT(-1)},
        {"more arguments than parameters", {{L"GetFileZone"}, {Str(file.c_str()), Str(file.c_str())}, {}},
         S_OK, DISP_E_BADPARAMCOUNT, UINT(-1)},
        {"an object for a string", {{L"GetFileZone"}, {Object()}, {}}, S_OK, DISP_E_TYPEMISMATCH, 0},
        {"a property value for a method", {{L"GetFileZone"}, {Str(file.c_str())}, {}}, S_OK, DISP_E_MEMBERNOTFOUND,
         UINT(-1), DISPATCH_PROPERTYPUT},
    };
    for (const auto& row : wrong) {
        SCOPED_TRACE(row.name);
        Outcome out = Invoke(fso.get(), row.call, row.flags);
        EXPECT_EQ(out.lookup, row.lookup);
        if (FAILED(out.lookup)) continue;
        EXPECT_EQ(out.hr, row.hr);
        EXPECT_EQ(out.argError, row.argError);
        VariantClear(&out.result);
    }
    EXPECT_EQ(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << "no wrong call wrote the file";
    DISPPARAMS none{};
    EXPECT_EQ(fso->Invoke(999, kNoInterface, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);

    // The value of a property assignment is the one named argument a script passes.
    Ptr<IDispatch> notes;
    ASSERT_EQ(server.Create(CLSID_qvxDescriptIon, notes), S_OK);
    VARIANT value = Int(-1);
    DISPID put_id = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &put_id, 1, 1};
    EXPECT_EQ(notes->Invoke(1, kNoInterface, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr), S_OK);
    Outcome mode = Invoke(notes.get(), {{L"UTF8Mode"}, {}, {}}, DISPATCH_PROPERTYGET);
    EXPECT_EQ(V_VT(&mode.result), VT_BOOL);
    EXPECT_EQ(V_BOOL(&mode.result), VARIANT_TRUE);
}

// ---- NULL out pointers ------------------------------------------------------------

TEST(NullOutPointers, EveryKindOfResultIsRefusedWithEPointer)
{
    Server server;
    ASSERT_TRUE(server.Loaded());
    Ptr<_qvxFSO> fso;
    Ptr<_qvxFoundedFiles> found;
    Ptr<_qvxShellFileInfo> shell;
    ASSERT_EQ(server.Create(CLSID_qvxFSO, fso), S_OK);
    ASSERT_EQ(server.Create(CLSID_qvxFoundedFiles, found), S_OK);
    ASSERT_EQ(server.Create(CLSID_qvxShellFileInfo, shell), S_OK);
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const Text name(program);
    const Text all(L"*");
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(shell->ReadFile(name, &ok), S_OK);
    ASSERT_EQ(ok, VARIANT_TRUE);
    VARIANT none;
    VariantInit(&none);
    V_VT(&none) = VT_ERROR;
    V_ERROR(&none) = DISP_E_PARAMNOTFOUND;
    Ptr<_ShellFileIcon> icon;
    ASSERT_EQ(shell->get_Icon(icon.out()), S_OK);

    const struct {
        const char* name;
        std::function<HRESULT()> call;
    } calls[] = {
        {"GetFileZone (an enumeration)", [&] { return fso->GetFileZone(name, nullptr); }},
        {"GetFile2 (a string)", [&] {
             return fso->GetFile2(name, VARIANT_FALSE, feAuto, fbAuto, ibAuto, nullptr, nullptr, nullptr, nullptr, nullptr);
         }},
        {"GetFileB (a byte array)", [&] { return fso->GetFileB(name, VARIANT_FALSE, nullptr, nullptr); }},
        {"GetFile2ByVar (a VARIANT)", [&] {
             return fso->GetFile2ByVar(name, none, none, none, none, nullptr, nullptr, nullptr, nullptr, nullptr);
         }},
        {"ReadStandardListFile2 (an object)", [&] {
             return fso->ReadStandardListFile2(name, all, VARIANT_TRUE, VARIANT_TRUE, VARIANT_FALSE, feAuto, fbAuto,
                                               ibAuto, nullptr, nullptr, nullptr, nullptr, nullptr);
         }},
        {"PutFileB without its array", [&] { VARIANT_BOOL r; return fso->PutFileB(name, nullptr, VARIANT_FALSE, &r); }},
        {"qvxFoundedFiles.Item", [&] { return found->get_Item(0, nullptr); }},
        {"ShellFileIcon.Icon (a picture)", [&] { return icon->get_Icon(nullptr); }},
        {"qvxShellFileInfo.hSystemImageList", [&] { return shell->get_hSystemImageList(nullptr); }},
        {"IDispatch.GetIDsOfNames", [&] {
             OLECHAR member[] = L"GetFileZone";
             LPOLESTR names[] = {member};
             return fso->GetIDsOfNames(kNoInterface, names, 1, 0, nullptr);
         }},
    };
    for (const auto& c : calls) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(), E_POINTER);
    }
    // A left-out optional output is no NULL result: the call goes on.
    CompressionFormat_Const state = cfNone;
    EXPECT_EQ(fso->GetFileCompression(name, nullptr, &state), S_OK);
}

// ---- A typed callback's error -------------------------------------------------------

// An IFindFilesCallback a C++ or VB6 program implements through the vtable: it fails
// with its own error information.
class FailingCallback : public _IFindFilesCallback {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(_IFindFilesCallback)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DirectoryCompleted(BSTR, VARIANT_BOOL*) override
    {
        ++calls;
        ICreateErrorInfo* create = nullptr;
        CreateErrorInfo(&create);
        create->SetSource(const_cast<LPOLESTR>(L"TypedCallback"));
        create->SetDescription(const_cast<LPOLESTR>(L"typed callback failed"));
        create->SetHelpFile(const_cast<LPOLESTR>(L"callback.chm"));
        create->SetHelpContext(77);
        IErrorInfo* info = nullptr;
        create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
        SetErrorInfo(0, info);
        info->Release();
        create->Release();
        return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 1234);
    }

    ULONG references = 1;
    int calls = 0;
};

TEST(TypedCallback, ItsErrorInformationReachesTheCaller)
{
    Server server;
    ASSERT_TRUE(server.Loaded());
    Ptr<_qvxFoundedFiles> found;
    ASSERT_EQ(server.Create(CLSID_qvxFoundedFiles, found), S_OK);
    FailingCallback callback;
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const Text path(windows);
    const Text mask(L"*.none");
    VARIANT object;
    VariantInit(&object);
    V_VT(&object) = VT_DISPATCH;
    V_DISPATCH(&object) = &callback;
    const HRESULT expected = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 1234);

    // Through the vtable: the HRESULT, and the error information for the caller.
    VARIANT_BOOL done = VARIANT_TRUE;
    EXPECT_EQ(found->RefreshEx2(path, mask, VARIANT_FALSE, object, VARIANT_TRUE, &done), expected);
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    BSTR source = nullptr, description = nullptr, helpFile = nullptr;
    DWORD helpContext = 0;
    info->GetSource(&source);
    info->GetDescription(&description);
    info->GetHelpFile(&helpFile);
    info->GetHelpContext(&helpContext);
    EXPECT_STREQ(source, L"TypedCallback");
    EXPECT_STREQ(description, L"typed callback failed");
    EXPECT_STREQ(helpFile, L"callback.chm");
    EXPECT_EQ(helpContext, 77u);
    SysFreeString(source), SysFreeString(description), SysFreeString(helpFile);
    info->Release();

    // Through IDispatch, as a script or VBA calls: the same in EXCEPINFO.
    VARIANT args[5] = {};
    V_VT(&args[0]) = VT_BOOL, V_BOOL(&args[0]) = VARIANT_TRUE;  // SearchWithParent
    args[1] = object;                                             // CallBackObject
    V_VT(&args[2]) = VT_BOOL, V_BOOL(&args[2]) = VARIANT_FALSE;  // FollowReparsePoints
    V_VT(&args[3]) = VT_BSTR, V_BSTR(&args[3]) = mask;
    V_VT(&args[4]) = VT_BSTR, V_BSTR(&args[4]) = path;
    DISPPARAMS params{args, nullptr, 5, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO error{};
    EXPECT_EQ(found->Invoke(6, kNoInterface, 0, DISPATCH_METHOD, &params, &result, &error, nullptr), DISP_E_EXCEPTION);
    EXPECT_EQ(error.scode, expected);
    EXPECT_STREQ(error.bstrSource, L"TypedCallback");
    EXPECT_STREQ(error.bstrDescription, L"typed callback failed");
    SysFreeString(error.bstrSource), SysFreeString(error.bstrDescription), SysFreeString(error.bstrHelpFile);
    EXPECT_EQ(callback.calls, 2);
    EXPECT_EQ(callback.references, 1u) << "the search keeps no reference";
}

// ---- The type library -------------------------------------------------------------

// The type library as a browser (VBA's object browser, OLEView) reads it.
class TypeLibrary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(LoadTypeLibEx(L"Hollin0106.dll", REGKIND_NONE, library_.out()), S_OK); }

    // The vtable half of interface `name`.
    ITypeInfo* Interface(const wchar_t* name)
    {
        for (UINT i = 0; i < library_->GetTypeInfoCount(); ++i) {
            BSTR found = nullptr;
            library_->GetDocumentation(static_cast<INT>(i), &found, nullptr, nullptr, nullptr);
            const bool match = found && std::wstring(found) == name;
            SysFreeString(found);
            if (!match) continue;
            ITypeInfo* dispatch = nullptr;
            library_->GetTypeInfo(i, &dispatch);
            HREFTYPE ref = 0;
            ITypeInfo* vtable = nullptr;
            if (SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)))
                dispatch->GetRefTypeInfo(ref, &vtable);
            dispatch->Release();
            infos_.push_back(vtable);
            return vtable;
        }
        return nullptr;
    }
    void TearDown() override
    {
        for (ITypeInfo* info : infos_)
            if (info) info->Release();
    }

    Ptr<ITypeLib> library_;
    std::vector<ITypeInfo*> infos_;
};

// Every member can be read back (a default the reader cannot take makes the whole
// function unreadable, so no client could call it), carries a one-line help string, and
// every default it has is a value of a real type.
TEST_F(TypeLibrary, EveryMemberIsReadableWithAHelpStringAndSoundDefaults)
{
    int functions = 0;
    for (UINT i = 0; i < library_->GetTypeInfoCount(); ++i) {
        TYPEKIND kind;
        library_->GetTypeInfoType(i, &kind);
        if (kind != TKIND_DISPATCH) continue;
        BSTR name = nullptr, help = nullptr;
        library_->GetDocumentation(static_cast<INT>(i), &name, &help, nullptr, nullptr);
        SCOPED_TRACE(testing::Message() << std::string(name, name + SysStringLen(name)));
        EXPECT_GT(SysStringLen(help), 0u);
        SysFreeString(name), SysFreeString(help);
        ITypeInfo* dispatch = nullptr;
        library_->GetTypeInfo(i, &dispatch);
        HREFTYPE ref = 0;
        ITypeInfo* info = nullptr;
        ASSERT_EQ(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref), S_OK);
        ASSERT_EQ(dispatch->GetRefTypeInfo(ref, &info), S_OK);
        dispatch->Release();
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
            const std::wstring line(text ? text : L"");
            EXPECT_FALSE(line.empty());
            EXPECT_EQ(line.find(L'\n'), std::wstring::npos);
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
        info->Release();
    }
    EXPECT_GT(functions, 150);
}

// The defaults of the Parts where the type library can hold them.
TEST_F(TypeLibrary, OptionalArgumentsCarryTheirDefaults)
{
    const struct {
        const wchar_t* interfaceName;
        int memid;
        int param;
        VARTYPE vt;
        LONG value;            // VT_I4, VT_BOOL
        const wchar_t* text;   // VT_BSTR
    } rows[] = {
        {L"_qvxFSO", 1, 3, VT_I4, 1, nullptr},                // PutFile2 Encoding = feANSI
        {L"_qvxFSO", 4, 4, VT_I4, 2, nullptr},                // OverwriteFile2ByVar FileBOM = 2
        {L"_qvxFSO", 9, 8, VT_BOOL, VARIANT_FALSE, nullptr},  // GetFile2 lpSuccess = False
        {L"_qvxFSO", 23, 1, VT_BSTR, 0, L";"},                // ReadStandardListFile2ByVar CommentChar
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.memid << " " << row.param);
        ITypeInfo* info = Interface(row.interfaceName);
        ASSERT_NE(info, nullptr);
        FUNCDESC* function = nullptr;
        ASSERT_EQ(info->GetFuncDesc(static_cast<UINT>(row.memid - 1), &function), S_OK);
        ASSERT_EQ(function->memid, row.memid);
        const PARAMDESC& param = function->lprgelemdescParam[row.param].paramdesc;
        ASSERT_TRUE(param.wParamFlags & PARAMFLAG_FHASDEFAULT);
        const VARIANT& value = param.pparamdescex->varDefaultValue;
        EXPECT_EQ(V_VT(&value), row.vt);
        if (row.vt == VT_BSTR)
            EXPECT_STREQ(V_BSTR(&value), row.text);
        else
            EXPECT_EQ(row.vt == VT_BOOL ? V_BOOL(&value) : V_I4(&value), row.value);
        info->ReleaseFuncDesc(function);
    }
}

// Programs built against qvxFSO's vtable call PutFile2 in slot 1, PutFileB in slot 11,
// GetSymlinkTargetEx in slot 31 (slots count from the first member after IDispatch's
// seven), each slot also its DISPID, through the interface's first IID.
TEST_F(TypeLibrary, QvxFSOKeepsItsIdentityAndSlots)
{
    ITypeInfo* vtable = Interface(L"_qvxFSO");
    ASSERT_NE(vtable, nullptr);
    TYPEATTR* attr = nullptr;
    vtable->GetTypeAttr(&attr);
    EXPECT_EQ(attr->guid, (IID{0x88E34335, 0xCB91, 0x43E5, {0x91, 0x5E, 0xF9, 0xFD, 0x27, 0xA6, 0xC8, 0xD5}}));
    vtable->ReleaseTypeAttr(attr);
    const struct {
        const wchar_t* name;
        int slot;
    } slots[] = {{L"PutFile2", 1}, {L"PutFileB", 11}, {L"GetSymlinkTarget", 30}, {L"GetSymlinkTargetEx", 31}};
    for (const auto& row : slots) {
        SCOPED_TRACE(row.slot);
        FUNCDESC* function = nullptr;
        ASSERT_EQ(vtable->GetFuncDesc(static_cast<UINT>(row.slot - 1), &function), S_OK);
        BSTR name = nullptr;
        vtable->GetDocumentation(function->memid, &name, nullptr, nullptr, nullptr);
        EXPECT_EQ(std::wstring(name ? name : L""), row.name);
        EXPECT_EQ(function->oVft, static_cast<short>((7 + row.slot - 1) * sizeof(void*)));
        EXPECT_EQ(function->memid, row.slot);
        SysFreeString(name);
        vtable->ReleaseFuncDesc(function);
    }
}

TEST_F(TypeLibrary, IconIsAPictureAndTheListFileCollectionHasRemove)
{
    ITypeInfo* icon = Interface(L"_ShellFileIcon");
    ASSERT_NE(icon, nullptr);
    FUNCDESC* function = nullptr;
    ASSERT_EQ(icon->GetFuncDesc(0, &function), S_OK);
    // [out, retval] IPictureDisp**: a pointer to a pointer to the picture's interface.
    const TYPEDESC& result = function->lprgelemdescParam[0].tdesc;
    ASSERT_EQ(result.vt, VT_PTR);
    ASSERT_EQ(result.lptdesc->vt, VT_PTR);
    ASSERT_EQ(result.lptdesc->lptdesc->vt, VT_USERDEFINED);
    ITypeInfo* picture = nullptr;
    ASSERT_EQ(icon->GetRefTypeInfo(result.lptdesc->lptdesc->hreftype, &picture), S_OK);
    TYPEATTR* attr = nullptr;
    picture->GetTypeAttr(&attr);
    // stdole2 names the picture's interface IPictureDisp through an alias.
    if (attr->typekind == TKIND_ALIAS && attr->tdescAlias.vt == VT_USERDEFINED) {
        ITypeInfo* aliased = nullptr;
        ASSERT_EQ(picture->GetRefTypeInfo(attr->tdescAlias.hreftype, &aliased), S_OK);
        picture->ReleaseTypeAttr(attr);
        picture->Release();
        picture = aliased;
        picture->GetTypeAttr(&attr);
    }
    EXPECT_EQ(attr->guid, IID_IPictureDisp);
    picture->ReleaseTypeAttr(attr);
    picture->Release();
    icon->ReleaseFuncDesc(function);

    ITypeInfo* collection = Interface(L"_Collection");
    ASSERT_NE(collection, nullptr);
    OLECHAR member[] = L"Remove";
    LPOLESTR names[] = {member};
    MEMBERID id = 0;
    EXPECT_EQ(collection->GetIDsOfNames(names, 1, &id), S_OK);
}

// ---- A host that loads and frees the DLL --------------------------------------------

// The process's private memory: PagefileUsage, which Windows counts as PrivateUsage
// too and Wine fills (its PrivateUsage stays 0).
SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// One cycle of a host that loads the DLL for one object: LoadLibrary, create, look a
// name up (which loads the type library), release, FreeLibrary. True when the DLL is
// gone afterwards.
bool OneCycle()
{
    {
        Server server;
        if (!server.Loaded()) return false;
        Ptr<IDispatch> fso;
        if (server.Create(CLSID_qvxFSO, fso) != S_OK) return false;
        OLECHAR member[] = L"GetSymlinkTargetEx";
        LPOLESTR names[] = {member};
        DISPID id = 0;
        if (fso->GetIDsOfNames(kNoInterface, names, 1, 0, &id) != S_OK || id != 31) return false;
    }
    return GetModuleHandleW(L"Hollin0106.dll") == nullptr;
}

// The references a type library holds: what AddRef says, less the one it takes.
ULONG References(ITypeLib* library)
{
    const ULONG count = library->AddRef() - 1;
    library->Release();
    return count;
}

// oleaut32 keeps one type library object per file for as long as anyone holds it, so
// the DLL's own (loaded from its own file name) is the one this test holds as well:
// after each cycle its count is back where it was, the DLL's type information included.
TEST(Unload, TheDllLeavesNoReferenceToItsTypeLibrary)
{
    wchar_t path[MAX_PATH] = {};
    {
        Server server;
        ASSERT_TRUE(server.Loaded());
        GetModuleFileNameW(GetModuleHandleW(L"Hollin0106.dll"), path, MAX_PATH);
    }
    Ptr<ITypeLib> library;
    ASSERT_EQ(LoadTypeLibEx(path, REGKIND_NONE, library.out()), S_OK);
    const ULONG before = References(library.get());
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(OneCycle());
        EXPECT_EQ(References(library.get()), before);
    }
}

// DllCanUnloadNow says no while an object lives, yes once the last one has gone.
TEST(Unload, TheDllMayGoOnceItsLastObjectHasGone)
{
    Server server;
    ASSERT_TRUE(server.Loaded());
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = reinterpret_cast<CanUnload>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"Hollin0106.dll"), "DllCanUnloadNow")));
    ASSERT_NE(canUnload, nullptr);
    {
        Ptr<IDispatch> fso;
        ASSERT_EQ(server.Create(CLSID_qvxFSO, fso), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE);
    }
    EXPECT_EQ(canUnload(), S_OK);
}

// What the DLL takes from the process goes back when it is freed: 500 cycles leave the
// host as large as 50 did, give or take what the heap keeps (the type library left
// behind was 120 KiB a cycle on Windows).
TEST(Unload, FiveHundredCyclesLeaveTheHostFlat)
{
    ASSERT_EQ(GetModuleHandleW(L"Hollin0106.dll"), nullptr) << "another test holds the DLL";
    for (int i = 0; i < 50; ++i) ASSERT_TRUE(OneCycle()) << "cycle " << i;
    const SIZE_T before = PrivateBytes();
    for (int i = 0; i < 500; ++i) ASSERT_TRUE(OneCycle()) << "cycle " << i;
    const SIZE_T after = PrivateBytes();
    const double grownKiB = (static_cast<double>(after) - static_cast<double>(before)) / 1024;
    EXPECT_LT(grownKiB, 4096.0) << "the host grew by " << grownKiB << " KiB";
}

}  // namespace
