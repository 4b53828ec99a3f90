// qvxShellFileInfo without a display: executable types of built programs, type names,
// icons kept until the next ReadFile, the default icon and the empty state after a
// failed ReadFile.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include <Hollin0106/AutomationError.h>

#include "common/Utf16.h"
#include <Hollin0106/qvxShellFileInfo.h>

#include "tests/filelib/VersionImages.h"
#include "tests/fixtures/Shell.h"

namespace {

using namespace Hollin0106;

namespace fs = std::filesystem;

class ShellFileInfoTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir_); }
    void TearDown() override { fs::remove_all(dir_); }

    std::u16string Write(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        versiontest::WriteImage(dir_ / name, bytes);
        return Path(name);
    }
    std::u16string Path(const std::string& name) const { return FromNativePath((dir_ / name).string()); }

    const fs::path dir_ = testfs::UniqueTempPath("shellinfo");
};

std::vector<std::uint8_t> Text(const std::string& s) { return {s.begin(), s.end()}; }

// The answers of SHGetFileInfo(SHGFI_EXETYPE) as Windows documents them, over programs
// built from the test images under several names: the header decides, the extension
// only for batch files and header-less .com programs.
TEST_F(ShellFileInfoTest, ExecutableTypesComeFromTheHeader)
{
    const std::vector<std::uint8_t> gui = versiontest::ReadImage("gui40.exe");
    // An MS-DOS program: the DOS header and stub of a built program, without its new header.
    std::vector<std::uint8_t> dos(gui.begin(), gui.begin() + 0x80);
    versiontest::PutLE(dos, 0x3C, 0);
    // A 16-bit Windows program (target system 0, expected Windows 0.0), made 3.10 for
    // Windows (target 2); the same for OS/2 (target 1); a Windows library (flag 8000h).
    std::vector<std::uint8_t> ne = versiontest::ReadImage(TAGSCOPE_SOURCE_DIR "/tests/filelib/versions/ne-program.exe");
    ne[0x40 + 0x36] = 2;
    ne[0x40 + 0x3E] = 0x0A;
    ne[0x40 + 0x3F] = 0x03;
    std::vector<std::uint8_t> os2 = ne, neLibrary = ne, lx = ne;
    os2[0x40 + 0x36] = 1;
    neLibrary[0x40 + 0x0D] = 0x80;
    lx[0x41] = 'X';
    lx[0x40] = 'L';
    std::vector<std::uint8_t> cut(ne.begin(), ne.begin() + 0x7E);  // NE header cut short
    struct Row {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::u16string_view signature;
        std::int32_t major, minor;
    };
    const Row rows[] = {
        {"gui.exe", gui, u"PE", 4, 0},
        {"far.exe", versiontest::WithHeadersAt(gui, 0x10000 + 0x2340), u"PE", 4, 0},
        {"console.EXE", versiontest::ReadImage("console.exe"), u"PE", 0, 0},
        {"library.dll", versiontest::ReadImage("full64.dll"), u"", 0, 0},
        {"old.exe", ne, u"NE", 3, 10},
        {"os2.exe", os2, u"", 0, 0},
        {"font.fon", neLibrary, u"", 0, 0},
        {"driver.exe", lx, u"", 0, 0},
        {"cut.exe", cut, u"MZ", 0, 0},
        {"dos.exe", dos, u"MZ", 0, 0},
        {"notes.exe", Text("not a program"), u"", 0, 0},
        {"tool.com", Text("\xB4\x4C\xCD\x21"), u"MZ", 0, 0},
        {"run.bat", Text("@echo off\r\n"), u"PE", 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        qvxShellFileInfo info;
        ASSERT_TRUE(info.ReadFile(Write(row.name, row.bytes)));
        const auto exe = info.EXEType();
        ASSERT_NE(exe, nullptr);
        EXPECT_EQ(exe->Signature(), row.signature);
        EXPECT_EQ(exe->OSVersionMajor(), row.major);
        EXPECT_EQ(exe->OSVersionMinor(), row.minor);
        EXPECT_EQ(info.EXEType(), exe);
    }
}

TEST_F(ShellFileInfoTest, TypeNamesAttributesAndDisplayNames)
{
    const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    fs::create_directory(dir_ / "Folder");
    fs::create_symlink(dir_ / "missing", dir_ / "dangling");
    fs::create_directory_symlink(dir_ / "Folder", dir_ / "FolderLink");
    struct Row {
        std::u16string path;
        std::u16string_view typeName, displayName;
        std::uint32_t set, clear;
    };
    const Row rows[] = {
        {Write("notes.txt", Text("plain words\n")), u"plain text document", u"notes.txt", saStream | saCanCopy,
         saFolder | saLink | saHidden},
        {Write("picture.dat", png), u"PNG image", u"picture.dat", saStream, saFolder},
        {Path("Folder/"), u"folder", u"Folder", saFolder | saFileSysAncestor, saStream},
        {Write(".hidden", Text("x")), u"plain text document", u".hidden", saHidden, saFolder},
        {Write("caf\xE9.txt", Text("not UTF-8")), u"plain text document", u"caf\xDCE9.txt", saCanCopy, saHidden},
        {Path("dangling"), u"symbolic link", u"dangling", saLink, saFolder},
        {Path("FolderLink"), u"folder", u"FolderLink", saLink | saFolder, saStream},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.path));
        qvxShellFileInfo info;
        ASSERT_TRUE(info.ReadFile(row.path));
        EXPECT_EQ(info.FileName(), row.path);
        EXPECT_EQ(info.TypeName(), row.typeName);
        EXPECT_EQ(info.DisplayName(), row.displayName);
        EXPECT_EQ(info.Attributes() & (row.set | row.clear | saFileSystem), row.set | saFileSystem);
        EXPECT_NE(info.hSystemImageList(), 0u);
    }
}

