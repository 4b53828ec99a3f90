// The browser beside the output box: the reparse points of an image or folder in a table
// that sorts and filters, with the listing's progress and its Cancel button.
#pragma once

#include <QWidget>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "report/modReparseListing.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class ListingScan;
class ReparseListFilter;
class ReparseListModel;
struct ListRow;

namespace Hollin0106 {
class NtfsReparseScan;
}

class BrowsePanel : public QWidget {
    Q_OBJECT

public:
    explicit BrowsePanel(QWidget* parent = nullptr);
    ~BrowsePanel() override;

    // Lists the reparse points of an image's volume (a scan NtfsImage made), or of the
    // tree below a folder (a full path) of a mounted volume, in place of the rows shown
    // before. The filter text stays; the kind goes back to every kind.
    void ListImage(Hollin0106::NtfsReparseScan&& scan);
    void ListFolder(const std::u16string& folder);
    // Stops a listing that is running; the rows found so far stay.
    void Cancel();
    // For the listings started from now on: see ListingScan::SetPendingLimit.
    void SetPendingLimit(std::size_t rows) { pendingLimit_ = rows; }
    // Stops a listing that is running and empties the table.
    void Clear();
    bool Scanning() const;

    // Makes the row of `path` (a path as the listing shows it) the current one once it is
    // listed, unless the user has chosen a row meanwhile; "" forgets it.
    void SelectWhenListed(const std::u16string& path);
    // The entry of the current row, or null.
    const modReparseListing::ListingEntry* CurrentEntry() const;
    // Every row in listing order, or the rows the filter shows in the order shown.
    std::vector<const ListRow*> Rows(bool shownOnly) const;

    std::vector<int> ColumnWidths() const;
    // Widths for every column, each from 20 up; other lists change nothing.
    void SetColumnWidths(const std::vector<int>& widths);

    QTableView* Table() const { return table_; }
    QLineEdit* FilterField() const { return filter_; }
    QComboBox* KindBox() const { return kind_; }
    QPushButton* CancelButton() const { return cancel_; }

    ReparseListModel& Model() const { return *model_; }
    ReparseListFilter& Filter() const { return *proxy_; }

signals:
    // The current row changed: another entry, or none.
    void currentEntryChanged();
    // A listing has ended, complete or cancelled; its rows are all in the table.
    void listingFinished(bool cancelled);

private:
    void Start(std::unique_ptr<ListingScan> scan);
    void Finished(bool cancelled);
    void RowsAdded(int first, int last);
    void KindsChanged();
    void ShowProgress();
    // Puts the rows added to a sorted list in place: soon, but never taking more than a
    // fifth of the time, so a long listing sorted as it comes stays responsive.
    void ScheduleSort();
    void SortAgain();

    ReparseListModel* model_ = nullptr;
    ReparseListFilter* proxy_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QComboBox* kind_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer* progressTimer_ = nullptr;
    QTimer* sortTimer_ = nullptr;
    qint64 lastSortMs_ = 0;
    std::unique_ptr<ListingScan> scan_;
    std::u16string selectPath_;
    bool cancelled_ = false;
    std::size_t pendingLimit_;
};
