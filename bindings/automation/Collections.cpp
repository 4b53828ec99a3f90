// The collection classes (Collection, qvxFileStreams, qvxFoundedFiles), their items
// (FileStream, FoundedFile) and the enumerator behind For Each.
#include <unordered_map>
#include <utility>

#include <dispex.h>

#include "bindings/automation/ComBase.h"
#include "bindings/automation/Objects.h"
#include "bindings/automation/VariantMapping.h"

namespace automation {

namespace {

namespace H = Hollin0106;

// ---- For Each ---------------------------------------------------------------------------

class Enumerator : public UnknownObject<IEnumVARIANT> {
public:
    explicit Enumerator(std::shared_ptr<std::vector<VARIANT>> items, std::size_t position = 0)
        : items_(std::move(items)), position_(position)
    {
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override
    {
        if (out == nullptr) return E_POINTER;
        ULONG done = 0;
        for (; done < count && position_ < items_->size(); ++done, ++position_) {
            VariantInit(&out[done]);
            const HRESULT hr = VariantCopy(&out[done], &(*items_)[position_]);
            if (FAILED(hr)) {
                for (ULONG i = 0; i < done; ++i) VariantClear(&out[i]);
                if (fetched) *fetched = 0;
                return hr;
            }
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        const std::size_t left = items_->size() - position_;
        position_ += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override
    {
        if (copy == nullptr) return E_POINTER;
        *copy = new (std::nothrow) Enumerator(items_, position_);
        return *copy ? S_OK : E_OUTOFMEMORY;
    }

private:
    struct Items {
        void operator()(std::vector<VARIANT>* items) const
        {
            for (VARIANT& v : *items) VariantClear(&v);
            delete items;
        }
    };
    std::shared_ptr<std::vector<VARIANT>> items_;
    std::size_t position_;

    friend IUnknown* automation::NewEnumerator(std::vector<VARIANT> items);
};

// The automation objects of a collection's items, each made on first request and kept
// while the collection lives: reading an item twice (by Item or For Each) gives the same
// object. Keyed by the C++ item, which the kept object holds, so a key is never reused.
template <class Item, class Wrapper>
class ItemObjects {
public:
    using Wrap = Wrapper* (*)(std::shared_ptr<Item>);
    explicit ItemObjects(Wrap wrap) : wrap_(wrap) {}

    // A new reference to the object of `item`.
    Wrapper* Get(const std::shared_ptr<Item>& item)
    {
        if (!item) return nullptr;
        auto found = objects_.find(item.get());
        if (found == objects_.end()) found = objects_.emplace(item.get(), Ref<Wrapper>(wrap_(item))).first;
        return found->second.AddRefed();
    }
    // The enumerator over `list`'s items, as these objects.
    template <class List>
    IUnknown* Enumerate(const List& list)
    {
        std::vector<VARIANT> items;
        items.reserve(static_cast<std::size_t>(list.Count()));
        try {
            for (const auto& item : list) items.push_back(DispatchVariant(Get(item)));
        } catch (...) {
            for (VARIANT& v : items) VariantClear(&v);
            throw;
        }
        return NewEnumerator(std::move(items));
    }
    // Called before the collection fills itself anew: the old items' objects go (a
    // client keeps the ones it holds).
    void Clear() { objects_.clear(); }

private:
    Wrap wrap_;
    std::unordered_map<const Item*, Ref<Wrapper>> objects_;
};

// ---- Collection -------------------------------------------------------------------------

class CollectionObject : public DispatchObject<_Collection> {
public:
    explicit CollectionObject(std::shared_ptr<H::Collection> list) : list_(std::move(list)) {}

    HRESULT STDMETHODCALLTYPE Add(BSTR Item, BSTR Key) override
    {
        return Run([&] { list_->Add(FromBstr(Item), FromBstr(Key)); });
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG* Result) override
    {
        return Run(Result, [&] { *Result = list_->Count(); });
    }
    // A number picks by 1-based position, a text by key.
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT Index, BSTR* Result) override
    {
        return Run(Result, [&] {
            const H::Variant index = FromVariant(Index);
            if (index.type() == H::Variant::Type::String)
                AssignBstr(Result, list_->Item(std::u16string_view(index.toString())));
            else
                AssignBstr(Result, list_->Item(index.toLong()));
        });
    }
    HRESULT STDMETHODCALLTYPE Remove(VARIANT Index) override
    {
        return Run([&] {
            const H::Variant index = FromVariant(Index);
            if (index.type() == H::Variant::Type::String)
                list_->Remove(std::u16string_view(index.toString()));
            else
                list_->Remove(index.toLong());
        });
    }
    HRESULT STDMETHODCALLTYPE get_NewEnum(IUnknown** Result) override
    {
        return Run(Result, [&] {
            std::vector<VARIANT> items;
            try {
                for (const std::u16string& item : *list_) {
                    VARIANT v;
                    VariantInit(&v);
                    V_BSTR(&v) = ToBstr(item);
                    V_VT(&v) = VT_BSTR;
                    items.push_back(v);
                }
            } catch (...) {
                for (VARIANT& v : items) VariantClear(&v);
                throw;
            }
            *Result = NewEnumerator(std::move(items));
        });
    }

private:
    std::shared_ptr<H::Collection> list_;
};

// ---- File streams ---------------------------------------------------------------------

class FileStreamObject : public DispatchObject<_FileStream> {
public:
    explicit FileStreamObject(std::shared_ptr<H::FileStream> stream) : s_(std::move(stream)) {}

    HRESULT STDMETHODCALLTYPE get_StreamID(LONG* r) override { return Run(r, [&] { *r = s_->StreamID(); }); }
    HRESULT STDMETHODCALLTYPE get_Attributes(LONG* r) override { return Run(r, [&] { *r = s_->Attributes(); }); }
    HRESULT STDMETHODCALLTYPE get_Size(double* r) override { return Run(r, [&] { *r = s_->Size(); }); }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* r) override { return Run(r, [&] { *r = ToBstr(s_->Name()); }); }
    HRESULT STDMETHODCALLTYPE get_ShortName(BSTR* r) override { return Run(r, [&] { *r = ToBstr(s_->ShortName()); }); }
#define HOLLIN_BOOL(name) \
    HRESULT STDMETHODCALLTYPE get_##name(VARIANT_BOOL* r) override { return Run(r, [&] { *r = ToVariantBool(s_->name()); }); }
    HOLLIN_BOOL(StreamIDInvalid)
    HOLLIN_BOOL(StreamIDData)
    HOLLIN_BOOL(StreamIDEAData)
    HOLLIN_BOOL(StreamIDSecurityData)
    HOLLIN_BOOL(StreamIDAlternateData)
    HOLLIN_BOOL(StreamIDLink)
    HOLLIN_BOOL(StreamIDPropertyData)
    HOLLIN_BOOL(StreamIDObjectID)
    HOLLIN_BOOL(StreamIDReparseData)
    HOLLIN_BOOL(StreamIDSparseBlock)
    HOLLIN_BOOL(AttributeModifiedWhenRead)
    HOLLIN_BOOL(AttributeContainsSecurity)
    HOLLIN_BOOL(AttributeContainsProperties)
    HOLLIN_BOOL(AttributeSparseAttribute)
#undef HOLLIN_BOOL

private:
    std::shared_ptr<H::FileStream> s_;
};

class FileStreamsObject : public DispatchObject<_qvxFileStreams> {
public:
    HRESULT STDMETHODCALLTYPE get_Count(LONG* r) override { return Run(r, [&] { *r = list_->Count(); }); }
    HRESULT STDMETHODCALLTYPE get_Item(LONG Index, _FileStream** r) override
    {
        return Run(r, [&] { *r = items_.Get(list_->Item(Index)); });
    }
    HRESULT STDMETHODCALLTYPE get_NewEnum(IUnknown** r) override
    {
        return Run(r, [&] { *r = items_.Enumerate(*list_); });
    }
    HRESULT STDMETHODCALLTYPE ReadFileStreams(BSTR FileName, VARIANT_BOOL ProcessSecurity, VARIANT_BOOL* r) override
    {
        return Run(r, [&] {
            items_.Clear();
            *r = ToVariantBool(list_->ReadFileStreams(FromBstr(FileName), ProcessSecurity != VARIANT_FALSE));
        });
    }

private:
    std::shared_ptr<H::qvxFileStreams> list_ = std::make_shared<H::qvxFileStreams>();
    ItemObjects<H::FileStream, _FileStream> items_{WrapFileStream};
};

// ---- File search ----------------------------------------------------------------------

// The search's callback for an automation object: through the IFindFilesCallback
// interface when the object has it, otherwise by calling its method named
// "DirectoryCompleted" (a script's class), with Cancel as a VARIANT by reference. An
// error in the callback ends the search with that error.
class CallbackBridge : public H::IFindFilesCallback {
public:
    explicit CallbackBridge(IDispatch* object) : object_(object) {}

