// The window program's application name and window caption.
#pragma once

#include <string>

namespace modAppWindowTitle {

// `name`, or when it is "" the title of this build without its product prefix
// ("Quovix - Tag Scope" gives "Tag Scope"); then " :: " and `extra` when `extra` is not "".
std::u16string GetAppName(const std::u16string& name, const std::u16string& extra);

// As GetAppName, with the title given: every occurrence of "Quovix - " is removed
// (exact case); a title without it is used whole.
std::u16string GetAppNameFromTitle(const std::u16string& title, const std::u16string& name,
                                   const std::u16string& extra);

// The last component of `document`, trailing separators aside; a root whole.
std::u16string GetDocumentName(const std::u16string& document);

// "<shown name> <dash> <application name>". The shown name is the last component of
// `document` when `shortName` is true (trailing separators aside; a root shows whole),
// else `document` whole; `emptyText` when `document` is "". The dash is the en dash U+2013 when `enDash` is true, else "-".
std::u16string GetWindowTitle(const std::u16string& name, const std::u16string& extra,
                              const std::u16string& document, const std::u16string& emptyText, bool enDash,
                              bool shortName);

}  // namespace modAppWindowTitle
