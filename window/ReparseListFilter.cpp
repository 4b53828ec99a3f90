// The browser's sorted and filtered view of a listing.
#include "window/ReparseListFilter.h"

#include "window/ReparseListModel.h"

ReparseListFilter::ReparseListFilter(QObject* parent) : QSortFilterProxyModel(parent)
{
    setSortCaseSensitivity(Qt::CaseInsensitive);
    // Rows added to a sorted view would each be put in place with signals of their own,
    // which is slow for large batches; they go to the end instead, and the owner sorts
    // again (sort()) when it sees fit. Filtering applies to them all the same.
    setDynamicSortFilter(false);
}

void ReparseListFilter::SetText(const QString& text)
{
    if (text == text_) return;
    text_ = text;
    // A new filtering as a whole: one layout change, not a signal per row range.
    invalidate();
}

void ReparseListFilter::SetKind(const QString& kind)
{
    if (kind == kind_) return;
    kind_ = kind;
    invalidate();
}

bool ReparseListFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const auto* model = qobject_cast<const ReparseListModel*>(sourceModel());
    if (model == nullptr || sourceParent.isValid()) return true;
    const ListRow& row = model->Row(sourceRow);
    if (!kind_.isEmpty() && row.Tag != kind_) return false;
    return text_.isEmpty() || row.Path.contains(text_, Qt::CaseInsensitive) ||
           row.Target.contains(text_, Qt::CaseInsensitive);
}

bool ReparseListFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const auto* model = qobject_cast<const ReparseListModel*>(sourceModel());
    const int column = left.column();
    if (model == nullptr || column < 0 || column >= ReparseListModel::ColumnCount)
        return QSortFilterProxyModel::lessThan(left, right);
    const std::size_t key = static_cast<std::size_t>(column);
    return model->Row(left.row()).SortKeys[key] < model->Row(right.row()).SortKeys[key];
}
