// Argument list and console output.
#include "support/AppServices.h"

#include <cerrno>
#include <cstdio>

#include <Hollin0106/AutomationError.h>
#include "common/Utf16.h"
#include "platform/ImageFile.h"
#include "platform/Process.h"
#include "support/quovixsupportfbe.h"

using namespace Hollin0106;

const std::u16string& CommandLineArgs::Item(std::int32_t index) const
{
    if (index < 0 || index >= Count()) throw AutomationError(errnum::SubscriptOutOfRange, u"CommandLineArgs");
    return args_[static_cast<std::size_t>(index)];
}

AppServices::AppServices(int argc, const char* const* argv)
{
    std::vector<std::u16string> all = platform::ProgramArguments(argc, argv);
    for (std::size_t i = 1; i < all.size(); ++i) args_.push_back(std::move(all[i]));
    if (!all.empty() && !all[0].empty()) {
        std::u16string name = esGetFileName(all[0], kNativePathStyle);
        const auto dot = name.rfind(u'.');
        if (dot != std::u16string::npos && dot > 0) name.erase(dot);
        exeName_ = std::move(name);
    }
}

void ConsoleOutput::WriteLine(const std::u16string& text, bool /*flag*/)
{
    std::u16string lf;
    lf.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
        lf.push_back(text[i]);
    }
    lf.push_back(u'\n');
    if (closed_) return;
    // A console window shows the characters themselves, whatever its code page.
    if (std::fflush(stdout) == 0 && platform::WriteConsoleText(lf)) return;
    const std::string utf8 = ToUtf8(lf);
    if (std::fwrite(utf8.data(), 1, utf8.size(), stdout) != utf8.size()) Fail();
    if (std::fflush(stdout) != 0) Fail();
}

void ConsoleOutput::WriteUtf8Line(std::string_view line)
{
    if (closed_) return;
    if (platform::StandardOutputIsConsoleWindow() && std::fflush(stdout) == 0 &&
        platform::WriteConsoleText(FromUtf8(line) + u"\n"))
        return;
    if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size() || std::fputc('\n', stdout) == EOF) Fail();
    if (std::fflush(stdout) != 0) Fail();
}

int ConsoleOutput::Close()
{
    if (closed_) return error_;
    closed_ = true;
    if (std::fflush(stdout) != 0) Fail();
    if (std::fclose(stdout) != 0) Fail();
    return error_;
}

void ConsoleOutput::Fail()
{
    // The first failure says why; later ones follow from it.
    if (error_ == 0) error_ = errno != 0 ? errno : EIO;
}
