// The frame every automation object of Hollin0106.dll stands on: reference counting,
// IDispatch through the embedded type library, ISupportErrorInfo, the server's object
// count, and the guard that turns the library's C++ errors into automation errors.
#pragma once

#include <atomic>
#include <new>
#include <utility>

#include <windows.h>
#include <oleauto.h>

#include <Hollin0106/AutomationError.h>

namespace automation {

// Live objects and client locks of the server (DllCanUnloadNow).
extern std::atomic<long> g_serverLocks;
void ObjectCreated();
void ObjectDestroyed();
bool CanUnloadNow();

// The DLL's own file name.
std::wstring ModulePath();
// The embedded type library (loaded on first use); nullptr when it cannot be loaded.
ITypeLib* TypeLibrary();
// The type information of a dual interface of the library: its dispatch half (what
// GetTypeInfo hands out) or its vtable half (what Invoke calls through). Not AddRef'd:
// they stay until ReleaseTypeInformation.
ITypeInfo* DispatchTypeInfo(REFIID iid);
ITypeInfo* InterfaceTypeInfo(REFIID iid);
// Releases the type library and every type information taken from it, so that a host
// that unloads the DLL gets its memory back (DllMain, when the DLL is freed). Loaded
// again on the next use.
void ReleaseTypeInformation() noexcept;

// Sets the thread's error information (source, description, help, the interface) and
// returns the HRESULT that automation clients map back to `number`:
// MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number).
HRESULT ReportError(REFIID iid, std::int32_t number, const std::u16string& source,
                    const std::u16string& description, const std::u16string& helpFile = {},
                    std::int32_t helpContext = 0);

// Runs `body` and turns whatever it throws into an automation error of interface `iid`:
// AutomationError with its own number, source and description; std::bad_alloc as error 7
// ("Out of memory"); any other exception as error 51 ("Internal error"). No C++ exception
// leaves a member of an automation object.
template <class Body>
HRESULT Guard(REFIID iid, Body&& body) noexcept
{
    try {
        std::forward<Body>(body)();
        return S_OK;
    } catch (const Hollin0106::AutomationError& e) {
        return ReportError(iid, e.Number, e.Source, e.Description, e.HelpFile, e.HelpContext);
    } catch (const std::bad_alloc&) {
        return ReportError(iid, 7, u"Hollin0106", u"Out of memory");
    } catch (...) {
        return ReportError(iid, 51, u"Hollin0106", u"Internal error");
    }
}

// IDispatch::Invoke of `instance` (an object that implements the vtable half of
// `typeInfo`): finds the member by DISPID and kind (a property get may be called as a
// method, as JScript does), converts the arguments to the types of its parameters, calls
// it through the vtable and converts the result. Arguments may be named by the DISPIDs
// GetIDsOfNames gives parameter names (their positions). A script's variables arrive as
// VARIANTs by reference: for a parameter by reference of another type the value is
// converted there and back, so that a script can pass a variable to a typed
// by-reference parameter. Left-out optional arguments take their default, or VT_ERROR
// DISP_E_PARAMNOTFOUND for a VARIANT, or zero. A value of the right kind outside its
// parameter's range is DISP_E_OVERFLOW (error 6), anything else that does not convert
// DISP_E_TYPEMISMATCH (13). A pointer-wide result (VT_I8), which scripts cannot read,
// comes back as a 32-bit integer where it fits, else as a double (exact to 2^53). A
// failing member's error information comes back in *excepInfo with DISP_E_EXCEPTION.
HRESULT InvokeThroughTypeInfo(void* instance, ITypeInfo* typeInfo, DISPID member, WORD flags,
                              DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo, UINT* argError);

// An owned interface reference: released when it goes.
template <class T>
class Ref {
public:
    Ref() = default;
    // Takes over a reference the caller holds.
    explicit Ref(T* taken) : p_(taken) {}
    Ref(const Ref& other) : p_(other.p_)
    {
        if (p_) p_->AddRef();
    }
    Ref& operator=(Ref other) noexcept
    {
        std::swap(p_, other.p_);
        return *this;
    }
    ~Ref()
    {
        if (p_) p_->Release();
    }
    T* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // A new reference for an [out] pointer.
    T* AddRefed() const
    {
        if (p_) p_->AddRef();
        return p_;
    }

private:
    T* p_ = nullptr;
};

// The reference count and QueryInterface of a server object that implements
// `Interface` (with the IUnknown it derives from). Objects start with one reference,
// held by their creator, and count among the server's live objects while they exist.
template <class Interface>
class UnknownObject : public Interface {
public:
    UnknownObject() { ObjectCreated(); }
    virtual ~UnknownObject() { ObjectDestroyed(); }
    UnknownObject(const UnknownObject&) = delete;
    UnknownObject& operator=(const UnknownObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr) return E_POINTER;
        if (riid != IID_IUnknown && riid != __uuidof(Interface)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const long left = --references_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

private:
    std::atomic<long> references_{1};
};

// The base of one automation class: `Interface` is the dual interface from the type
// library's header.
template <class Interface>
class DispatchObject : public UnknownObject<Interface>, public ISupportErrorInfo {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr) return E_POINTER;
        if (riid == IID_IDispatch) {
            *object = static_cast<Interface*>(this);
        } else if (riid == IID_ISupportErrorInfo) {
            *object = static_cast<ISupportErrorInfo*>(this);
        } else {
            return UnknownObject<Interface>::QueryInterface(riid, object);
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return UnknownObject<Interface>::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return UnknownObject<Interface>::Release(); }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (count == nullptr) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override
    {
        if (info == nullptr) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        ITypeInfo* ti = DispatchTypeInfo(__uuidof(Interface));
        if (ti == nullptr) return TYPE_E_CANTLOADLIBRARY;
        ti->AddRef();
        *info = ti;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (names == nullptr || ids == nullptr) return E_POINTER;
        ITypeInfo* ti = DispatchTypeInfo(__uuidof(Interface));
        if (ti == nullptr) return TYPE_E_CANTLOADLIBRARY;
        return DispGetIDsOfNames(ti, names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excepInfo, UINT* argError) override
    {
        if (riid != GUID{}) return DISP_E_UNKNOWNINTERFACE;  // IID_NULL
        ITypeInfo* ti = InterfaceTypeInfo(__uuidof(Interface));
        if (ti == nullptr) return TYPE_E_CANTLOADLIBRARY;
        return InvokeThroughTypeInfo(static_cast<Interface*>(this), ti, member, flags, params, result,
                                     excepInfo, argError);
    }

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override
    {
        return riid == __uuidof(Interface) ? S_OK : S_FALSE;
    }

protected:
    // Runs a member's body under the guard of this interface.
    template <class Body>
    static HRESULT Run(Body&& body) noexcept
    {
        return Guard(__uuidof(Interface), std::forward<Body>(body));
    }
    // The same for a member with a result: E_POINTER when the caller gave no place for
    // it, else the result starts empty (a failed call leaves no stray value) and the
    // body fills it.
    template <class Out, class Body>
    static HRESULT Run(Out* result, Body&& body) noexcept
    {
        if (result == nullptr) return E_POINTER;
        *result = Out{};
        return Guard(__uuidof(Interface), std::forward<Body>(body));
    }

};


}  // namespace automation