    void DirectoryCompleted(const std::u16string& Path, bool& Cancel) override
    {
        BSTR path = ToBstr(Path);
        _IFindFilesCallback* typed = nullptr;
        HRESULT hr = S_OK;
        EXCEPINFO error{};
        if (SUCCEEDED(object_->QueryInterface(__uuidof(_IFindFilesCallback), reinterpret_cast<void**>(&typed)))) {
            VARIANT_BOOL cancel = ToVariantBool(Cancel);
            // What the thread's error information holds after a failure is then the
            // callback's own (number, source, description, help).
            SetErrorInfo(0, nullptr);
            hr = typed->DirectoryCompleted(path, &cancel);
            typed->Release();
            if (SUCCEEDED(hr))
                Cancel = cancel != VARIANT_FALSE;
            else
                TakeErrorInfo(hr, error);
        } else {
            hr = CallByName(path, Cancel, &error);
        }
        SysFreeString(path);
        if (FAILED(hr)) Raise(hr, error);
    }

private:
    HRESULT CallByName(BSTR path, bool& Cancel, EXCEPINFO* error)
    {
        VARIANT cancel;
        VariantInit(&cancel);
        V_VT(&cancel) = VT_BOOL;
        V_BOOL(&cancel) = ToVariantBool(Cancel);
        VARIANT args[2];
        VariantInit(&args[0]);
        V_VT(&args[0]) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&args[0]) = &cancel;
        VariantInit(&args[1]);
        V_VT(&args[1]) = VT_BSTR;
        V_BSTR(&args[1]) = path;
        DISPPARAMS params{args, nullptr, 2, 0};
        // A script's object may answer only IDispatchEx (Wine's VBScript classes do).
        HRESULT hr = E_NOTIMPL;
        IDispatchEx* dynamic = nullptr;
        if (SUCCEEDED(object_->QueryInterface(__uuidof(IDispatchEx), reinterpret_cast<void**>(&dynamic)))) {
            BSTR name = SysAllocString(L"DirectoryCompleted");
            DISPID id = DISPID_UNKNOWN;
            hr = name ? dynamic->GetDispID(name, fdexNameCaseInsensitive, &id) : E_OUTOFMEMORY;
            SysFreeString(name);
            if (SUCCEEDED(hr))
                hr = dynamic->InvokeEx(id, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, error, nullptr);
            dynamic->Release();
        } else {
            OLECHAR name[] = L"DirectoryCompleted";
            LPOLESTR names[] = {name};
            DISPID id = DISPID_UNKNOWN;
            hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
            UINT argError = 0;
            if (SUCCEEDED(hr))
                hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, error,
                                     &argError);
        }
        if (SUCCEEDED(hr)) {
            VARIANT value;
            VariantInit(&value);
            if (SUCCEEDED(VariantChangeType(&value, &cancel, 0, VT_BOOL))) Cancel = V_BOOL(&value) != VARIANT_FALSE;
        }
        VariantClear(&cancel);
        return hr;
    }

