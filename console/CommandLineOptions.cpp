// The options both programs take before the entry's name.
#include "console/CommandLineOptions.h"

#include "console/modAppInfo.h"

namespace CommandLineOptions {

namespace {

// A partition number: decimal digits, 1 up to 2^31 - 1.
std::optional<std::int32_t> PartitionNumber(const std::u16string& text)
{
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::int64_t n = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        n = n * 10 + (c - u'0');
    }
    if (n < 1 || n > 0x7FFFFFFF) return std::nullopt;
    return static_cast<std::int32_t>(n);
}

}  // namespace

Parsed Parse(const std::vector<std::u16string>& args, bool window)
{
    Parsed parsed;
    bool options = true;
    const auto invalid = [&parsed](std::u16string why) {
        if (parsed.invalid.empty()) parsed.invalid = std::move(why);
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        // --image and --partition: the value after "=" or in the next argument.
        const auto valueOf = [&](std::u16string_view option, std::optional<std::u16string>& value) {
            if (arg == option) {
                if (i + 1 < args.size()) value = args[++i];
                else invalid(std::u16string(option) + u" needs a value");
                return true;
            }
            if (arg.size() > option.size() && arg.starts_with(option) && arg[option.size()] == u'=') {
                value = arg.substr(option.size() + 1);
                return true;
            }
            return false;
        };
        std::optional<std::u16string> value;
        if (options && valueOf(u"--image", value)) {
            if (value) parsed.image = *value;
            continue;
        }
        if (options && valueOf(u"--partition", value)) {
            if (value) {
                parsed.partition = PartitionNumber(*value);
                if (!parsed.partition) invalid(u"--partition needs a number from 1 up, not '" + *value + u"'");
            }
            continue;
        }
        if (options && arg == u"--list") {
            parsed.list = true;
        } else if (options && !window && arg == u"--json") {
            parsed.json = true;
        } else if (options && arg == u"--") {
            options = false;
        } else if (options && arg == u"--help") {
            parsed.help = true;
        } else if (options && arg == u"--version") {
            parsed.version = true;
        } else if (options && window && arg == u"--open") {
            parsed.open = true;
        } else if (options && arg.starts_with(u"--")) {
            if (parsed.unknown.empty()) parsed.unknown = arg;
        } else {
            options = false;
            parsed.names.push_back(arg);
        }
    }
    if (parsed.image && parsed.list) invalid(u"--image and --list cannot be used together");
    if (parsed.partition && !parsed.image && !parsed.list) invalid(u"--partition belongs to --image or --list");
    return parsed;
}

std::u16string HelpText(const std::u16string& exeName, bool window)
{
    const std::u16string pad(7, u' ');  // under the name after "Usage: "
    std::u16string text = modAppInfo::GetAppInfoText(!window, true) + u"\r\n\r\nUsage: " + exeName +
                          (window ? u"[.EXE] FileName\r\n" : u"[.EXE] [--json] FileName\r\n");
    if (window) {
        text += pad + exeName + u" --open [FileName]\r\n";
        text += pad + exeName + u" --image IMAGE [--partition N] [PATH]\r\n";
        text += pad + exeName + u" --list [--partition N] IMAGE|FOLDER\r\n";
    } else {
        text += pad + exeName + u" --image IMAGE [--partition N] [--json] PATH\r\n";
        text += pad + exeName + u" --list [--json] [--partition N] IMAGE|FOLDER\r\n";
    }
    text += pad + exeName + u" --help | --version\r\n\r\n";
    text += window ? u"Shows in a window what the NTFS reparse point FileName holds, without following it;\r\n"
                     u"or lists every reparse point of the NTFS volume of a disk image or block device\r\n"
                     u"IMAGE, read without mounting it, or of the mounted FOLDER's tree (links listed,\r\n"
                     u"never followed), with the report of the entry chosen beside the list.\r\n"
                   : u"Prints what the NTFS reparse point FileName holds, without following it; or the\r\n"
                     u"reparse point PATH inside the NTFS volume of a disk image or block device IMAGE,\r\n"
                     u"read without mounting it; or every reparse point of IMAGE's volume, or of the\r\n"
                     u"mounted FOLDER's tree (links listed, never followed).\r\n";
    text += u"\r\n";
    if (window)
        text += u"  --open         start with the Open dialog when no FileName is given\r\n"
                u"  --image IMAGE  list IMAGE's reparse points; with PATH (\"/\" or \"\\\" separators)\r\n"
                u"                 show the report of that entry inside the volume\r\n"
                u"  --partition N  the N-th partition of IMAGE's MBR or GPT table (1-based);\r\n"
                u"                 without it, the volume alone, or the partition chosen when\r\n"
                u"                 the disk holds several NTFS volumes\r\n"
                u"  --list         list the reparse points of IMAGE, or below FOLDER\r\n";
    else
        text += u"  --image IMAGE  read PATH (\"/\" or \"\\\" separators) inside the NTFS volume of IMAGE\r\n"
                u"  --partition N  the N-th partition of IMAGE's MBR or GPT table (1-based);\r\n"
                u"                 without it, the volume alone or the first NTFS partition\r\n"
                u"  --list         one line per reparse point: path, tag name, target\r\n"
                u"  --json         JSON Lines: one object per entry, with the raw data in hex\r\n";
    const std::u16string gap = u"    ";
    text += u"  --help     " + gap + u"show this help and exit\r\n"
            u"  --version  " + gap + u"show the version and copyright and exit\r\n"
            u"  --         " + gap + u"end of the options: the next argument is the FileName, even if it starts with \"--\"";
    return text;
}

std::u16string UnknownOptionText(const std::u16string& exeName, const std::u16string& option)
{
    return exeName + u": unrecognized option '" + option + u"'\r\nTry '" + exeName + u" --help' for more information.";
}

}  // namespace CommandLineOptions
