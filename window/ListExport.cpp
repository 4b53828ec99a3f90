// The browser's exports.
#include "window/ListExport.h"

#include "report/modReparseListing.h"
#include "window/ReparseListModel.h"

namespace ListExport {

Format FormatOf(const QString& fileName)
{
    return fileName.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ? Format::Csv : Format::JsonLines;
}

std::string JsonLines(const std::vector<const ListRow*>& rows)
{
    std::string out;
    for (const ListRow* row : rows) {
        out += modReparseListing::FormatJsonLine(row->Entry);
        out += '\n';
    }
    return out;
}

QString CsvField(const QString& text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r')) return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

std::string Csv(const std::vector<const ListRow*>& rows)
{
    QString out = QStringLiteral("Path,Tag,Target\r\n");
    for (const ListRow* row : rows)
        out += CsvField(row->Path) + u',' + CsvField(row->Tag) + u',' + CsvField(row->Target) + QStringLiteral("\r\n");
    return out.toUtf8().toStdString();
}

}  // namespace ListExport
