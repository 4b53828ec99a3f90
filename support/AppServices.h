// Application services the programs call: the argument list, the program's own name and
// console output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The command-line arguments, without the program itself.
class CommandLineArgs {
public:
    explicit CommandLineArgs(std::vector<std::u16string> args) : args_(std::move(args)) {}
    std::int32_t Count() const { return static_cast<std::int32_t>(args_.size()); }
    // 0-based; error 9 for an index outside the list.
    const std::u16string& Item(std::int32_t index) const;

private:
    std::vector<std::u16string> args_;
};

class AppServices {
public:
    // Takes the process arguments as main() received them (UTF-8 on POSIX).
    AppServices(int argc, const char* const* argv);

    CommandLineArgs Args() const { return CommandLineArgs(args_); }
    // The name the program was started under: argv[0]'s last component without extension.
    const std::u16string& ExeName() const { return exeName_; }

private:
    std::vector<std::u16string> args_;
    std::u16string exeName_;
};

// Writes lines to standard output as UTF-8; every CR LF of a text becomes LF there.
class ConsoleOutput {
public:
    // The text and a line break, flushed. The flag is accepted for the callers' form. A
    // failed write or flush is kept for Close to report.
    void WriteLine(const std::u16string& text, bool flag = false);
    // One line already in UTF-8 without line breaks (a JSON Lines object), then a line
    // break, flushed: written as it stands, without a round trip through UTF-16, except
    // to a console window, which takes characters.
    void WriteUtf8Line(std::string_view line);
    // Flushes and closes standard output: 0 when every write, the flush and the close
    // succeeded, else the errno of the first failure. Nothing is written after it.
    int Close();

private:
    void Fail();
    int error_ = 0;
    bool closed_ = false;
};
