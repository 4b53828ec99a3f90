// Windows names for the wide calls: the absolute form of every kind of name, and which
// names need the "\\?\" form, down to the length where it starts.
#include "platform/WindowsPath.h"

#include <gtest/gtest.h>

#include "common/Utf16.h"

namespace {

using namespace platform::winpath;

// A current folder on C:, and a folder kept for drive D: only.
PathContext Context(std::u16string current)
{
    return {[current] { return current; },
            [](char16_t letter) { return letter == u'D' ? std::u16string(u"D:\\data") : std::u16string(); }};
}

// "C:\" followed by components "dddddddd\" and a last one of "e"s, `length` units in all.
std::u16string DeepFolder(std::size_t length)
{
    std::u16string out = u"C:\\";
    while (out.size() + 9 < length) out += u"dddddddd\\";
    out.append(length - out.size(), u'e');
    return out;
}

// Separators, dots, UNC and device names against the system's own answers: the Windows
// leg (platform/win32/paths_win32_test); here what needs a context of its own.
TEST(WindowsPath, FullPathsAsTheSystemMakesThem)
{
    const struct {
        const char16_t* name;
        const char16_t* current;
        const char16_t* full;
    } rows[] = {
        {u"//?/C:/x/../y", u"C:\\w", u"\\\\?\\C:\\y"},
        // Verbatim names are the system's to read: nothing is resolved.
        {u"\\\\?\\C:\\x\\..\\y.", u"C:\\w", u"\\\\?\\C:\\x\\..\\y."},
        {u"\\x", u"\\\\srv\\share\\w", u"\\\\srv\\share\\x"},
        {u"D:x", u"C:\\w", u"D:\\data\\x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.name));
        EXPECT_EQ(FullPath(row.name, Context(row.current)), row.full);
    }
}

TEST(WindowsPath, LongNamesGoVerbatimAndTheShellGetsThePlainForm)
{
    const std::u16string deep = DeepFolder(300);  // C:\dddddddd\...eee
    const std::u16string tail = deep.substr(3);   // dddddddd\...eee
    const std::u16string shortCurrent = u"C:\\w";
    const std::u16string deepCurrent = DeepFolder(240) + u"\\";
    const struct {
        const char* name;
        std::u16string given;
        std::u16string current;
        std::u16string expected;
        PathUse use = PathUse::Call;
    } rows[] = {
        {"a short name goes as given", u"C:/a/../b.txt", shortCurrent, u"C:/a/../b.txt"},
        {"a long absolute name", deep, shortCurrent, u"\\\\?\\" + deep},
        {"a long UNC name", u"\\\\srv\\share\\" + tail, shortCurrent, u"\\\\?\\UNC\\srv\\share\\" + tail},
        {"a long verbatim name stays", u"\\\\?\\" + deep + u"\\..", shortCurrent, u"\\\\?\\" + deep + u"\\.."},
        {"a short relative name under a deep folder", u"file.txt", deepCurrent,
         u"\\\\?\\" + deepCurrent + u"file.txt"},
        {"a rooted name under a deep folder is short", u"\\x", deepCurrent, u"\\x"},
        {"a drive-relative name on another drive", u"D:" + tail, shortCurrent, u"\\\\?\\D:\\data\\" + tail},
        {"absolute: a short relative name is made absolute", u"a\\b.", shortCurrent, u"C:\\w\\a\\b", PathUse::Absolute},
        {"shell: never verbatim", deep, shortCurrent, deep, PathUse::Shell},
        {"shell: a verbatim name in its plain form", u"\\\\?\\C:\\x", shortCurrent, u"C:\\x", PathUse::Shell},
        {"shell: a verbatim volume name stays", u"\\\\?\\Volume{1}\\x", shortCurrent, u"\\\\?\\Volume{1}\\x",
         PathUse::Shell},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SystemPathFor(row.given, Context(row.current), row.use), row.expected);
    }
}

// The plain form holds up to 247 units; from 248 on the name goes verbatim, by the
// length of its full path, not of the name as given.
TEST(WindowsPath, TheVerbatimFormStartsAtTheFoldersLimit)
{
    for (const std::size_t length : {kPlainPathLimit - 1, kPlainPathLimit}) {
        SCOPED_TRACE(length);
        const bool verbatim = length >= kPlainPathLimit;
        const std::u16string folder = DeepFolder(length - 11);
        const std::u16string name = u"name56.txt";
        const std::u16string absolute = folder + u"\\" + name;
        EXPECT_EQ(SystemPathFor(absolute, Context(u"C:\\w"), PathUse::Call),
                  verbatim ? u"\\\\?\\" + absolute : absolute);
        // The same full path reached from its folder and a relative name of 10 units.
        EXPECT_EQ(SystemPathFor(name, Context(folder), PathUse::Call), verbatim ? u"\\\\?\\" + absolute : name);
    }
}

}  // namespace
