// The automation frame: server counts, the embedded type library, error information and
// the IDispatch::Invoke that calls members through their vtable slots.
#include "bindings/automation/ComBase.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "bindings/automation/VariantMapping.h"

namespace automation {

std::atomic<long> g_serverLocks{0};

namespace {

constexpr std::int32_t kOverflow = 6;

std::atomic<long> g_objects{0};

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const { return std::memcmp(&a, &b, sizeof(GUID)) < 0; }
};

struct TypeInfos {
    ITypeInfo* dispatch = nullptr;
    ITypeInfo* vtable = nullptr;
};

// The type library and the type information taken from it, each holding a reference
// until ReleaseTypeInformation; guarded by g_typeMutex.
std::mutex g_typeMutex;
ITypeLib* g_library = nullptr;
std::map<GUID, TypeInfos, GuidLess> g_typeInfos;

// The type library, loaded on first use; the caller holds g_typeMutex.
ITypeLib* LoadedLibrary()
{
    if (g_library == nullptr && FAILED(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &g_library)))
        g_library = nullptr;
    return g_library;
}

TypeInfos LookUpOrLoad(REFIID iid);

// No exception leaves a member of IDispatch: a type information that cannot be had (out
// of memory included) is none.
TypeInfos LookUp(REFIID iid) noexcept
{
    try {
        return LookUpOrLoad(iid);
    } catch (...) {
        return {};
    }
}

TypeInfos LookUpOrLoad(REFIID iid)
{
    std::lock_guard lock(g_typeMutex);
    auto found = g_typeInfos.find(iid);
    if (found != g_typeInfos.end()) return found->second;
    TypeInfos infos;
    ITypeLib* library = LoadedLibrary();
    if (library == nullptr || FAILED(library->GetTypeInfoOfGuid(iid, &infos.dispatch))) return {};
    // A dual interface's type information is its dispatch half; the vtable half is the
    // interface it refers to as implemented type -1.
    HREFTYPE vtableRef = 0;
    if (FAILED(infos.dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableRef)) ||
        FAILED(infos.dispatch->GetRefTypeInfo(vtableRef, &infos.vtable))) {
        infos.vtable = infos.dispatch;
        infos.vtable->AddRef();
    }
    g_typeInfos.emplace(iid, infos);
    return infos;
}

// ---- Invoke ---------------------------------------------------------------------------

// The automation type that a parameter's description comes down to: enumerations are
// 32-bit integers, interface pointers VT_DISPATCH (every interface of the library is
// dual), SAFEARRAY(T) VT_ARRAY | T.
VARTYPE Resolve(ITypeInfo* info, const TYPEDESC& type)
{
    switch (type.vt) {
    case VT_SAFEARRAY: return static_cast<VARTYPE>(VT_ARRAY | Resolve(info, *type.lptdesc));
    case VT_USERDEFINED: {
        ITypeInfo* referred = nullptr;
        if (FAILED(info->GetRefTypeInfo(type.hreftype, &referred))) return VT_EMPTY;
        TYPEATTR* attr = nullptr;
        VARTYPE vt = VT_EMPTY;
        if (SUCCEEDED(referred->GetTypeAttr(&attr))) {
            if (attr->typekind == TKIND_ENUM) vt = VT_I4;
            else if (attr->typekind == TKIND_ALIAS) vt = Resolve(referred, attr->tdescAlias);
            else if (attr->typekind == TKIND_DISPATCH || attr->typekind == TKIND_INTERFACE) vt = VT_DISPATCH;
            referred->ReleaseTypeAttr(attr);
        }
        referred->Release();
        return vt;
    }
    case VT_PTR:
        // Only an interface pointer (T* with T an interface) is a value; other pointers
        // are by-reference parameters, taken apart by the caller.
        return Resolve(info, *type.lptdesc) == VT_DISPATCH ? VT_DISPATCH : VT_EMPTY;
    case VT_INT: return VT_I4;
    case VT_UINT: return VT_UI4;
    default: return type.vt;
    }
}

struct ParamType {
    VARTYPE base = VT_EMPTY;
    bool byRef = false;
};

ParamType TypeOf(ITypeInfo* info, const TYPEDESC& type)
{
    if (type.vt == VT_PTR) {
        const VARTYPE pointee = Resolve(info, *type.lptdesc);
        if (type.lptdesc->vt == VT_USERDEFINED && pointee == VT_DISPATCH) return {VT_DISPATCH, false};
        return {pointee, true};
    }
    return {Resolve(info, type), false};
}

bool IsMissingArgument(const VARIANT* arg)
{
    return arg == nullptr || IsMissing(*arg);
}

