// The system's version functions against the library's own resource walker (what Linux
// uses), on the test images and the system's own libraries: both must read the same fixed
// information, translation and strings.
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
using Bytes = std::optional<std::vector<std::uint8_t>>;

// What one reader finds: the fixed information, the first translation's string table and
// "name=text" of each string there, or "none".
std::vector<std::string> Describe(const std::function<Bytes(std::u16string_view)>& bytes,
                                  const std::function<std::optional<std::u16string>(std::u16string_view)>& text)
{
    const Bytes fixed = bytes(u"\\"), translation = bytes(u"\\VarFileInfo\\Translation");
    if (!fixed || fixed->size() != 52 || !translation || translation->size() < 4) return {"none"};
    const auto& t = *translation;
    const std::u16string table = u"\\StringFileInfo\\" + esHex2(static_cast<std::uint16_t>(t[0] | t[1] << 8)) +
                                 esHex2(static_cast<std::uint16_t>(t[2] | t[3] << 8)) + u"\\";
    std::vector<std::string> out{std::string(fixed->begin(), fixed->end()), ToUtf8(table)};
    for (const auto name : {u"Comments", u"CompanyName", u"FileDescription", u"FileVersion", u"InternalName",
                            u"LegalCopyright", u"OriginalFilename", u"ProductName", u"ProductVersion", u"SpecialBuild"})
        if (const auto value = text(table + name)) out.push_back(ToUtf8(name) + "=" + ToUtf8(*value));
    return out;
}

std::vector<std::string> BySystem(const fs::path& file)
{
    std::vector<std::uint8_t> info;
    if (version::ReadVersionInfo(file.u16string(), info)) return {"none"};
    return Describe([&](std::u16string_view sub) { return version::QueryBinaryValue(info, sub); },
                    [&](std::u16string_view sub) { return version::QueryTextValue(info, sub); });
}

std::vector<std::string> ByWalker(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    modPEImage::SpanSource source(image);
    const auto block = modPEImage::ReadVersionResource(source, platform::UserInterfaceLanguage());
    if (!block) return {"none"};
    return Describe(
        [&](std::u16string_view sub) -> Bytes {
            const auto value = modVersionResource::VerQueryValue(*block, sub);
            if (!value) return std::nullopt;
            return std::vector<std::uint8_t>(value->bytes.begin(), value->bytes.end());
        },
        [&](std::u16string_view sub) -> std::optional<std::u16string> {
            const auto value = modVersionResource::VerQueryValue(*block, sub);
            if (!value || value->bytes.empty()) return std::nullopt;
            return modVersionResource::ValueText(*value);
        });
}

TEST(Win32Version, TheSystemAndTheWalkerAgree)
{
    std::vector<fs::path> images{fs::path(TAGSCOPE_SOURCE_DIR "/tests/filelib/versions/ne-program.exe")};
    for (const char* name : {"full64.dll", "full32.dll", "otherlang.dll", "notranslation.dll", "twolang.dll",
                             "neutral.dll", "defr.dll", "stringname.dll", "id102.dll"})
        images.push_back(versiontest::ImagePath(name));
    const char* windows = std::getenv("SystemRoot");
    ASSERT_NE(windows, nullptr);
    std::error_code ec;
    for (auto it = fs::directory_iterator(fs::path(windows) / "system32", ec); !ec && it != fs::end(it) && images.size() < 70;
         it.increment(ec))
        if (it->path().extension() == ".dll" && it->is_regular_file()) images.push_back(it->path());
    std::size_t withVersion = 0;
    for (const auto& image : images) {
        SCOPED_TRACE(image.string());
        const auto system = BySystem(image);
        EXPECT_EQ(system, ByWalker(image));
        withVersion += system.size() > 1;
    }
    EXPECT_GE(images.size(), 40u);
    EXPECT_GE(withVersion, 16u);
}

}  // namespace
