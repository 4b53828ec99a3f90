// The browser's table model.
#include "window/ReparseListModel.h"

#include <iterator>

#include "window/QtText.h"

ListRow MakeListRow(modReparseListing::ListingEntry&& entry)
{
    const auto columns = modReparseListing::TextColumns(entry);
    ListRow row{std::move(entry), ToQString(columns[0]), ToQString(columns[1]), ToQString(columns[2]), {}};
    row.SortKeys = {row.Path.toCaseFolded(), row.Tag.toCaseFolded(), row.Target.toCaseFolded()};
    return row;
}

int ReparseListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ReparseListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ReparseListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const ListRow& row = Row(index.row());
    switch (index.column()) {
    case PathColumn: return row.Path;
    case TagColumn: return row.Tag;
    case TargetColumn: return row.Target;
    default: return {};
    }
}

QVariant ReparseListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case PathColumn: return QStringLiteral("Path");
    case TagColumn: return QStringLiteral("Tag");
    case TargetColumn: return QStringLiteral("Target");
    default: return {};
    }
}

void ReparseListModel::Append(std::vector<ListRow>& rows)
{
    if (rows.empty()) return;
    const std::size_t kindsBefore = kinds_.size();
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    rows_.reserve(rows_.size() + rows.size());
    for (ListRow& row : rows) {
        kinds_.insert(row.Tag);
        rows_.push_back(std::move(row));
    }
    rows.clear();
    endInsertRows();
    if (kinds_.size() != kindsBefore) emit kindsChanged();
}

void ReparseListModel::Clear()
{
    beginResetModel();
    rows_.clear();
    kinds_.clear();
    endResetModel();
    emit kindsChanged();
}
