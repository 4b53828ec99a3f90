// The automation objects qvxShellFileInfo, ShellFileEXE and ShellFileIcon. An icon goes
// to a client as an automation picture (IPictureDisp) made from its RGBA pixels.
#include <Hollin0106/qvxShellFileInfo.h>

#include <vector>

#include <olectl.h>
#include <ocidl.h>

#include "bindings/automation/ComBase.h"
#include "bindings/automation/Objects.h"
#include "bindings/automation/VariantMapping.h"

namespace automation {

namespace {

namespace H = Hollin0106;

// A new icon with the picture's pixels and alpha, or nullptr when GDI refuses.
HICON IconFromPicture(const H::Picture& picture)
{
    const int width = picture.Width(), height = picture.Height();
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = width;
    header.bV5Height = -height;  // top-down rows, as Pixels gives them
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (color == nullptr) return nullptr;
    const H::ByteArray rgba = picture.Pixels();
    auto* out = static_cast<std::uint8_t*>(bits);
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {  // RGBA to BGRA
        out[i] = rgba[i + 2];
        out[i + 1] = rgba[i + 1];
        out[i + 2] = rgba[i];
        out[i + 3] = rgba[i + 3];
    }
    // The alpha channel decides what shows; the AND mask stays all clear (rows of whole
    // 16-bit words).
    const std::vector<std::uint8_t> clear(static_cast<std::size_t>((width + 15) / 16 * 2) * height, 0);
    HBITMAP mask = CreateBitmap(width, height, 1, 1, clear.data());
    ICONINFO info{TRUE, 0, 0, mask, color};
    HICON icon = mask ? CreateIconIndirect(&info) : nullptr;
    if (mask) DeleteObject(mask);
    DeleteObject(color);
    return icon;
}

IPictureDisp* PictureObject(const std::shared_ptr<H::Picture>& picture)
{
    if (!picture) return nullptr;
    HICON icon = IconFromPicture(*picture);
    if (icon == nullptr) throw std::bad_alloc();
    PICTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_ICON;
    description.icon.hicon = icon;
    IPictureDisp* object = nullptr;
    // The picture owns the icon from here on.
    if (FAILED(OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(&object)))) {
        DestroyIcon(icon);
        throw std::bad_alloc();
    }
    return object;
}

class ShellFileEXEObject : public DispatchObject<_ShellFileEXE> {
public:
    explicit ShellFileEXEObject(std::shared_ptr<H::ShellFileEXE> exe) : e_(std::move(exe)) {}
    HRESULT STDMETHODCALLTYPE get_OSVersionMinor(LONG* r) override { return Run(r, [&] { *r = e_->OSVersionMinor(); }); }
    HRESULT STDMETHODCALLTYPE get_OSVersionMajor(LONG* r) override { return Run(r, [&] { *r = e_->OSVersionMajor(); }); }
    HRESULT STDMETHODCALLTYPE get_Signature(BSTR* r) override { return Run(r, [&] { *r = ToBstr(e_->Signature()); }); }

private:
    std::shared_ptr<H::ShellFileEXE> e_;
};

class ShellFileIconObject : public DispatchObject<_ShellFileIcon> {
public:
    explicit ShellFileIconObject(std::shared_ptr<H::ShellFileIcon> icon) : i_(std::move(icon)) {}
    // One picture (and one icon handle) for the life of this object.
    HRESULT STDMETHODCALLTYPE get_Icon(IPictureDisp** r) override
    {
        return Run(r, [&] {
            if (!picture_) picture_ = Ref<IPictureDisp>(PictureObject(i_->Icon()));
            *r = picture_.AddRefed();
        });
    }
    HRESULT STDMETHODCALLTYPE get_Index(LONG* r) override { return Run(r, [&] { *r = i_->Index(); }); }

private:
    std::shared_ptr<H::ShellFileIcon> i_;
    Ref<IPictureDisp> picture_;
};

_ShellFileEXE* WrapExe(std::shared_ptr<H::ShellFileEXE> exe)
{
    return new ShellFileEXEObject(std::move(exe));
}
_ShellFileIcon* WrapIcon(std::shared_ptr<H::ShellFileIcon> icon)
{
    return new ShellFileIconObject(std::move(icon));
}

// The automation object of what a lazy property of qvxShellFileInfo gives: the same
// object while the C++ property gives the same item (until the next ReadFile), a new
// one for a new item; none for none.
template <class Item, class Wrapper>
class KeptObject {
public:
    Wrapper* Get(const std::shared_ptr<Item>& item, Wrapper* (*wrap)(std::shared_ptr<Item>))
    {
        if (!item) return nullptr;
        // The kept object holds the item, so its address is not reused while kept.
        if (item.get() != key_ || !object_) {
            object_ = Ref<Wrapper>(wrap(item));
            key_ = item.get();
        }
        return object_.AddRefed();
    }

private:
    const Item* key_ = nullptr;
    Ref<Wrapper> object_;
};

class ShellFileInfoObject : public DispatchObject<_qvxShellFileInfo> {
public:
    HRESULT STDMETHODCALLTYPE ReadFile(BSTR FileName, VARIANT_BOOL* r) override
    {
        return Run(r, [&] { *r = ToVariantBool(s_.ReadFile(FromBstr(FileName))); });
    }
    HRESULT STDMETHODCALLTYPE get_FileName(BSTR* r) override { return Run(r, [&] { *r = ToBstr(s_.FileName()); }); }
    HRESULT STDMETHODCALLTYPE get_Attributes(LONG* r) override
    {
        return Run(r, [&] { *r = static_cast<LONG>(s_.Attributes()); });
    }
    HRESULT STDMETHODCALLTYPE get_DisplayName(BSTR* r) override { return Run(r, [&] { *r = ToBstr(s_.DisplayName()); }); }
    HRESULT STDMETHODCALLTYPE get_TypeName(BSTR* r) override { return Run(r, [&] { *r = ToBstr(s_.TypeName()); }); }
    HRESULT STDMETHODCALLTYPE get_EXEType(_ShellFileEXE** r) override
    {
        return Run(r, [&] { *r = exe_.Get(s_.EXEType(), WrapExe); });
    }
#define HOLLIN_ICON(name, slot)                                                         \
    HRESULT STDMETHODCALLTYPE get_##name(_ShellFileIcon** r) override                   \
    {                                                                                   \
        return Run(r, [&] { *r = icons_[slot].Get(s_.name(), WrapIcon); });             \
    }
    HOLLIN_ICON(Icon, 0)
    HOLLIN_ICON(SmallIcon, 1)
    HOLLIN_ICON(LinkOverlayIcon, 2)
    HOLLIN_ICON(LinkOverlaySmallIcon, 3)
    HOLLIN_ICON(OpenIcon, 4)
    HOLLIN_ICON(OpenSmallIcon, 5)
    HOLLIN_ICON(SelectedIcon, 6)
    HOLLIN_ICON(SelectedSmallIcon, 7)
    HOLLIN_ICON(ShellSizeIcon, 8)
#undef HOLLIN_ICON
    HRESULT STDMETHODCALLTYPE get_IconLocation(BSTR* r) override { return Run(r, [&] { *r = ToBstr(s_.IconLocation()); }); }
    HRESULT STDMETHODCALLTYPE get_SystemIconIndex(LONG* r) override { return Run(r, [&] { *r = s_.SystemIconIndex(); }); }
    HRESULT STDMETHODCALLTYPE get_hSystemImageList(LONG_PTR* r) override
    {
        return Run(r, [&] { *r = static_cast<LONG_PTR>(s_.hSystemImageList()); });
    }

private:
    H::qvxShellFileInfo s_;
    KeptObject<H::ShellFileEXE, _ShellFileEXE> exe_;
    KeptObject<H::ShellFileIcon, _ShellFileIcon> icons_[9];
};

}  // namespace

IDispatch* NewShellFileInfo() { return new ShellFileInfoObject(); }

}  // namespace automation
