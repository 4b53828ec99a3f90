// The window program's application name and window caption.
#include "window/modAppWindowTitle.h"

#include "AppIdentity.h"
#include "support/quovixsupportfbe.h"

namespace modAppWindowTitle {

namespace {
constexpr std::u16string_view kProductPrefix = u"Quovix - ";
}  // namespace

std::u16string GetAppNameFromTitle(const std::u16string& title, const std::u16string& name,
                                   const std::u16string& extra)
{
    std::u16string app = name;
    if (app.empty()) {
        // One left-to-right pass over the title, so text that comes together only after a
        // removal stays.
        std::size_t from = 0;
        for (auto at = title.find(kProductPrefix); at != std::u16string::npos; at = title.find(kProductPrefix, from)) {
            app.append(title, from, at - from);
            from = at + kProductPrefix.size();
        }
        app.append(title, from, std::u16string::npos);
    }
    if (!extra.empty()) app += u" :: " + extra;
    return app;
}

std::u16string GetAppName(const std::u16string& name, const std::u16string& extra)
{
    return GetAppNameFromTitle(AppIdentity::Title, name, extra);
}

std::u16string GetDocumentName(const std::u16string& document)
{
    std::u16string shown = esGetFileName(document, kNativePathStyle);
    // A folder typed with a trailing separator ("junction/", as shells complete it) still
    // names its last component; a root shows whole.
    if (shown.empty()) shown = esGetFileName(NormalizePath(document, kNativePathStyle), kNativePathStyle);
    if (shown.empty()) shown = document;
    return shown;
}

std::u16string GetWindowTitle(const std::u16string& name, const std::u16string& extra,
                              const std::u16string& document, const std::u16string& emptyText, bool enDash,
                              bool shortName)
{
    const std::u16string app = GetAppName(name, extra);
    const std::u16string dash = enDash ? u"\u2013" : u"-";
    std::u16string shown = emptyText;
    if (!document.empty()) shown = shortName ? GetDocumentName(document) : document;
    return shown + u" " + dash + u" " + app;
}

}  // namespace modAppWindowTitle
