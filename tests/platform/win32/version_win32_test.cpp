// The system's version functions against the library's own resource walker (what Linux
// uses) on the libraries of the system itself: both must read the same fixed information,
// translation and strings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>

#include "common/Utf16.h"
#include "filelib/modPEImage.h"
#include "filelib/modVersionResource.h"
#include "filelib/version/VersionSource.h"
#include "platform/Process.h"
#include "support/quovixsupport.h"
#include "support/quovixsupportfbe.h"
#include "tests/filelib/VersionImages.h"

namespace {

namespace fs = std::filesystem;

constexpr std::u16string_view kNames[] = {
    u"Comments",         u"CompanyName", u"FileDescription", u"FileVersion",    u"InternalName",
    u"LegalCopyright",   u"LegalTrademarks", u"OLESelfRegister", u"OriginalFilename", u"PrivateBuild",
    u"ProductName",      u"ProductVersion", u"SpecialBuild"};

// What one reader finds in a file: the fixed information, the first translation and the
// strings of that translation ("name=text" of each that exists), or "none".
using Reading = std::vector<std::string>;

Reading Describe(const std::optional<std::vector<std::uint8_t>>& fixed,
                 const std::optional<std::vector<std::uint8_t>>& translation,
                 const std::function<std::optional<std::u16string>(std::u16string_view)>& text)
{
    if (!fixed || fixed->size() != 52 || !translation || translation->size() < 4) return {"none"};
    Reading out{std::string(fixed->begin(), fixed->end())};
    const std::uint16_t language = static_cast<std::uint16_t>((*translation)[0] | (*translation)[1] << 8);
    const std::uint16_t codePage = static_cast<std::uint16_t>((*translation)[2] | (*translation)[3] << 8);
    const std::u16string table = u"\\StringFileInfo\\" + esHex2(language) + esHex2(codePage) + u"\\";
    out.push_back(ToUtf8(table));
    for (const auto name : kNames)
        if (const auto value = text(table + std::u16string(name))) out.push_back(ToUtf8(name) + "=" + ToUtf8(*value));
    return out;
}

Reading BySystem(const fs::path& file)
{
    std::vector<std::uint8_t> info;
    if (version::ReadVersionInfo(file.u16string(), info)) return {"none"};
    return Describe(version::QueryBinaryValue(info, u"\\"),
                    version::QueryBinaryValue(info, u"\\VarFileInfo\\Translation"),
                    [&](std::u16string_view sub) { return version::QueryTextValue(info, sub); });
}

Reading ByWalker(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    modPEImage::SpanSource source(image);
    const auto block = modPEImage::ReadVersionResource(source, platform::UserInterfaceLanguage());
    if (!block) return {"none"};
    const auto bytes = [&](std::u16string_view sub) -> std::optional<std::vector<std::uint8_t>> {
        const auto value = modVersionResource::VerQueryValue(*block, sub);
        if (!value) return std::nullopt;
        return std::vector<std::uint8_t>(value->bytes.begin(), value->bytes.end());
    };
    return Describe(bytes(u"\\"), bytes(u"\\VarFileInfo\\Translation"),
                    [&](std::u16string_view sub) -> std::optional<std::u16string> {
                        const auto value = modVersionResource::VerQueryValue(*block, sub);
                        if (!value || value->bytes.empty()) return std::nullopt;
                        return modVersionResource::ValueText(*value);
                    });
}

TEST(Win32Version, TheSystemAndTheWalkerAgreeOnTheTestImages)
{
    const fs::path images[] = {versiontest::ImagePath("full64.dll"), versiontest::ImagePath("full32.dll"),
                               versiontest::ImagePath("otherlang.dll"), versiontest::ImagePath("notranslation.dll"),
                               versiontest::ImagePath("twolang.dll"), versiontest::ImagePath("neutral.dll"),
                               versiontest::ImagePath("defr.dll"), versiontest::ImagePath("stringname.dll"),
                               versiontest::ImagePath("id102.dll"),
                               fs::path(TAGSCOPE_SOURCE_DIR "/tests/filelib/versions/ne-program.exe")};
    for (const auto& image : images) {
        SCOPED_TRACE(image.string());
        const Reading system = BySystem(image);
        EXPECT_EQ(system, ByWalker(image));
        EXPECT_EQ(system.size() > 1, image.filename() != "notranslation.dll" && image.filename() != "stringname.dll" &&
                                         image.filename() != "id102.dll");
    }
}

TEST(Win32Version, TheSystemAndTheWalkerAgreeOnTheSystemsLibraries)
{
    const char* windows = std::getenv("SystemRoot");
    ASSERT_NE(windows, nullptr);
    std::size_t compared = 0, withVersion = 0;
    std::error_code ec;
    for (auto it = fs::directory_iterator(fs::path(windows) / "system32", ec); !ec && it != fs::end(it) && compared < 60;
         it.increment(ec)) {
        if (it->path().extension() != ".dll" || !it->is_regular_file()) continue;
        SCOPED_TRACE(it->path().string());
        const Reading system = BySystem(it->path());
        EXPECT_EQ(system, ByWalker(it->path()));
        ++compared;
        withVersion += system.size() > 1;
    }
    EXPECT_GE(compared, 30u);
    EXPECT_GE(withVersion, 10u);
}

}  // namespace