// The value of a left-out parameter: its default, VT_ERROR DISP_E_PARAMNOTFOUND for a
// VARIANT, or zero of its type.
HRESULT MissingValue(const ELEMDESC& element, VARTYPE base, VARIANT* out)
{
    VariantInit(out);
    const PARAMDESC& param = element.paramdesc;
    if ((param.wParamFlags & PARAMFLAG_FHASDEFAULT) && param.pparamdescex != nullptr) {
        if (base == VT_VARIANT) return VariantCopy(out, &param.pparamdescex->varDefaultValue);
        return VariantChangeType(out, &param.pparamdescex->varDefaultValue, 0, base);
    }
    if (base == VT_VARIANT) {
        V_VT(out) = VT_ERROR;
        V_ERROR(out) = DISP_E_PARAMNOTFOUND;
        return S_OK;
    }
    if (base == VT_DISPATCH || base == VT_UNKNOWN || (base & VT_ARRAY)) {
        V_VT(out) = base;
        V_UNKNOWN(out) = nullptr;
        return S_OK;
    }
    VARIANT empty;
    VariantInit(&empty);
    return VariantChangeType(out, &empty, 0, base);
}

// `arg` converted to `base` into *out.
HRESULT Convert(const VARIANT& arg, VARTYPE base, VARIANT* out)
{
    VariantInit(out);
    if (base == VT_VARIANT) return VariantCopyInd(out, const_cast<VARIANT*>(&arg));
    if (base == (VT_ARRAY | VT_UI1)) {
        try {
            V_ARRAY(out) = ToByteSafeArray(ByteArrayFromVariant(arg));
            V_VT(out) = base;
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (const Hollin0106::AutomationError& e) {
            return e.Number == kOverflow ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH;
        } catch (...) {
            return DISP_E_TYPEMISMATCH;
        }
    }
    VARIANT plain;
    VariantInit(&plain);
    HRESULT hr = VariantCopyInd(&plain, const_cast<VARIANT*>(&arg));
    if (FAILED(hr)) return hr;
    if ((base == VT_DISPATCH) && (V_VT(&plain) == VT_EMPTY || V_VT(&plain) == VT_NULL)) {
        V_VT(out) = VT_DISPATCH;
        V_DISPATCH(out) = nullptr;
        return S_OK;
    }
    hr = VariantChangeType(out, &plain, 0, base);
    VariantClear(&plain);
    return hr;
}

// A pointer-wide integer result as a script can read it: a 32-bit integer where the
// value fits, else a double, which holds every address exactly.
void MakeScriptReadable(VARIANT& value)
{
    if (V_VT(&value) == VT_I8) {
        const LONGLONG n = V_I8(&value);
        if (n >= LONG_MIN && n <= LONG_MAX) {
            V_VT(&value) = VT_I4;
            V_I4(&value) = static_cast<LONG>(n);
        } else {
            V_VT(&value) = VT_R8;
            V_R8(&value) = static_cast<double>(n);
        }
    } else if (V_VT(&value) == VT_UI8) {
        const ULONGLONG n = V_UI8(&value);
        if (n <= static_cast<ULONGLONG>(LONG_MAX)) {
            V_VT(&value) = VT_I4;
            V_I4(&value) = static_cast<LONG>(n);
        } else {
            V_VT(&value) = VT_R8;
            V_R8(&value) = static_cast<double>(n);
        }
    }
}

// The error of a failed member as EXCEPINFO, from the thread's error information.
void FillExcepInfo(HRESULT hr, EXCEPINFO* info)
{
    std::memset(info, 0, sizeof *info);
    info->scode = hr;
    IErrorInfo* error = nullptr;
    if (GetErrorInfo(0, &error) == S_OK && error != nullptr) {
        error->GetSource(&info->bstrSource);
        error->GetDescription(&info->bstrDescription);
        error->GetHelpFile(&info->bstrHelpFile);
        error->GetHelpContext(&info->dwHelpContext);
        error->Release();
    }
}

class Call {
public:
    ~Call()
    {
        for (VARIANT& v : values_) VariantClear(&v);
        VariantClear(&result_);
    }

    HRESULT Run(void* instance, ITypeInfo* info, const FUNCDESC& function, DISPPARAMS* params,
                VARIANT* result, EXCEPINFO* excepInfo, UINT* argError)
    {
        const UINT argCount = params ? params->cArgs : 0;
        const UINT named = params ? params->cNamedArgs : 0;
        if (argCount > 0 && params->rgvarg == nullptr) return E_INVALIDARG;
        if (named > argCount || (named > 0 && params->rgdispidNamedArgs == nullptr)) return E_INVALIDARG;
        const UINT paramCount = static_cast<UINT>(function.cParams);
        const bool hasRetval = paramCount > 0 &&
            (function.lprgelemdescParam[paramCount - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL);
        const UINT inCount = hasRetval ? paramCount - 1 : paramCount;
        const UINT positional = argCount - named;
        if (positional > inCount) return DISP_E_BADPARAMCOUNT;

        // The argument of each parameter, and its place in rgvarg (for *argError): the
        // positional ones stand last in rgvarg, in reverse order; a named one stands
        // under the DISPID of its parameter, which GetIDsOfNames gives as its position
        // (DISPID_PROPERTYPUT names the value of a property assignment, the last one).
        std::vector<UINT> argOf(inCount, UINT(-1));
        for (UINT i = 0; i < positional; ++i) argOf[i] = argCount - 1 - i;
        for (UINT k = 0; k < named; ++k) {
            const DISPID id = params->rgdispidNamedArgs[k];
            const bool put = id == DISPID_PROPERTYPUT &&
                             (function.invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) && inCount > 0;
            const UINT param = put ? inCount - 1 : static_cast<UINT>(id);
            if ((!put && (id < 0 || param >= inCount)) || argOf[param] != UINT(-1)) {
                if (argError) *argError = k;
                return DISP_E_PARAMNOTFOUND;
            }
            argOf[param] = k;
        }

        values_.resize(paramCount);
        for (VARIANT& v : values_) VariantInit(&v);
        refs_.resize(paramCount);
        types_.resize(paramCount);
        pointers_.resize(paramCount);

        for (UINT i = 0; i < inCount; ++i) {
            const ELEMDESC& element = function.lprgelemdescParam[i];
            const ParamType type = TypeOf(info, element.tdesc);
            if (type.base == VT_EMPTY) return DISP_E_BADVARTYPE;
            VARIANT* arg = argOf[i] != UINT(-1) ? &params->rgvarg[argOf[i]] : nullptr;
            if (arg == nullptr && !(element.paramdesc.wParamFlags & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)))
                return DISP_E_PARAMNOTOPTIONAL;
            HRESULT hr = S_OK;
            if (type.byRef && arg != nullptr && V_VT(arg) == (VT_BYREF | type.base)) {
                // Already a reference of the right type: the member writes straight into it.
                types_[i] = V_VT(arg);
                pointers_[i] = arg;
                continue;
            }
            if (IsMissingArgument(arg))
                hr = MissingValue(element, type.base, &values_[i]);
            else
                hr = Convert(*arg, type.base, &values_[i]);
            if (FAILED(hr)) {
                if (argError && arg != nullptr) *argError = argOf[i];
                return hr == E_OUTOFMEMORY || hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
            }
            if (!type.byRef) {
                types_[i] = type.base;
                pointers_[i] = &values_[i];
                continue;
            }
            // A reference to the converted value; written back afterwards into the caller's
            // variable when the caller passed one (a VARIANT by reference). A byte array
            // converted from an array of numbers is not written back: the caller's array
            // keeps its type.
            VariantInit(&refs_[i]);
            V_VT(&refs_[i]) = static_cast<VARTYPE>(VT_BYREF | type.base);
            V_BYREF(&refs_[i]) = type.base == VT_VARIANT ? static_cast<void*>(&values_[i])
                                                         : static_cast<void*>(&V_I4(&values_[i]));
            types_[i] = V_VT(&refs_[i]);
            pointers_[i] = &refs_[i];
            if (arg != nullptr && V_VT(arg) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(arg) != nullptr &&
                !(type.base & VT_ARRAY))
                writeBack_.push_back({i, V_VARIANTREF(arg)});
        }

        VARTYPE resultType = VT_EMPTY;
        VariantInit(&result_);
        if (hasRetval) {
            const ParamType type = TypeOf(info, function.lprgelemdescParam[paramCount - 1].tdesc);
            resultType = type.base;
            VariantInit(&retvalRef_);
            V_VT(&retvalRef_) = static_cast<VARTYPE>(VT_BYREF | resultType);
            V_BYREF(&retvalRef_) = resultType == VT_VARIANT ? static_cast<void*>(&result_)
                                                           : static_cast<void*>(&V_I4(&result_));
            types_[paramCount - 1] = V_VT(&retvalRef_);
            pointers_[paramCount - 1] = &retvalRef_;
        }

        VARIANT status;
        VariantInit(&status);
        HRESULT hr = DispCallFunc(instance, function.oVft, CC_STDCALL, VT_ERROR, paramCount, types_.data(),
                                  pointers_.data(), &status);
        if (SUCCEEDED(hr)) hr = V_ERROR(&status);
        if (FAILED(hr)) {
            if (excepInfo == nullptr) return hr;
            FillExcepInfo(hr, excepInfo);
            return DISP_E_EXCEPTION;
        }
        if (hasRetval && resultType != VT_VARIANT) {
            V_VT(&result_) = resultType;
            MakeScriptReadable(result_);
        }
        for (const auto& [index, target] : writeBack_) {
            VariantClear(target);
            *target = values_[index];
            VariantInit(&values_[index]);
        }
        if (result != nullptr) {
            VariantInit(result);
            *result = result_;
            VariantInit(&result_);
        }
        return S_OK;
    }

private:
    std::vector<VARIANT> values_;
    std::vector<VARIANT> refs_;
    std::vector<VARTYPE> types_;
    std::vector<VARIANTARG*> pointers_;
    std::vector<std::pair<UINT, VARIANT*>> writeBack_;
    VARIANT result_{};
    VARIANT retvalRef_{};
};

bool KindMatches(INVOKEKIND kind, WORD flags)
{
    switch (kind) {
    case INVOKE_FUNC: return (flags & DISPATCH_METHOD) != 0;
    // A property read as a method call: JScript's `coll.Item(0)` and `new Enumerator(coll)`.
    case INVOKE_PROPERTYGET: return (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
    case INVOKE_PROPERTYPUT: return (flags & DISPATCH_PROPERTYPUT) != 0;
    case INVOKE_PROPERTYPUTREF: return (flags & DISPATCH_PROPERTYPUTREF) != 0;
    }
    return false;
}

}  // namespace

void ObjectCreated() { ++g_objects; }
void ObjectDestroyed() { --g_objects; }
bool CanUnloadNow() { return g_objects == 0 && g_serverLocks == 0; }

std::wstring ModulePath()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModulePath), &module);
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

