// Windows names as the wide system calls take them (see WindowsPath.h).
#include "platform/WindowsPath.h"

#include <vector>

namespace platform::winpath {

namespace {

constexpr std::u16string_view kVerbatim = u"\\\\?\\";
constexpr std::u16string_view kNtObjects = u"\\??\\";
constexpr std::u16string_view kVerbatimUnc = u"\\\\?\\UNC\\";

bool IsSeparator(char16_t c)
{
    return c == u'\\' || c == u'/';
}

char16_t AsciiUpper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix)
{
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (AsciiUpper(text[i]) != AsciiUpper(prefix[i])) return false;
    return true;
}

// The position of the first separator at or after `from`, or the end.
std::size_t NextSeparator(std::u16string_view text, std::size_t from)
{
    while (from < text.size() && !IsSeparator(text[from])) ++from;
    return from;
}

// `root` followed by the components of `rest`, resolved as GetFullPathNameW does.
std::u16string Collapse(std::u16string root, std::u16string_view rest)
{
    std::vector<std::u16string_view> parts;
    bool trailingSeparator = false;
    std::size_t i = 0;
    while (i < rest.size()) {
        if (IsSeparator(rest[i])) {
            ++i;
            continue;
        }
        const std::size_t end = NextSeparator(rest, i);
        std::u16string_view part = rest.substr(i, end - i);
        const bool last = end == rest.size();
        trailingSeparator = !last;
        i = end;
        if (part == u".") continue;
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        if (!last) {
            // A folder loses one trailing dot ("a.\b" is "a\b").
            if (part.back() == u'.') part.remove_suffix(1);
        } else {
            // The last component loses its trailing dots and spaces; when nothing is
            // left, the separator before it stays.
            while (!part.empty() && (part.back() == u'.' || part.back() == u' ')) part.remove_suffix(1);
            if (part.empty()) {
                trailingSeparator = true;
                continue;
            }
        }
        parts.push_back(part);
    }
    std::u16string out = std::move(root);
    for (const std::u16string_view part : parts) {
        if (out.empty() || out.back() != u'\\') out.push_back(u'\\');
        out.append(part);
    }
    if (trailingSeparator && (out.empty() || out.back() != u'\\')) out.push_back(u'\\');
    return out;
}

// The length of a UNC name's root ("\\server\share") in `name`, which starts with two
// separators.
std::size_t UncRootLength(std::u16string_view name)
{
    const std::size_t server = NextSeparator(name, 2);
    if (server == name.size()) return server;
    return NextSeparator(name, server + 1);
}

std::u16string WithBackslashes(std::u16string_view text)
{
    std::u16string out(text);
    for (char16_t& c : out)
        if (c == u'/') c = u'\\';
    return out;
}

// The root of an absolute folder name: "C:", "\\server\share", "\\.\"; "" for a name
// that is not absolute.
std::u16string RootOf(std::u16string_view folder)
{
    switch (KindOf(folder)) {
    case PathKind::DriveAbsolute: return std::u16string(folder.substr(0, 2));
    case PathKind::Unc: return WithBackslashes(folder.substr(0, UncRootLength(folder)));
    case PathKind::LocalDevice: return WithBackslashes(folder.substr(0, 3));
    default: return {};
    }
}

bool IsAbsolute(PathKind kind)
{
    return kind == PathKind::DriveAbsolute || kind == PathKind::Unc || kind == PathKind::LocalDevice;
}

std::u16string Current(const PathContext& context)
{
    return context.currentDirectory ? context.currentDirectory() : std::u16string();
}

}  // namespace

