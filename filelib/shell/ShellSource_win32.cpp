// The shell queries on Windows: SHGetFileInfoW, its icons turned into RGBA pixels
// (GetIconInfo, GetDIBits) and destroyed, the shell's stock document icon as the default
// icon, and PNG encoding through the Windows Imaging Component.
#include "filelib/shell/ShellSource.h"

#include "platform/Files.h"
#include "platform/win32/Win32.h"

#include <objbase.h>
#include <shellapi.h>
#include <wincodec.h>

#include <cwchar>
#include <utility>

namespace shell {

using namespace platform;

using win32::Error;

namespace {

// COM on the calling thread for as long as the object lives: the shell's icon and type
// handlers and the imaging codecs are COM objects. A thread that already runs COM in
// the other apartment mode keeps it, and the calls work there as well.
class ComScope {
public:
    ComScope() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};

// Releases a COM interface when it goes.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (p_) p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** put() { return &p_; }

private:
    T* p_ = nullptr;
};

// The screen's device context, for reading bitmaps.
class ScreenDC {
public:
    ScreenDC() : dc_(::GetDC(nullptr)) {}
    ~ScreenDC()
    {
        if (dc_) ::ReleaseDC(nullptr, dc_);
    }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// `path` as the shell takes it: absolute, with backslashes (its parser takes no "/"),
// never in the "\\?\" form. False for a name the shell cannot take: empty, holding NUL,
// or longer than MAX_PATH, the most the shell's record and parser hold.
bool ShellPath(const std::u16string& path, std::wstring& out)
{
    if (path.empty() || win32::SystemPath(path, out, winpath::PathUse::Shell)) return false;
    return !out.empty() && out.size() < MAX_PATH;
}

// A zero-terminated text of the record, never read beyond its field.
template <std::size_t N>
std::u16string FieldText(const wchar_t (&field)[N])
{
    return win32::FromWide(field, ::wcsnlen(field, N));
}

// The rows of `bitmap` as 32-bit top-down pixels (blue, green, red, alpha), `width`
// pixels a row; empty when they cannot be read.
std::vector<std::uint8_t> BitmapBits(HDC dc, HBITMAP bitmap, int width, int rows)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -rows;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows) * 4);
    if (::GetDIBits(dc, bitmap, 0, static_cast<UINT>(rows), bits.data(), &bi, DIB_RGB_COLORS) != rows) return {};
    return bits;
}

// The pixels of `icon`; empty when they cannot be read. The icon itself stays.
ShellPicture IconPixels(HICON icon)
{
    ICONINFO ii{};
    if (!::GetIconInfo(icon, &ii)) return {};
    // GetIconInfo hands out copies of the icon's bitmaps, which are the caller's to delete.
    struct Owned {
        ICONINFO& ii;
        ~Owned()
        {
            if (ii.hbmColor) ::DeleteObject(ii.hbmColor);
            if (ii.hbmMask) ::DeleteObject(ii.hbmMask);
        }
    } owned{ii};
    // A colour icon has a colour bitmap and an AND mask of its size; a monochrome one
    // only a mask of twice its height: the AND mask above, the XOR picture below.
    const bool colour = ii.hbmColor != nullptr;
    BITMAP bm{};
    if (!ii.hbmMask || !::GetObjectW(colour ? ii.hbmColor : ii.hbmMask, sizeof bm, &bm)) return {};
    const int width = bm.bmWidth;
    const int height = colour ? bm.bmHeight : bm.bmHeight / 2;
    if (width <= 0 || height <= 0) return {};
    const ScreenDC dc;
    if (!dc.get()) return {};
    const std::vector<std::uint8_t> mask = BitmapBits(dc.get(), ii.hbmMask, width, colour ? height : height * 2);
    const std::vector<std::uint8_t> pixels =
        colour ? BitmapBits(dc.get(), ii.hbmColor, width, height) : std::vector<std::uint8_t>(mask.begin() + static_cast<std::ptrdiff_t>(mask.size() / 2), mask.end());
    if (mask.empty() || pixels.empty()) return {};
    // Icons made before alpha channels leave every alpha byte 0: the mask tells which
    // pixels show (an AND bit 0, read as black).
    bool hasAlpha = false;
    for (std::size_t i = 3; colour && i < pixels.size(); i += 4) hasAlpha = hasAlpha || pixels[i] != 0;
    ShellPicture out{width, height, std::vector<std::uint8_t>(pixels.size())};
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        out.rgba[i] = pixels[i + 2];
        out.rgba[i + 1] = pixels[i + 1];
        out.rgba[i + 2] = pixels[i];
        out.rgba[i + 3] = hasAlpha ? pixels[i + 3] : (mask[i] == 0 ? 0xFF : 0);
    }
    return out;
}

// The pixels of `icon`, which is destroyed.
ShellPicture TakeIcon(HICON icon)
{
    ShellPicture out = IconPixels(icon);
    ::DestroyIcon(icon);
    return out;
}