    // The error information a failed vtable call left, as an Invoke would report it.
    static void TakeErrorInfo(HRESULT hr, EXCEPINFO& error)
    {
        error.scode = hr;
        IErrorInfo* info = nullptr;
        if (GetErrorInfo(0, &info) != S_OK || info == nullptr) return;
        info->GetSource(&error.bstrSource);
        info->GetDescription(&error.bstrDescription);
        info->GetHelpFile(&error.bstrHelpFile);
        info->GetHelpContext(&error.dwHelpContext);
        info->Release();
    }

    [[noreturn]] static void Raise(HRESULT hr, EXCEPINFO& error)
    {
        if (hr == DISP_E_EXCEPTION && error.pfnDeferredFillIn) error.pfnDeferredFillIn(&error);
        const HRESULT code = error.scode ? error.scode : hr == DISP_E_EXCEPTION ? static_cast<HRESULT>(error.wCode) : hr;
        const std::int32_t number = HRESULT_FACILITY(code) == FACILITY_CONTROL ? HRESULT_CODE(code) : code;
        std::u16string source = FromBstr(error.bstrSource);
        std::u16string description = FromBstr(error.bstrDescription);
        std::u16string helpFile = FromBstr(error.bstrHelpFile);
        SysFreeString(error.bstrSource);
        SysFreeString(error.bstrDescription);
        SysFreeString(error.bstrHelpFile);
        throw H::AutomationError(number, source.empty() ? u"IFindFilesCallback" : source, description, helpFile,
                                 static_cast<std::int32_t>(error.dwHelpContext));
    }