PathKind KindOf(std::u16string_view name)
{
    if (name.empty()) return PathKind::Empty;
    if (name.starts_with(kVerbatim) || name.starts_with(kNtObjects)) return PathKind::Verbatim;
    if (IsSeparator(name[0])) {
        if (name.size() < 2 || !IsSeparator(name[1])) return PathKind::Rooted;
        if (name.size() >= 3 && (name[2] == u'.' || name[2] == u'?')) {
            if (name.size() == 3) return PathKind::RootLocalDevice;
            if (IsSeparator(name[3])) return PathKind::LocalDevice;
        }
        return PathKind::Unc;
    }
    if (name.size() >= 2 && name[1] == u':')
        return name.size() >= 3 && IsSeparator(name[2]) ? PathKind::DriveAbsolute : PathKind::DriveRelative;
    return PathKind::Relative;
}

std::u16string FullPath(std::u16string_view name, const PathContext& context)
{
    switch (KindOf(name)) {
    case PathKind::Empty: return {};
    case PathKind::Verbatim: return std::u16string(name);
    case PathKind::RootLocalDevice: return std::u16string(u"\\\\") + name[2] + u'\\';
    case PathKind::LocalDevice: return Collapse(std::u16string(u"\\\\") + name[2] + u'\\', name.substr(4));
    case PathKind::Unc: {
        const std::size_t root = UncRootLength(name);
        return Collapse(WithBackslashes(name.substr(0, root)), name.substr(root));
    }
    case PathKind::DriveAbsolute: return Collapse(std::u16string(name.substr(0, 2)) + u'\\', name.substr(3));
    case PathKind::DriveRelative: {
        // The current folder when it is on that drive, else the drive's own, else its root.
        const char16_t letter = AsciiUpper(name[0]);
        std::u16string base = Current(context);
        if (KindOf(base) != PathKind::DriveAbsolute || AsciiUpper(base[0]) != letter) {
            base = context.driveDirectory ? context.driveDirectory(letter) : std::u16string();
            if (KindOf(base) != PathKind::DriveAbsolute || AsciiUpper(base[0]) != letter)
                base = std::u16string(name.substr(0, 1)) + u":\\";
        }
        const std::u16string_view rest = name.substr(2);
        return FullPath(rest.empty() ? base : base + u'\\' + std::u16string(rest), context);
    }
    case PathKind::Rooted:
    case PathKind::Relative: {
        const std::u16string current = Current(context);
        // Without an absolute current folder there is nothing to resolve against.
        if (!IsAbsolute(KindOf(current))) return std::u16string(name);
        if (KindOf(name) == PathKind::Rooted) return FullPath(RootOf(current) + std::u16string(name), context);
        return FullPath(current + u'\\' + std::u16string(name), context);
    }
    }
    return std::u16string(name);
}

std::u16string LongForm(std::u16string_view fullPath)
{
    switch (KindOf(fullPath)) {
    case PathKind::DriveAbsolute: return std::u16string(kVerbatim) + std::u16string(fullPath);
    case PathKind::Unc: return std::u16string(kVerbatimUnc) + std::u16string(fullPath.substr(2));
    case PathKind::LocalDevice: return std::u16string(kVerbatim) + std::u16string(fullPath.substr(4));
    default: return std::u16string(fullPath);
    }
}

std::u16string PlainForm(std::u16string_view path)
{
    if (!path.starts_with(kVerbatim) && !path.starts_with(kNtObjects)) return std::u16string(path);
    const std::u16string_view rest = path.substr(4);
    if (StartsWithNoCase(rest, u"UNC\\")) return u"\\\\" + std::u16string(rest.substr(4));
    if (rest.size() >= 2 && rest[1] == u':') return std::u16string(rest);
    return std::u16string(path);
}

std::u16string SystemPathFor(std::u16string_view name, const PathContext& context, PathUse use)
{
    switch (KindOf(name)) {
    case PathKind::Empty: return {};
    case PathKind::Verbatim: return use == PathUse::Shell ? PlainForm(name) : std::u16string(name);
    default: break;
    }
    std::u16string full = FullPath(name, context);
    if (use == PathUse::Shell) return full;
    if (full.size() >= kPlainPathLimit) return LongForm(full);
    return use == PathUse::Call ? std::u16string(name) : full;
}

}  // namespace platform::winpath
