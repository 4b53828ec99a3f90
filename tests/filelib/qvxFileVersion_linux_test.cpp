// qvxFileVersion on Linux, where the library reads the files itself: memory bounded by
// the version block under a memory limit, the interface language from the environment.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "common/Utf16.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include <Hollin0106/qvxFileVersion.h>
#include "tests/filelib/ChildProcess.h"
#include "tests/filelib/VersionImages.h"
#include "tests/fixtures/Shell.h"

namespace {

using namespace Hollin0106;
namespace fs = std::filesystem;

// The process's address space now, in bytes (VmSize).
std::uint64_t AddressSpace()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmSize:")) return std::stoull(line.substr(7)) * 1024;
    return 0;
}

// A copy of a real image whose resource section claims 0xFFFF0000 bytes, made sparse to
// 4 GiB (an installer's payload, a damaged or hostile file): its resource is intact, and
// reading it needs only its headers, directory and block.
TEST(qvxFileVersionLinux, ALyingSectionSizeCostsNoMemory)
{
    std::vector<std::uint8_t> image = versiontest::ReadImage("full64.dll");
    const std::size_t rsrc = versiontest::SectionHeader(image, ".rsrc");
    ASSERT_NE(rsrc, 0u);
    versiontest::PutLE(image, rsrc + 16, 0xFFFF0000u);  // SizeOfRawData
    const fs::path path = testfs::UniqueTempPath("lying") += ".dll";
    versiontest::WriteImage(path, image);
    fs::resize_file(path, std::uint64_t{4} << 30);
    const std::u16string name = FromUtf8(path.string());
    // A child that may grow its address space by 2 GiB at most: over what the process
    // holds already (a sanitizer reserves terabytes), and ended after 60 s.
    const int code = filetest::InChild(
        [&] {
            const rlim_t most = AddressSpace() + (rlim_t{2} << 30);
            const rlimit limit{most, most};
            if (::setrlimit(RLIMIT_AS, &limit) != 0) return 99;
            qvxFileVersion v;
            if (!v.ReadFile(name)) return 1;
            return v.ProductVerRevisionMinor() == 40000 && v.InfoBuffer().size() < 4096 ? 0 : 2;
        },
        60);
    fs::remove(path);
    // -1: ended by the alarm, or by the sanitizer's runtime when an allocation failed.
    EXPECT_EQ(code, 0) << "1: no version read, 2: wrong values, -1: ended (memory or time)";
}

TEST(qvxFileVersionLinux, TheInterfaceLanguageComesFromTheMessagesLocale)
{
    const struct {
        const char* name;
        std::initializer_list<std::pair<const char*, const char*>> environment;
        std::uint16_t language;
    } rows[] = {
        {"nothing set", {}, 0x0409},
        {"LANG with a modifier", {{"LANG", "de_AT@euro"}}, 0x0C07},
        {"a language alone: its likeliest country", {{"LANG", "pt"}}, 0x0416},
        {"LC_MESSAGES before LANG", {{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "ja_JP.UTF-8"}}, 0x0411},
        {"LC_ALL before both", {{"LC_ALL", "fr_CA.UTF-8"}, {"LC_MESSAGES", "ja_JP.UTF-8"}}, 0x0C0C},
        {"LANGUAGE first, its first entry", {{"LANGUAGE", "ru:de"}, {"LANG", "de_DE.UTF-8"}}, 0x0419},
        {"LANGUAGE ignored in the C locale", {{"LANGUAGE", "ru"}, {"LANG", "C.UTF-8"}}, 0x0409},
        {"a name nobody knows", {{"LANG", "xx_YY.UTF-8"}}, 0x0409},
    };
    const char* const names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::optional<std::string>> saved;
    for (const char* name : names)
        saved.push_back(std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (const char* name : names) ::unsetenv(name);
        for (const auto& [name, value] : row.environment) ::setenv(name, value, 1);
        EXPECT_EQ(platform::UserInterfaceLanguage(), row.language);
    }
    for (std::size_t i = 0; i < saved.size(); ++i)
        saved[i] ? ::setenv(names[i], saved[i]->c_str(), 1) : ::unsetenv(names[i]);
}

}  // namespace
