// Listing lines of reparse points, as text and as JSON Lines.
#include "report/modReparseListing.h"

#include <Hollin0106/ReparseHeader.h>

#include "common/Utf16.h"
#include "report/modRPParse.h"
#include "report/modReparseTags.h"

using namespace Hollin0106;

namespace modReparseListing {

namespace {

bool Unreadable(const ListingEntry& e)
{
    return e.Data.empty();
}

std::string Hex(const std::vector<std::uint8_t>& data)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * data.size());
    for (const std::uint8_t b : data) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0xF];
    }
    return out;
}

void Field(std::string& out, const char* name, const std::string& json)
{
    out += out.size() > 1 ? ",\"" : "\"";
    out += name;
    out += "\":";
    out += json;
}

}  // namespace

std::string JsonString(std::u16string_view text)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out = "\"";
    const auto escape = [&](char16_t unit) {
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(unit >> shift) & 0xF];
    };
    std::size_t run = 0;  // start of the units not yet written
    const auto flush = [&](std::size_t end) {
        out += ToUtf8(text.substr(run, end - run));
        run = end + 1;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            ++i;  // a whole pair: UTF-8 as it stands
            continue;
        }
        if (c == u'"' || c == u'\\') {
            flush(i);
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || high || low) {
            flush(i);
            switch (c) {
            case u'\n': out += "\\n"; break;
            case u'\r': out += "\\r"; break;
            case u'\t': out += "\\t"; break;
            default: escape(c);
            }
        }
    }
    out += ToUtf8(text.substr(std::min(run, text.size())));
    return out + "\"";
}

std::string FormatJsonLine(const ListingEntry& e)
{
    std::string out = "{";
    Field(out, "path", JsonString(e.Path));
    if (e.Record) Field(out, "record", std::to_string(*e.Record));
    if (Unreadable(e)) {
        Field(out, "error", JsonString(u"Can't read reparse point data" + modRPParse::GetTargetErrorText(e.Code)));
        Field(out, "code", std::to_string(static_cast<std::int32_t>(e.Code)));
        if (!e.Detail.empty()) Field(out, "detail", JsonString(e.Detail));
        return out + "}";
    }
    const auto header = DecodeReparseHeader(e.Data);
    const std::uint32_t tag = header ? header->Tag : 0;
    if (header) {
        Field(out, "tag", std::to_string(tag));
        Field(out, "tagName", JsonString(modReparseTags::ReparseTagShortName(tag)));
    }
    Field(out, "data", "\"" + Hex(e.Data) + "\"");
    const bool named = tag == kReparseTagMountPoint || tag == kReparseTagSymlink;
    if (named && (e.Code == steSuccess || !e.RawTarget.empty())) Field(out, "substituteName", JsonString(e.RawTarget));
    if (named && e.Code == steSuccess) Field(out, "printName", JsonString(e.PrintName));
    if (tag == kReparseTagSymlink && header && header->SymlinkFlags) Field(out, "flags", std::to_string(*header->SymlinkFlags));
    if (!e.Target.empty()) Field(out, "target", JsonString(e.Target));
    if (e.Code != steSuccess && e.Code != setUnsupportedReparseTag)
        Field(out, "code", std::to_string(static_cast<std::int32_t>(e.Code)));
    if (!e.Streams.empty()) {
        std::string list = "[";
        for (const auto& [name, size] : e.Streams) {
            if (list.size() > 1) list += ",";
            list += "{\"name\":" + JsonString(name) + ",\"size\":" + std::to_string(size) + "}";
        }
        Field(out, "streams", list + "]");
    }
    return out + "}";
}

std::array<std::u16string, 3> TextColumns(const ListingEntry& e)
{
    if (Unreadable(e))
        return {modRPParse::ShowableName(e.Path), u"Can't read reparse point data" + modRPParse::GetTargetErrorText(e.Code),
                modRPParse::ShowableName(e.Detail)};
    const auto header = DecodeReparseHeader(e.Data);
    return {modRPParse::ShowableName(e.Path), header ? modReparseTags::ReparseTagShortName(header->Tag) : u"",
            modRPParse::ShowableName(e.Target)};
}

std::u16string FormatTextLine(const ListingEntry& e)
{
    const auto columns = TextColumns(e);
    std::u16string line = columns[0] + u"\t" + columns[1];
    if (!Unreadable(e) || !columns[2].empty()) line += u"\t" + columns[2];
    return line;
}

}  // namespace modReparseListing