TEST_F(ShellFileInfoTest, IconsAreKeptUntilTheNextReadFile)
{
    const std::u16string file = Write("notes.txt", Text("words"));
    qvxShellFileInfo info;
    ASSERT_TRUE(info.ReadFile(file));
    ASSERT_FALSE(info.IconLocation().empty()) << "no icon theme installed";
    const auto icon = info.Icon();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(info.Icon(), icon);
    EXPECT_EQ(icon->Index(), info.SystemIconIndex());
    // Same type, same index in the image list.
    qvxShellFileInfo other;
    ASSERT_TRUE(other.ReadFile(Write("more.txt", Text("more"))));
    EXPECT_EQ(other.SystemIconIndex(), info.SystemIconIndex());

    // Each icon at its size; the overlay and the selection change the file's picture.
    const std::tuple<std::shared_ptr<ShellFileIcon> (qvxShellFileInfo::*)(), std::int32_t, bool> rows[] = {
        {&qvxShellFileInfo::Icon, 32, false},          {&qvxShellFileInfo::SmallIcon, 16, false},
        {&qvxShellFileInfo::LinkOverlayIcon, 32, true}, {&qvxShellFileInfo::LinkOverlaySmallIcon, 16, true},
        {&qvxShellFileInfo::OpenIcon, 32, false},      {&qvxShellFileInfo::OpenSmallIcon, 16, false},
        {&qvxShellFileInfo::SelectedIcon, 32, true},   {&qvxShellFileInfo::SelectedSmallIcon, 16, true},
        {&qvxShellFileInfo::ShellSizeIcon, 32, false},
    };
    const auto plainLarge = info.Icon()->Icon()->Pixels();
    const auto plainSmall = info.SmallIcon()->Icon()->Pixels();
    for (const auto& [property, size, changed] : rows) {
        SCOPED_TRACE(size * 10 + changed);
        const auto got = (info.*property)();
        EXPECT_EQ(got->Icon()->Width() * got->Icon()->Height(), size * size);
        EXPECT_GE(got->Index(), 0);
        const auto pixels = got->Icon()->Pixels();
        EXPECT_EQ(pixels != (size == 32 ? plainLarge : plainSmall), changed);
    }
    ASSERT_TRUE(info.ReadFile(file));
    EXPECT_NE(info.Icon(), icon);
    // A caller may keep an icon after the object that made it.
    const auto kept = info.SmallIcon();
    info = qvxShellFileInfo();
    EXPECT_EQ(kept->Icon()->Width(), 16);
}

TEST_F(ShellFileInfoTest, AVanishedFileGivesTheDefaultIconAFailedReadFileNone)
{
    qvxShellFileInfo info;
    ASSERT_TRUE(info.ReadFile(Write("gone.txt", Text("soon gone"))));
    fs::remove(dir_ / "gone.txt");
    for (const auto& [property, size] : {std::pair{&qvxShellFileInfo::SmallIcon, 16}, {&qvxShellFileInfo::Icon, 32}}) {
        const auto icon = (info.*property)();
        EXPECT_EQ(icon->Index(), -1);
        EXPECT_EQ(icon->Icon()->Width(), size);
        const auto pixels = icon->Icon()->Pixels();
        EXPECT_TRUE(std::any_of(pixels.begin(), pixels.end(), [](std::uint8_t b) { return b != 0; }));
    }
    for (const std::u16string& name : {Path("gone.txt"), std::u16string()}) {
        EXPECT_FALSE(info.ReadFile(name));
        EXPECT_EQ(info.FileName() + info.DisplayName() + info.TypeName() + info.IconLocation(), u"");
        EXPECT_EQ(info.Attributes() | info.hSystemImageList(), 0u);
        EXPECT_EQ(info.EXEType(), nullptr);
        EXPECT_EQ(info.Icon(), nullptr);
        EXPECT_EQ(info.LinkOverlaySmallIcon(), nullptr);
    }
}

// The system's encoder writes the picture as PNG, of the picture's size.
TEST_F(ShellFileInfoTest, PicturesSaveAsPNG)
{
    qvxShellFileInfo info;
    ASSERT_TRUE(info.ReadFile(Write("notes.txt", Text("words"))));
    ASSERT_TRUE(info.SmallIcon()->Icon()->SaveAsPNG(Path("icon.png")));
    const std::vector<std::uint8_t> png = versiontest::ReadImage((dir_ / "icon.png").string());
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(std::vector<std::uint8_t>(png.begin(), png.begin() + 24),
              (std::vector<std::uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                         0, 0, 0, 16, 0, 0, 0, 16}));
    EXPECT_FALSE(info.Icon()->Icon()->SaveAsPNG(Path("no such folder/icon.png")));
}

TEST(Picture, PixelsMustFillTheSize)
{
    const Picture picture(2, 3, ByteArray(24));
    EXPECT_EQ(std::pair(picture.Width(), picture.Height()), std::pair(2, 3));
    const struct {
        const char* name;
        std::int32_t width, height;
        std::size_t bytes;
    } rows[] = {
        {"one byte short", 2, 3, 23}, {"negative sizes whose product fits", -2, -3, 24}, {"3 x 3 in 24 bytes", 3, 3, 24},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_THROW(Picture(row.width, row.height, ByteArray(row.bytes)), AutomationError);
    }
}

}  // namespace
