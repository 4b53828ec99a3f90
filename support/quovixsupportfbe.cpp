// Hexadecimal and GUID text, the byte dump, path handling and file-system tests.
#include "support/quovixsupportfbe.h"

#include <vector>

#include <Hollin0106/AutomationError.h>
#include "platform/Entries.h"
#include "platform/Process.h"

using namespace Hollin0106;

namespace {

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

void AppendHex(std::u16string& out, std::uint32_t value, int digits)
{
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out.push_back(kHexDigits[(value >> shift) & 0xF]);
}

bool IsSeparator(char16_t c, PathStyle style, bool relativePart)
{
    if (c == u'/') return true;
    if (c == u'\\') return style == PathStyle::Windows || relativePart;
    return false;
}

// The root of a path: "/" (POSIX); "C:\", "C:", "\\server\share\", "\" (Windows).
// Returns its length in `path` and the root text in canonical form.
std::size_t RootOf(std::u16string_view path, PathStyle style, std::u16string& root)
{
    root.clear();
    if (style == PathStyle::Posix) {
        if (!path.empty() && path[0] == u'/') {
            root = u"/";
            return 1;
        }
        return 0;
    }
    auto sep = [](char16_t c) { return c == u'\\' || c == u'/'; };
    if (path.size() >= 2 && path[1] == u':') {
        root.assign(path.substr(0, 2));
        if (path.size() >= 3 && sep(path[2])) {
            root.push_back(u'\\');
            return 3;
        }
        return 2;
    }
    if (path.size() >= 2 && sep(path[0]) && sep(path[1])) {
        // \\server\share\ : the server and share belong to the root
        std::size_t i = 2;
        int parts = 0;
        root = u"\\\\";
        while (i < path.size() && parts < 2) {
            const std::size_t start = i;
            while (i < path.size() && !sep(path[i])) ++i;
            root.append(path.substr(start, i - start));
            ++parts;
            if (i < path.size()) ++i;
            root.push_back(u'\\');
        }
        return i;
    }
    if (!path.empty() && sep(path[0])) {
        root = u"\\";
        return 1;
    }
    return 0;
}

std::vector<std::u16string> SplitComponents(std::u16string_view rest, PathStyle style, bool relativePart)
{
    std::vector<std::u16string> parts;
    std::size_t i = 0;
    while (i <= rest.size()) {
        std::size_t j = i;
        while (j < rest.size() && !IsSeparator(rest[j], style, relativePart)) ++j;
        if (j > i) parts.emplace_back(rest.substr(i, j - i));
        i = j + 1;
    }
    return parts;
}

void ApplyComponents(std::vector<std::u16string>& stack, const std::vector<std::u16string>& parts, bool rooted)
{
    for (const auto& p : parts) {
        if (p == u".") continue;
        if (p == u"..") {
            if (!stack.empty() && stack.back() != u"..")
                stack.pop_back();
            else if (!rooted)
                stack.push_back(p);
            continue;
        }
        stack.push_back(p);
    }
}

std::u16string Join(const std::u16string& root, const std::vector<std::u16string>& stack, PathStyle style)
{
    const char16_t sep = style == PathStyle::Windows ? u'\\' : u'/';
    std::u16string out = root;
    for (std::size_t i = 0; i < stack.size(); ++i) {
        if (i > 0) out.push_back(sep);
        out += stack[i];
    }
    if (out.empty()) out = u".";
    return out;
}

std::u16string Resolve(std::u16string_view base, std::u16string_view relative, PathStyle style,
                       bool backslashSeparatesRelative)
{
    std::u16string root;
    const std::size_t relRootLen = RootOf(relative, style, root);
    std::vector<std::u16string> stack;
    if (relRootLen == 0 && !base.empty()) {
        const std::size_t baseRootLen = RootOf(base, style, root);
        ApplyComponents(stack, SplitComponents(base.substr(baseRootLen), style, false), !root.empty());
    }
    ApplyComponents(stack, SplitComponents(relative.substr(relRootLen), style, backslashSeparatesRelative),
                    !root.empty());
    return Join(root, stack, style);
}

std::size_t LastSeparator(std::u16string_view path, PathStyle style)
{
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsSeparator(path[i - 1], style, false)) return i - 1;
    return std::u16string_view::npos;
}

}  // namespace

std::u16string esHexEx4(std::uint32_t value)
{
    std::u16string out = u"0x";
    AppendHex(out, value, 8);
    return out;
}

std::u16string esHexEx2(std::uint16_t value)
{
    std::u16string out = u"0x";
    AppendHex(out, value, 4);
    return out;
}

std::u16string esHex2(std::uint16_t value)
{
    std::u16string out;
    AppendHex(out, value, 4);
    return out;
}

