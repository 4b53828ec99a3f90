// The browser's exports: the rows of a listing as JSON Lines or CSV.
#pragma once

#include <QString>

#include <string>
#include <vector>

struct ListRow;

namespace ListExport {

enum class Format { JsonLines, Csv };

// The format a file name asks for: CSV for a name ending in ".csv" (any letter case),
// JSON Lines for any other.
Format FormatOf(const QString& fileName);

// One JSON object per row, the objects of TagscopeC --list --json, each line ending in
// LF. UTF-8.
std::string JsonLines(const std::vector<const ListRow*>& rows);

// The line "Path,Tag,Target", then each row's three columns as the table shows them.
// Lines end in CR LF (RFC 4180); a field holding a comma, a quote or a line break is
// quoted, with its quotes doubled. UTF-8 without a byte-order mark.
std::string Csv(const std::vector<const ListRow*>& rows);

// One CSV field as above.
QString CsvField(const QString& text);

}  // namespace ListExport