std::error_code HResultError(HRESULT hr)
{
    return Error(HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : ERROR_GEN_FAILURE);
}

}  // namespace

std::uintptr_t ShellGetFileInfo(const std::u16string& path, std::uint32_t flags, ShellRecord& record)
{
    std::wstring wide;
    if (!ShellPath(path, wide)) return 0;
    const ComScope com;
    SHFILEINFOW info{};
    const DWORD_PTR result = ::SHGetFileInfoW(wide.c_str(), 0, &info, sizeof info, flags);
    // The icon is the caller's: it is turned into pixels, then destroyed.
    ShellPicture icon = info.hIcon ? TakeIcon(info.hIcon) : ShellPicture();
    if (result == 0 || (flags & kShellExeType)) return result;
    if (flags & kShellIcon) {
        if (icon.rgba.empty()) return 0;
        record.icon = std::move(icon);
    }
    if (flags & (kShellIcon | kShellSysIconIndex | kShellIconLocation)) record.iconIndex = info.iIcon;
    if (flags & kShellAttributes) record.attributes = info.dwAttributes;
    if (flags & (kShellDisplayName | kShellIconLocation)) record.displayName = FieldText(info.szDisplayName);
    if (flags & kShellTypeName) record.typeName = FieldText(info.szTypeName);
    return result;
}

ShellPicture ShellDefaultIcon(bool small)
{
    // The shell's icon of a document without an application: a blank page.
    SHSTOCKICONINFO stock{};
    stock.cbSize = sizeof stock;
    if (SUCCEEDED(::SHGetStockIconInfo(SIID_DOCNOASSOC, SHGSI_ICON | (small ? SHGSI_SMALLICON : SHGSI_LARGEICON), &stock)) &&
        stock.hIcon) {
        ShellPicture out = TakeIcon(stock.hIcon);
        if (!out.rgba.empty()) return out;
    }
    const int size = small ? 16 : 32;
    // The system's application icon, shared by the process and so not destroyed.
    if (const auto shared = static_cast<HICON>(
            ::LoadImageW(nullptr, MAKEINTRESOURCEW(32512), IMAGE_ICON, size, size, LR_SHARED))) {  // IDI_APPLICATION
        ShellPicture out = IconPixels(shared);
        if (!out.rgba.empty()) return out;
    }
    // No icon to be had at all: a white square with a grey edge.
    ShellPicture out{size, size, std::vector<std::uint8_t>(static_cast<std::size_t>(size * size) * 4, 0xFF)};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (x == 0 || y == 0 || x == size - 1 || y == size - 1)
                for (int c = 0; c < 3; ++c) out.rgba[static_cast<std::size_t>((y * size + x) * 4 + c)] = 0x60;
    return out;
}

std::error_code EncodePng(const ShellPicture& picture, std::vector<std::uint8_t>& png)
{
    png.clear();
    // Sizes below 2^31: their product with 4 does not overflow 64 bits.
    if (picture.width <= 0 || picture.height <= 0 ||
        static_cast<std::uint64_t>(picture.width) * static_cast<std::uint64_t>(picture.height) * 4 != picture.rgba.size())
        return Error(ERROR_INVALID_PARAMETER);
    const UINT stride = static_cast<UINT>(picture.width) * 4;
    if (picture.rgba.size() > UINT_MAX) return Error(ERROR_INVALID_PARAMETER);
    const ComScope com;
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                    reinterpret_cast<void**>(factory.put()));
    ComPtr<IStream> stream;
    if (SUCCEEDED(hr)) hr = ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    ComPtr<IWICBitmapEncoder> encoder;
    if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put());
    if (SUCCEEDED(hr)) hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache);
    ComPtr<IWICBitmapFrameEncode> frame;
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(frame.put(), nullptr);
    if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr)) hr = frame->SetSize(static_cast<UINT>(picture.width), static_cast<UINT>(picture.height));
    // Blue, green, red, alpha: the layout every PNG encoder of WIC takes. The encoder
    // answers with the format it will write; another one would need a conversion.
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA)) hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    if (SUCCEEDED(hr)) {
        std::vector<BYTE> bgra(picture.rgba.begin(), picture.rgba.end());
        for (std::size_t i = 0; i < bgra.size(); i += 4) std::swap(bgra[i], bgra[i + 2]);
        hr = frame->WritePixels(static_cast<UINT>(picture.height), stride, static_cast<UINT>(bgra.size()), bgra.data());
    }
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    STATSTG stat{};
    if (SUCCEEDED(hr)) hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (SUCCEEDED(hr)) hr = stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) return HResultError(hr);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
    ULONG got = 0;
    hr = stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
    if (FAILED(hr)) return HResultError(hr);
    if (got != bytes.size()) return Error(ERROR_READ_FAULT);
    png = std::move(bytes);
    return {};
}

}  // namespace shell
