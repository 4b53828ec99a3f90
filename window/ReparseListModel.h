// The browser's table: every reparse point of a listing with its path, tag and target.
#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <set>
#include <vector>

#include "report/modReparseListing.h"

// One row: what was read, and its three columns as the listing shows them.
struct ListRow {
    modReparseListing::ListingEntry Entry;
    QString Path;
    QString Tag;  // the tag's name, or for an entry that cannot be read the error line
    QString Target;
    // The columns case-folded, so that sorting a long list compares plain UTF-16.
    std::array<QString, 3> SortKeys;
};

// The row of `entry`, with the columns of TagscopeC --list (TextColumns).
ListRow MakeListRow(modReparseListing::ListingEntry&& entry);

// A table model over the rows of one listing, in listing order. Rows are only added, a
// batch at a time with one insertion, or all cleared, so large listings stay cheap.
class ReparseListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { PathColumn, TagColumn, TargetColumn, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // DisplayRole and ToolTipRole: the column's text.
    QVariant data(const QModelIndex& index, int role) const override;
    // "Path", "Tag", "Target".
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Adds `rows` after the last row, emptying the vector.
    void Append(std::vector<ListRow>& rows);
    void Clear();

    // Valid for 0 <= row < rowCount().
    const ListRow& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    // The distinct Tag column texts of the rows, sorted.
    const std::set<QString>& Kinds() const { return kinds_; }

signals:
    // A Tag column text that no row had before came with the last batch.
    void kindsChanged();

private:
    std::vector<ListRow> rows_;
    std::set<QString> kinds_;
};
