// The automation objects qvxShellFileInfo, ShellFileEXE and ShellFileIcon. An icon goes
// to a client as an automation picture (IPictureDisp) made from its RGBA pixels.
#include <Hollin0106/qvxShellFileInfo.h>

#include <vector>

#include <olectl.h>
#include <ocidl.h>

#include "platform/win32/automation/ComBase.h"
#include "platform/win32/automation/Objects.h"
#include "platform/win32/automation/VariantMapping.h"

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

IDispatch* PictureObject(const std::shared_ptr<H::Picture>& picture)
{
    if (!picture) return nullptr;
    HICON icon = IconFromPicture(*picture);
    if (icon == nullptr) throw std::bad_alloc();
    PICTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_ICON;
    description.icon.hicon = icon;
    IDispatch* object = nullptr;
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
    HRESULT STDMETHODCALLTYPE get_OSVersionMinor(LONG* r) override { return Run([&] { *r = e_->OSVersionMinor(); }); }
    HRESULT STDMETHODCALLTYPE get_OSVersionMajor(LONG* r) override { return Run([&] { *r = e_->OSVersionMajor(); }); }
    HRESULT STDMETHODCALLTYPE get_Signature(BSTR* r) override { return Run([&] { *r = ToBstr(e_->Signature()); }); }

private:
    std::shared_ptr<H::ShellFileEXE> e_;
};

class ShellFileIconObject : public DispatchObject<_ShellFileIcon> {
public:
    explicit ShellFileIconObject(std::shared_ptr<H::ShellFileIcon> icon) : i_(std::move(icon)) {}
    HRESULT STDMETHODCALLTYPE get_Icon(IDispatch** r) override { return Run([&] { *r = PictureObject(i_->Icon()); }); }
    HRESULT STDMETHODCALLTYPE get_Index(LONG* r) override { return Run([&] { *r = i_->Index(); }); }

private:
    std::shared_ptr<H::ShellFileIcon> i_;
};

_ShellFileEXE* WrapExe(std::shared_ptr<H::ShellFileEXE> exe)
{
    return exe ? new ShellFileEXEObject(std::move(exe)) : nullptr;
}
_ShellFileIcon* WrapIcon(std::shared_ptr<H::ShellFileIcon> icon)
{
    return icon ? new ShellFileIconObject(std::move(icon)) : nullptr;
}

class ShellFileInfoObject : public DispatchObject<_qvxShellFileInfo> {
public:
    HRESULT STDMETHODCALLTYPE ReadFile(BSTR FileName, VARIANT_BOOL* r) override
    {
        return Run([&] { *r = ToVariantBool(s_.ReadFile(FromBstr(FileName))); });
    }
    HRESULT STDMETHODCALLTYPE get_FileName(BSTR* r) override { return Run([&] { *r = ToBstr(s_.FileName()); }); }
    HRESULT STDMETHODCALLTYPE get_Attributes(LONG* r) override
    {
        return Run([&] { *r = static_cast<LONG>(s_.Attributes()); });
    }
    HRESULT STDMETHODCALLTYPE get_DisplayName(BSTR* r) override { return Run([&] { *r = ToBstr(s_.DisplayName()); }); }
    HRESULT STDMETHODCALLTYPE get_TypeName(BSTR* r) override { return Run([&] { *r = ToBstr(s_.TypeName()); }); }
    HRESULT STDMETHODCALLTYPE get_EXEType(_ShellFileEXE** r) override { return Run([&] { *r = WrapExe(s_.EXEType()); }); }
#define HOLLIN_ICON(name) \
    HRESULT STDMETHODCALLTYPE get_##name(_ShellFileIcon** r) override { return Run([&] { *r = WrapIcon(s_.name()); }); }
    HOLLIN_ICON(Icon)
    HOLLIN_ICON(SmallIcon)
    HOLLIN_ICON(LinkOverlayIcon)
    HOLLIN_ICON(LinkOverlaySmallIcon)
    HOLLIN_ICON(OpenIcon)
    HOLLIN_ICON(OpenSmallIcon)
    HOLLIN_ICON(SelectedIcon)
    HOLLIN_ICON(SelectedSmallIcon)
    HOLLIN_ICON(ShellSizeIcon)
#undef HOLLIN_ICON
    HRESULT STDMETHODCALLTYPE get_IconLocation(BSTR* r) override { return Run([&] { *r = ToBstr(s_.IconLocation()); }); }
    HRESULT STDMETHODCALLTYPE get_SystemIconIndex(LONG* r) override { return Run([&] { *r = s_.SystemIconIndex(); }); }
    HRESULT STDMETHODCALLTYPE get_hSystemImageList(LONG_PTR* r) override
    {
        return Run([&] { *r = static_cast<LONG_PTR>(s_.hSystemImageList()); });
    }

private:
    H::qvxShellFileInfo s_;
};

}  // namespace

IDispatch* NewShellFileInfo() { return new ShellFileInfoObject(); }

}  // namespace automation
