// The shell information under Wine or Windows: what the system's shell answers for
// programs and a document, and its icons as pictures. (Names, a type name, the image
// list and icon sizes also through a script client: tests/automation/client.vbs.)
#include <gtest/gtest.h>

#include <Hollin0106/qvxShellFileInfo.h>

#include "tests/filelib/FileTestSupport.h"
#include "tests/filelib/VersionImages.h"

namespace {

using namespace Hollin0106;
namespace fs = std::filesystem;
using filetest::U;

TEST(Win32Shell, ProgramsAndADocumentAsTheShellSeesThem)
{
    filetest::TempFolder dir;
    fs::copy_file(versiontest::ImagePath("gui40.exe"), dir / "Gui.exe");
    fs::copy_file(versiontest::ImagePath("console.exe"), dir / "Console.exe");
    filetest::WriteBytes(dir / "notes.txt", {'w', 'o', 'r', 'd', 's'});
    const struct {
        const char* name;
        std::u16string_view signature;
        std::int32_t major, minor;
    } rows[] = {
        {"Gui.exe", u"PE", 4, 0},
        {"Console.exe", u"PE", 0, 0},
        {"notes.txt", u"", 0, 0},
    };
    qvxShellFileInfo program;
    ASSERT_TRUE(program.ReadFile(U(dir / "Gui.exe")));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // The shell takes "/" as a separator like any other program.
        const std::u16string path = U(dir.Path()) + u"/" + FromUtf8(row.name);
        qvxShellFileInfo info;
        ASSERT_TRUE(info.ReadFile(path));
        EXPECT_EQ(info.DisplayName(), FromUtf8(row.name));
        EXPECT_EQ(info.TypeName() == program.TypeName(), row.signature == u"PE");
        EXPECT_NE(info.Attributes() & 0x40000000u, 0u);  // SFGAO_FILESYSTEM

        const auto exe = info.EXEType();
        ASSERT_NE(exe, nullptr);
        EXPECT_EQ(exe->Signature(), row.signature);
        EXPECT_EQ(exe->OSVersionMajor(), row.major);
        EXPECT_EQ(exe->OSVersionMinor(), row.minor);

        for (const auto& icon : {info.Icon(), info.SmallIcon()}) {
            const auto pixels = icon->Icon()->Pixels();
            std::size_t alpha = 3;
            while (alpha < pixels.size() && pixels[alpha] == 0) alpha += 4;
            EXPECT_LT(alpha, pixels.size()) << "every pixel transparent";
        }
    }
}

}  // namespace