    IDispatch* object_;
};

class FoundedFileObject : public DispatchObject<_FoundedFile> {
public:
    explicit FoundedFileObject(std::shared_ptr<H::FoundedFile> file) : f_(std::move(file)) {}

    HRESULT STDMETHODCALLTYPE get_Childs(_qvxFoundedFiles** r) override
    {
        return Run(r, [&] {
            if (!childs_) childs_ = Ref<_qvxFoundedFiles>(WrapFoundedFiles(f_->Childs()));
            *r = childs_.AddRefed();
        });
    }
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* r) override { return Run(r, [&] { *r = ToBstr(f_->Path()); }); }
    HRESULT STDMETHODCALLTYPE get_FileAttributes(LONG* r) override { return Run(r, [&] { *r = f_->FileAttributes(); }); }
#define HOLLIN_BOOL(name) \
    HRESULT STDMETHODCALLTYPE get_##name(VARIANT_BOOL* r) override { return Run(r, [&] { *r = ToVariantBool(f_->name()); }); }
    HOLLIN_BOOL(AttributeReadOnly)
    HOLLIN_BOOL(AttributeHidden)
    HOLLIN_BOOL(AttributeSystem)
    HOLLIN_BOOL(AttributeDirectory)
    HOLLIN_BOOL(AttributeArchive)
    HOLLIN_BOOL(AttributeDevice)
    HOLLIN_BOOL(AttributeTemporary)
    HOLLIN_BOOL(AttributeSparseFile)
    HOLLIN_BOOL(AttributeReparsePoint)
    HOLLIN_BOOL(AttributeCompressed)
    HOLLIN_BOOL(AttributeOffline)
    HOLLIN_BOOL(AttributeNotContentIndexed)
    HOLLIN_BOOL(AttributeEncrypted)
#undef HOLLIN_BOOL
    HRESULT STDMETHODCALLTYPE get_CreationTime(DATE* r) override { return Run(r, [&] { *r = f_->CreationTime(); }); }
    HRESULT STDMETHODCALLTYPE get_LastAccessTime(DATE* r) override { return Run(r, [&] { *r = f_->LastAccessTime(); }); }
    HRESULT STDMETHODCALLTYPE get_LastWriteTime(DATE* r) override { return Run(r, [&] { *r = f_->LastWriteTime(); }); }
    HRESULT STDMETHODCALLTYPE get_FileSize(double* r) override { return Run(r, [&] { *r = f_->FileSize(); }); }
    HRESULT STDMETHODCALLTYPE get_CompressedFileSize(double* r) override
    {
        return Run(r, [&] { *r = f_->CompressedFileSize(); });
    }
    HRESULT STDMETHODCALLTYPE get_FileName(BSTR* r) override { return Run(r, [&] { *r = ToBstr(f_->FileName()); }); }
    HRESULT STDMETHODCALLTYPE get_AlternateFileName(BSTR* r) override
    {
        return Run(r, [&] { *r = ToBstr(f_->AlternateFileName()); });
    }

private:
    std::shared_ptr<H::FoundedFile> f_;
    Ref<_qvxFoundedFiles> childs_;  // the one object of Childs, made on first read
};

class FoundedFilesObject : public DispatchObject<_qvxFoundedFiles> {
public:
    explicit FoundedFilesObject(std::shared_ptr<H::qvxFoundedFiles> files) : list_(std::move(files)) {}

    HRESULT STDMETHODCALLTYPE get_HasSubItems(VARIANT_BOOL* r) override
    {
        return Run(r, [&] { *r = ToVariantBool(list_->HasSubItems()); });
    }
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* r) override { return Run(r, [&] { *r = ToBstr(list_->Path()); }); }
    HRESULT STDMETHODCALLTYPE get_Size(double* r) override { return Run(r, [&] { *r = list_->Size(); }); }
    HRESULT STDMETHODCALLTYPE Refresh(BSTR Path, BSTR Mask, VARIANT_BOOL* r) override
    {
        return Run(r, [&] {
            items_.Clear();
            *r = ToVariantBool(list_->Refresh(FromBstr(Path), FromBstr(Mask)));
        });
    }
    HRESULT STDMETHODCALLTYPE RefreshEx(BSTR Path, BSTR Mask, VARIANT_BOOL FollowReparsePoints,
                                        VARIANT CallBackObject, VARIANT_BOOL* r) override
    {
        return RefreshEx2(Path, Mask, FollowReparsePoints, CallBackObject, VARIANT_FALSE, r);
    }
    HRESULT STDMETHODCALLTYPE RefreshEx2(BSTR Path, BSTR Mask, VARIANT_BOOL FollowReparsePoints,
                                         VARIANT CallBackObject, VARIANT_BOOL SearchWithParent,
                                         VARIANT_BOOL* r) override
    {
        return Run(r, [&] {
            IDispatch* object = CallbackOf(CallBackObject);
            CallbackBridge bridge(object);
            bool done = false;
            items_.Clear();
            try {
                done = list_->RefreshEx2(FromBstr(Path), FromBstr(Mask), FollowReparsePoints != VARIANT_FALSE,
                                         object ? &bridge : nullptr, SearchWithParent != VARIANT_FALSE);
            } catch (...) {
                if (object) object->Release();
                throw;
            }
            if (object) object->Release();
            *r = ToVariantBool(done);
        });
    }
    HRESULT STDMETHODCALLTYPE get_Item(LONG Index, _FoundedFile** r) override
    {
        return Run(r, [&] { *r = items_.Get(list_->Item(Index)); });
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG* r) override { return Run(r, [&] { *r = list_->Count(); }); }
    HRESULT STDMETHODCALLTYPE get_NewEnum(IUnknown** r) override
    {
        return Run(r, [&] { *r = items_.Enumerate(*list_); });
    }

