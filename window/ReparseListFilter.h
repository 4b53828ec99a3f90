// The browser's sorted and filtered view of a listing.
#pragma once

#include <QSortFilterProxyModel>

// Sorts by any column, letter case aside, and shows the rows whose path or target holds
// the filter text (letter case aside) and whose Tag column is the chosen kind. Rows the
// model adds are filtered at once, but a sorted view takes them in place only when it
// sorts again: call sort() with its column and order.
class ReparseListFilter : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit ReparseListFilter(QObject* parent = nullptr);

    // "" shows every row.
    void SetText(const QString& text);
    // A Tag column text; "" shows every kind.
    void SetKind(const QString& kind);
    bool IsFiltering() const { return !text_.isEmpty() || !kind_.isEmpty(); }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    // Compares the rows' case-folded texts straight from the model: a long list sorts
    // without a QVariant or a case conversion per comparison.
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    QString text_;
    QString kind_;
};
