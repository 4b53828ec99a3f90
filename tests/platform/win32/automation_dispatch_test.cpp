// Hollin0106.dll's IDispatch as a late-binding client meets it: the object comes from
// the DLL's class factory (no registration needed), calls go through Invoke.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>
#include <oleauto.h>

namespace {

constexpr CLSID kFsoClass = {0x01C97CF4, 0xA1E9, 0x4460, {0xA9, 0x72, 0xA7, 0xD0, 0x1A, 0x37, 0x47, 0x04}};

// qvxFSO's DISPIDs (its slots): GetFileFormat2 3, GetFileB 10, GetFileZone 14.
constexpr DISPID kGetFileFormat2 = 3, kGetFileB = 10, kGetFileZone = 14;

class AutomationDispatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        library_ = LoadLibraryW(L"Hollin0106.dll");
        ASSERT_NE(library_, nullptr);
        auto get = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
            reinterpret_cast<void*>(GetProcAddress(library_, "DllGetClassObject")));
        canUnload_ = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            reinterpret_cast<void*>(GetProcAddress(library_, "DllCanUnloadNow")));
        ASSERT_TRUE(get && canUnload_);
        IClassFactory* factory = nullptr;
        ASSERT_EQ(get(kFsoClass, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&fso_)), S_OK);
        factory->Release();
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        file_ = std::wstring(folder) + L"hollin_dispatch_test.txt";
        const char bytes[] = "\xFF\xFEz\0";
        HANDLE h = CreateFileW(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(h, bytes, 4, &written, nullptr);
        CloseHandle(h);
    }
    void TearDown() override
    {
        if (fso_) fso_->Release();
        DeleteFileW(file_.c_str());
        if (fso_) EXPECT_EQ(canUnload_(), S_OK) << "the last object is gone";
        CoUninitialize();
    }

    // Invoke with `args` in the caller's order (reversed into rgvarg here).
    HRESULT Call(DISPID id, std::vector<VARIANT> args, VARIANT* result, EXCEPINFO* error = nullptr,
                 WORD flags = DISPATCH_METHOD, DISPID* named = nullptr, UINT namedCount = 0)
    {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params{reversed.data(), named, static_cast<UINT>(reversed.size()), namedCount};
        EXCEPINFO ignored{};
        UINT argError = 0;
        const HRESULT hr = fso_->Invoke(id, IID_NULL, 0, flags, &params, result, error ? error : &ignored, &argError);
        if (!error) {
            SysFreeString(ignored.bstrSource);
            SysFreeString(ignored.bstrDescription);
            SysFreeString(ignored.bstrHelpFile);
        }
        return hr;
    }

    static VARIANT Text(const std::wstring& text)
    {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocString(text.c_str());  // freed by the test's VariantClear
        return v;
    }
    static VARIANT Bool(bool b)
    {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = b ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    static VARIANT Ref(VARIANT* target)
    {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&v) = target;
        return v;
    }

    HMODULE library_ = nullptr;
    HRESULT(STDAPICALLTYPE* canUnload_)() = nullptr;
    IDispatch* fso_ = nullptr;
    std::wstring file_;
};

TEST_F(AutomationDispatch, ScriptVariablesReachTypedByReferenceParameters)
{
    // GetFileFormat2(FileName, RaiseErrors, lpEncoding, lpFileBOM, lpInvertBytes): the
    // outputs are typed enumerations; a script passes VARIANTs by reference holding
    // anything, and gets 32-bit integers back.
    VARIANT encoding, bom = Text(L"1"), invert, result;
    VariantInit(&encoding), VariantInit(&invert), VariantInit(&result);
    VARIANT name = Text(file_);
    EXPECT_EQ(Call(kGetFileFormat2, {name, Bool(false), Ref(&encoding), Ref(&bom), Ref(&invert)}, &result), S_OK);
    EXPECT_EQ(V_VT(&result), VT_BOOL);
    EXPECT_EQ(V_BOOL(&result), VARIANT_TRUE);
    EXPECT_EQ(V_VT(&encoding), VT_I4);
    EXPECT_EQ(V_I4(&encoding), 3);  // feUTF16
    EXPECT_EQ(V_VT(&bom), VT_I4);   // a string variable before
    EXPECT_EQ(V_I4(&bom), 2);       // fbBOM
    EXPECT_EQ(V_I4(&invert), 1);    // ibDontInvertBytes
    VariantClear(&name);
}