std::u16string esStringFromGUID(std::span<const std::uint8_t> g)
{
    if (g.size() < 16) throw AutomationError(errnum::InvalidProcedureCall, u"quovixsupportfbe");
    const std::uint32_t d1 = g[0] | g[1] << 8 | g[2] << 16 | static_cast<std::uint32_t>(g[3]) << 24;
    const std::uint32_t d2 = g[4] | g[5] << 8;
    const std::uint32_t d3 = g[6] | g[7] << 8;
    std::u16string out = u"{";
    AppendHex(out, d1, 8);
    out.push_back(u'-');
    AppendHex(out, d2, 4);
    out.push_back(u'-');
    AppendHex(out, d3, 4);
    out.push_back(u'-');
    for (int i = 8; i < 16; ++i) {
        if (i == 10) out.push_back(u'-');
        AppendHex(out, g[static_cast<std::size_t>(i)], 2);
    }
    out.push_back(u'}');
    return out;
}

std::u16string esExpandByteBuffer2(std::span<const std::uint8_t> bytes)
{
    constexpr std::size_t kPerLine = 16;
    std::u16string out;
    out.reserve((bytes.size() / kPerLine + 1) * 76);
    for (std::size_t line = 0; line < bytes.size(); line += kPerLine) {
        if (line > 0) out += u"\r\n";
        AppendHex(out, static_cast<std::uint32_t>(line), 4);
        out += u": ";
        const std::size_t count = std::min(kPerLine, bytes.size() - line);
        for (std::size_t i = 0; i < kPerLine; ++i) {
            if (i > 0) out.push_back(u' ');
            if (i < count)
                AppendHex(out, bytes[line + i], 2);
            else
                out += u"  ";
        }
        out += u"  ";
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t b = bytes[line + i];
            out.push_back(b >= 0x20 && b <= 0x7E ? static_cast<char16_t>(b) : u'.');
        }
    }
    return out;
}

std::u16string NormalizePath(std::u16string_view path, PathStyle style)
{
    return Resolve({}, path, style, false);
}

std::u16string esGetFilePath(std::u16string_view path, PathStyle style)
{
    std::u16string root;
    const std::size_t rootLen = RootOf(path, style, root);
    const std::size_t sep = LastSeparator(path, style);
    if (sep == std::u16string_view::npos) return std::u16string(path.substr(0, rootLen));
    if (sep < rootLen) return std::u16string(path.substr(0, rootLen));
    std::size_t end = sep;
    while (end > rootLen && IsSeparator(path[end - 1], style, false)) --end;
    return std::u16string(path.substr(0, std::max(end, rootLen)));
}

std::u16string esGetFileName(std::u16string_view path, PathStyle style)
{
    const std::size_t sep = LastSeparator(path, style);
    return std::u16string(sep == std::u16string_view::npos ? path : path.substr(sep + 1));
}

std::u16string esBuildFileName(std::u16string_view folder, std::u16string_view name, bool /*flag*/,
                               PathStyle style)
{
    while (!name.empty() && IsSeparator(name.front(), style, false)) name.remove_prefix(1);
    std::u16string out(folder);
    if (!out.empty() && !IsSeparator(out.back(), style, false))
        out.push_back(style == PathStyle::Windows ? u'\\' : u'/');
    return out.append(name);
}

std::u16string esGetAbsoluteFileName(std::u16string_view relative, std::u16string_view baseFolder, PathStyle style)
{
    return Resolve(baseFolder, relative, style, true);
}

std::u16string esGetFullFileName(std::u16string_view path, bool /*expand*/)
{
    // An empty name names no entry; widening it to the current folder would report on
    // something the user never asked about.
    if (path.empty()) throw AutomationError(errnum::InvalidProcedureCall, u"quovixsupportfbe");
    std::u16string root;
    if (RootOf(path, kNativePathStyle, root) > 0 && (kNativePathStyle == PathStyle::Posix || root.size() > 2))
        return NormalizePath(path, kNativePathStyle);
    return Resolve(platform::CurrentDirectory(), path, kNativePathStyle, false);
}

bool esIsFileOrDirectoryExist(const std::u16string& path)
{
    platform::EntryInfo info;
    const std::error_code ec = platform::QueryEntry(path, info);
    // Only a definite "no such entry" means missing; an entry we may not look at still
    // exists, and opening it reports why it cannot be read. A name no entry can carry
    // (a NUL in it) names nothing.
    return !(esIsNoSuchEntry(ec) || ec == std::errc::invalid_argument || (ec && path.empty()));
}

bool esIsReparsePoint2(const std::u16string& path)
{
    return platform::QueryReparsePoint(path) != platform::ReparseState::No;
}

bool esIsHostWinNT()
{
    // Every backend reads reparse data (ntfs-3g's attribute on POSIX, the control
    // request on Windows); no host we build for lacks it.
    return true;
}