ITypeLib* TypeLibrary()
{
    std::lock_guard lock(g_typeMutex);
    return LoadedLibrary();
}

void ReleaseTypeInformation() noexcept
{
    std::lock_guard lock(g_typeMutex);
    for (auto& [iid, infos] : g_typeInfos) {
        if (infos.vtable) infos.vtable->Release();
        if (infos.dispatch) infos.dispatch->Release();
    }
    g_typeInfos.clear();
    if (g_library) g_library->Release();
    g_library = nullptr;
}

ITypeInfo* DispatchTypeInfo(REFIID iid) { return LookUp(iid).dispatch; }
ITypeInfo* InterfaceTypeInfo(REFIID iid) { return LookUp(iid).vtable; }

HRESULT ReportError(REFIID iid, std::int32_t number, const std::u16string& source,
                    const std::u16string& description, const std::u16string& helpFile, std::int32_t helpContext)
{
    ICreateErrorInfo* create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        create->SetGUID(iid);
        create->SetSource(const_cast<LPOLESTR>(reinterpret_cast<const OLECHAR*>(source.c_str())));
        create->SetDescription(const_cast<LPOLESTR>(reinterpret_cast<const OLECHAR*>(description.c_str())));
        create->SetHelpFile(const_cast<LPOLESTR>(reinterpret_cast<const OLECHAR*>(helpFile.c_str())));
        create->SetHelpContext(static_cast<DWORD>(helpContext));
        IErrorInfo* info = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
            SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    }
    // Run-time numbers travel in FACILITY_CONTROL; a number that is itself a failure
    // HRESULT (an error passed on from another component) travels as it is.
    if (number > 0 && number <= 0xFFFF) return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
    return number < 0 ? static_cast<HRESULT>(number) : E_FAIL;
}

HRESULT InvokeThroughTypeInfo(void* instance, ITypeInfo* typeInfo, DISPID member, WORD flags,
                              DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo, UINT* argError)
{
    TYPEATTR* attr = nullptr;
    if (FAILED(typeInfo->GetTypeAttr(&attr))) return E_FAIL;
    const WORD functionCount = attr->cFuncs;
    typeInfo->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < functionCount; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(typeInfo->GetFuncDesc(i, &function))) continue;
        if (function->memid != member || !KindMatches(function->invkind, flags)) {
            typeInfo->ReleaseFuncDesc(function);
            continue;
        }
        HRESULT hr = E_FAIL;
        try {
            Call call;
            hr = call.Run(instance, typeInfo, *function, params, result, excepInfo, argError);
        } catch (...) {
            hr = E_OUTOFMEMORY;  // the argument lists could not be made
        }
        typeInfo->ReleaseFuncDesc(function);
        return hr;
    }
    return DISP_E_MEMBERNOTFOUND;
}

}  // namespace automation