private:
    // The callback object of a CallBackObject argument (AddRef'd), or none for a left-out
    // argument, Empty or Nothing; anything else is a type mismatch.
    static IDispatch* CallbackOf(const VARIANT& argument)
    {
        VARIANT v;
        VariantInit(&v);
        if (FAILED(VariantCopyInd(&v, const_cast<VARIANT*>(&argument)))) throw H::AutomationError(H::errnum::TypeMismatch, u"qvxFoundedFiles");
        IDispatch* object = nullptr;
        if (V_VT(&v) == VT_DISPATCH && V_DISPATCH(&v) != nullptr) {
            object = V_DISPATCH(&v);
            object->AddRef();
        } else if (V_VT(&v) == VT_UNKNOWN && V_UNKNOWN(&v) != nullptr) {
            V_UNKNOWN(&v)->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object));
        }
        const bool none = V_VT(&v) == VT_EMPTY || V_VT(&v) == VT_NULL || IsMissing(v) ||
                          ((V_VT(&v) == VT_DISPATCH || V_VT(&v) == VT_UNKNOWN) && V_UNKNOWN(&v) == nullptr);
        VariantClear(&v);
        if (object == nullptr && !none) throw H::AutomationError(H::errnum::TypeMismatch, u"qvxFoundedFiles");
        return object;
    }

    std::shared_ptr<H::qvxFoundedFiles> list_;
    ItemObjects<H::FoundedFile, _FoundedFile> items_{WrapFoundedFile};
};

// The library's own callback class: does nothing.
class FindFilesCallbackObject : public DispatchObject<_IFindFilesCallback> {
public:
    HRESULT STDMETHODCALLTYPE DirectoryCompleted(BSTR, VARIANT_BOOL* Cancel) override
    {
        return Cancel == nullptr ? E_POINTER : S_OK;
    }
};

// A new automation object over the library's object; none for none.
template <class Object, class Library>
Object* WrapIn(std::shared_ptr<Library> object)
{
    return object ? new Object(std::move(object)) : nullptr;
}

}  // namespace

IUnknown* NewEnumerator(std::vector<VARIANT> items)
{
    auto owned = std::shared_ptr<std::vector<VARIANT>>(new std::vector<VARIANT>(std::move(items)), Enumerator::Items{});
    return new Enumerator(std::move(owned));
}

VARIANT DispatchVariant(IDispatch* object)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    return v;
}

_Collection* WrapCollection(std::shared_ptr<H::Collection> list) { return WrapIn<CollectionObject>(std::move(list)); }
_FileStream* WrapFileStream(std::shared_ptr<H::FileStream> stream) { return WrapIn<FileStreamObject>(std::move(stream)); }
_FoundedFile* WrapFoundedFile(std::shared_ptr<H::FoundedFile> file) { return WrapIn<FoundedFileObject>(std::move(file)); }
_qvxFoundedFiles* WrapFoundedFiles(std::shared_ptr<H::qvxFoundedFiles> files)
{
    return WrapIn<FoundedFilesObject>(std::move(files));
}

IDispatch* NewFileStreams() { return new FileStreamsObject(); }
IDispatch* NewFoundedFiles() { return new FoundedFilesObject(std::make_shared<H::qvxFoundedFiles>()); }
IDispatch* NewFindFilesCallback() { return new FindFilesCallbackObject(); }

}  // namespace automation