TEST_F(AutomationDispatch, WrongCallsGetTheirDispatchErrors)
{
    VARIANT name = Text(file_);
    DISPID namedOther = 1, namedPut = DISPID_PROPERTYPUT;
    const struct {
        const char* label;
        DISPID id;
        std::vector<VARIANT> args;
        DISPID* named;
        HRESULT expected;
    } cases[] = {
        {"unknown member", 999, {name}, nullptr, DISP_E_MEMBERNOTFOUND},
        {"more arguments than parameters", kGetFileZone, {name, name}, nullptr, DISP_E_BADPARAMCOUNT},
        {"a required argument left out", kGetFileZone, {}, nullptr, DISP_E_PARAMNOTOPTIONAL},
        {"a named argument that names no parameter", kGetFileZone, {name}, &namedOther, DISP_E_PARAMNOTFOUND},
        {"a property value for a method", kGetFileZone, {name}, &namedPut, DISP_E_MEMBERNOTFOUND},
        {"an object for a string", kGetFileZone, {[] { VARIANT v; VariantInit(&v); V_VT(&v) = VT_DISPATCH; V_DISPATCH(&v) = nullptr; return v; }()},
         nullptr, DISP_E_TYPEMISMATCH},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        VARIANT result;
        VariantInit(&result);
        const WORD flags = c.named == &namedPut ? DISPATCH_PROPERTYPUT : DISPATCH_METHOD;
        EXPECT_EQ(Call(c.id, c.args, &result, nullptr, flags, c.named, c.named ? 1 : 0), c.expected);
        VariantClear(&result);
    }
    VariantClear(&name);
}

TEST_F(AutomationDispatch, LibraryErrorsArriveAsExceptionsWithTheirNumber)
{
    // GetFileB(FileName, RaiseErrors True) of a missing file: error 53 from qvxFSO.
    VARIANT name = Text(file_ + L".missing"), result;
    VariantInit(&result);
    EXCEPINFO error{};
    EXPECT_EQ(Call(kGetFileB, {name, Bool(true)}, &result, &error), DISP_E_EXCEPTION);
    EXPECT_EQ(error.scode, MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 53));
    EXPECT_EQ(std::wstring(error.bstrSource ? error.bstrSource : L""), L"qvxFSO");
    EXPECT_EQ(std::wstring(error.bstrDescription ? error.bstrDescription : L""), L"File not found");
    SysFreeString(error.bstrSource);
    SysFreeString(error.bstrDescription);
    SysFreeString(error.bstrHelpFile);
    // Without RaiseErrors (left out: its default False) the failure is an empty array.
    EXPECT_EQ(Call(kGetFileB, {name}, &result), S_OK);
    EXPECT_EQ(V_VT(&result), VT_ARRAY | VT_UI1);
    EXPECT_EQ(SafeArrayGetDim(V_ARRAY(&result)), 1u);
    VariantClear(&result);
    VariantClear(&name);
    EXPECT_EQ(canUnload_(), S_FALSE) << "an object is alive";
}

// The programs call qvxFSO through its vtable: PutFile2 in slot 1, PutFileB in slot 11,
// GetSymlinkTargetEx in slot 31 (slots count from the first member after IDispatch's
// seven). The type library inside the DLL must agree, DISPIDs included.
TEST(AutomationTypeLibrary, QvxFSOsBindingSlots)
{
    constexpr IID kFsoInterface = {0x88E34335, 0xCB91, 0x43E5, {0x91, 0x5E, 0xF9, 0xFD, 0x27, 0xA6, 0xC8, 0xD5}};
    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadTypeLibEx(L"Hollin0106.dll", REGKIND_NONE, &library), S_OK);
    ITypeInfo* dispatch = nullptr;
    ASSERT_EQ(library->GetTypeInfoOfGuid(kFsoInterface, &dispatch), S_OK);
    HREFTYPE vtableRef = 0;
    ITypeInfo* vtable = nullptr;
    ASSERT_EQ(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableRef), S_OK);
    ASSERT_EQ(dispatch->GetRefTypeInfo(vtableRef, &vtable), S_OK);
    const struct {
        const wchar_t* name;
        int slot;
    } slots[] = {{L"PutFile2", 1}, {L"PutFileB", 11}, {L"GetSymlinkTarget", 30}, {L"GetSymlinkTargetEx", 31}};
    for (const auto& row : slots) {
        SCOPED_TRACE(testing::Message() << row.slot);
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
    vtable->Release();
    dispatch->Release();
    library->Release();
}

}  // namespace
