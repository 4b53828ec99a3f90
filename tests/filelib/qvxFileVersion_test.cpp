// qvxFileVersion over the built images: strings, relative names, and its cleared state after failures.
#include <gtest/gtest.h>

#include <tuple>

#include "common/Utf16.h"
#include "support/codepages/CodePages.h"
#include <Hollin0106/qvxFileVersion.h>
#include "tests/filelib/VersionImages.h"
#include "tests/fixtures/Shell.h"

namespace {

using namespace Hollin0106;

std::u16string Image(const std::string& name) { return FromUtf8(versiontest::ImagePath(name).string()); }

TEST(qvxFileVersion, StringsComeFromTheFirstTranslationOnly)
{
    const struct {
        const char* image;
        std::u16string (qvxFileVersion::*property)(bool*) const;
        std::u16string_view text;
        bool exists;
    } rows[] = {
        {"otherlang.dll", &qvxFileVersion::StrCompanyName, u"", false},
        // A 16-bit program: 8-bit text, in code page 1252 (the library's host page on
        // Linux, the system's ANSI page on Windows)
        {TAGSCOPE_SOURCE_DIR "/tests/filelib/versions/ne-program.exe", &qvxFileVersion::StrCompanyName, u"Café", true},
    };
    codepages::SetHostCodePages(1252, 437);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.image);
        qvxFileVersion v;
        ASSERT_TRUE(v.ReadFile(Image(row.image)));  // a full name stands for itself
        bool exists = !row.exists;
        EXPECT_EQ((v.*row.property)(&exists), row.text);
        EXPECT_EQ(exists, row.exists);
    }
    codepages::SetHostCodePages(0, 0);
}

// A name without a folder is a file of the current folder, never one of the same name
// elsewhere (Windows' version functions would look along the library search path).
TEST(qvxFileVersion, ARelativeNameIsAFileOfTheCurrentFolder)
{
    const auto dir = testfs::UniqueTempPath("relative");
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(versiontest::ImagePath("full64.dll"), dir / "setup.exe");
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    qvxFileVersion v;
    EXPECT_TRUE(v.ReadFile(u"setup.exe"));
    EXPECT_EQ(v.StrFileDescription(), u"Version test image");
    EXPECT_FALSE(v.ReadFile(u"version.dll"));  // a library of the system, not here
    std::filesystem::current_path(before);
    std::filesystem::remove_all(dir);
}

TEST(qvxFileVersion, AFailedReadLeavesTheObjectCleared)
{
    const auto dir = std::filesystem::temp_directory_path();
    const char* failures[] = {"notranslation.dll", "no such file.dll", ""};
    for (const char* name : failures) {
        SCOPED_TRACE(name);
        qvxFileVersion v;
        ASSERT_TRUE(v.ReadFile(Image("full64.dll")));
        EXPECT_FALSE(v.ReadFile(*name ? Image(name) : FromUtf8(dir.string())));
        bool exists = true;
        const std::u16string company = v.StrCompanyName(&exists);
        EXPECT_EQ(std::make_tuple(v.FileName(), v.InfoBuffer().size(), v.Signature(), v.ProductVerRevisionMinor(),
                                  v.FileFlagDebug(), v.TranslationLanguageID(), company, exists),
                  std::make_tuple(u"", 0u, 0u, 0, false, 0, u"", false));
    }
}

}  // namespace
