// qvxFileVersion over the built images and real libraries, and its cleared state after failures.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "common/Utf16.h"
#include "platform/Files.h"
#include "platform/Process.h"
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
        {"full64.dll", &qvxFileVersion::StrCompanyName, u"Орла Венн — Ørsted", true},
        {"full64.dll", &qvxFileVersion::StrPrivateBuild, u"", true},  // present, but empty
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

// Windows libraries that Debian ships and nobody here wrote: MinGW-w64's runtime DLLs and,
// where Wine is installed, some of its DLLs.
std::vector<std::string> RealLibraries()
{
    namespace fs = std::filesystem;
    std::vector<std::string> out;
    for (const char* root : {"/usr/x86_64-w64-mingw32/lib", "/usr/lib/gcc/x86_64-w64-mingw32",
                             "/usr/i686-w64-mingw32/lib", "/usr/lib/x86_64-linux-gnu/wine"}) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it) && out.size() < 300;
             it.increment(ec))
            if (it->path().extension() == ".dll" && it->is_regular_file()) out.push_back(it->path().string());
    }
    return out;
}

// The line pefile-dump.py prints for a file, made from what qvxFileVersion read.
std::string Describe(const std::string& path)
{
    qvxFileVersion v;
    if (!v.ReadFile(FromUtf8(path))) return path + "\t0";
    const auto words = [](std::int32_t high, std::int32_t low) {
        return static_cast<std::uint32_t>(high) << 16 | static_cast<std::uint32_t>(low);
    };
    const std::uint32_t fields[] = {
        v.Signature(), words(v.StrucVerMajor(), v.StrucVerMinor()), words(v.FileVerMajor(), v.FileVerMinor()),
        words(v.FileVerRevisionMajor(), v.FileVerRevisionMinor()), words(v.ProductVerMajor(), v.ProductVerMinor()),
        words(v.ProductVerRevisionMajor(), v.ProductVerRevisionMinor()), v.FileFlagsMask(), v.FileFlags(),
        v.FileOS(), v.FileType(), v.FileSubType(), v.FileDateMS(), v.FileDateLS(), v.TranslationLanguageID(),
        v.TranslationCharset()};
    std::string line = path + "\t1";
    for (const std::uint32_t f : fields) line += "\t" + std::to_string(f);
    const std::pair<const char*, std::u16string (qvxFileVersion::*)(bool*) const> strings[] = {
        {"Comments", &qvxFileVersion::StrComments}, {"CompanyName", &qvxFileVersion::StrCompanyName},
        {"FileDescription", &qvxFileVersion::StrFileDescription}, {"FileVersion", &qvxFileVersion::StrFileVersion},
        {"InternalName", &qvxFileVersion::StrInternalName}, {"LegalCopyright", &qvxFileVersion::StrLegalCopyright},
        {"LegalTrademarks", &qvxFileVersion::StrLegalTrademarks},
        {"OLESelfRegister", &qvxFileVersion::StrOLESelfRegister},
        {"OriginalFilename", &qvxFileVersion::StrOriginalFilename},
        {"PrivateBuild", &qvxFileVersion::StrPrivateBuild}, {"ProductName", &qvxFileVersion::StrProductName},
        {"ProductVersion", &qvxFileVersion::StrProductVersion}, {"SpecialBuild", &qvxFileVersion::StrSpecialBuild}};
    for (const auto& [name, property] : strings) {
        bool exists = false;
        const std::string text = ToUtf8((v.*property)(&exists));
        if (!exists) continue;
        line += "\t" + std::string(name) + "=";
        for (const unsigned char c : text) line += "0123456789abcdef"[c >> 4], line += "0123456789abcdef"[c & 15];
    }
    return line;
}

TEST(qvxFileVersion, AgreesWithPefileOnRealLibraries)
{
    if (!testfs::Run("/usr/bin/python3 -c 'import pefile'")) {
        if (testfs::UnderCI()) FAIL() << "python3-pefile is missing";
        GTEST_SKIP() << "python3-pefile is not installed";
    }
    std::vector<std::string> files = RealLibraries();
    // (Not otherlang.dll: of a table of several translations pefile keeps only the last.)
    for (const char* name : {"full64.dll", "full32.dll", "notranslation.dll"})
        files.push_back(versiontest::ImagePath(name).string());
    std::string command = "/usr/bin/python3 " TAGSCOPE_SOURCE_DIR "/tests/filelib/versions/pefile-dump.py " +
                          std::to_string(platform::UserInterfaceLanguage());
    for (const auto& f : files) command += " " + testfs::Quote(f);
    std::istringstream lines(testfs::Output(command));
    std::size_t compared = 0, withVersion = 0;
    for (std::string line; std::getline(lines, line); ++compared) {
        const std::string path = line.substr(0, line.find('\t'));
        EXPECT_EQ(Describe(path), line);
        withVersion += line.starts_with(path + "\t1");
    }
    EXPECT_EQ(compared, files.size());
    EXPECT_GE(withVersion, 3u);  // libwinpthread and the two images with a translation
}

}  // namespace
