// The browser beside the output box.
#include "window/BrowsePanel.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <Hollin0106/NtfsImage.h>

#include <algorithm>

#include "window/ListingScan.h"
#include "window/QtText.h"
#include "window/ReparseListFilter.h"
#include "window/ReparseListModel.h"

namespace {

constexpr int kMinColumnWidth = 20;
constexpr int kProgressSteps = 1000;

QString Count(qsizetype n)
{
    return QLocale().toString(static_cast<qlonglong>(n));
}

QString ReparsePoints(qsizetype n)
{
    return Count(n) + (n == 1 ? QStringLiteral(" reparse point") : QStringLiteral(" reparse points"));
}

}  // namespace

BrowsePanel::BrowsePanel(QWidget* parent) : QWidget(parent), pendingLimit_(ListingScan::kDefaultPendingLimit)
{
    model_ = new ReparseListModel(this);
    proxy_ = new ReparseListFilter(this);
    proxy_->setSourceModel(model_);

    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("txtFilter"));
    filter_->setAccessibleName(QStringLiteral("Filter"));
    filter_->setAccessibleDescription(QStringLiteral("Shows the reparse points whose path or target holds this text"));
    filter_->setPlaceholderText(QStringLiteral("Text in path or target"));
    filter_->setClearButtonEnabled(true);
    auto* filterLabel = new QLabel(QStringLiteral("Filte&r:"), this);
    filterLabel->setBuddy(filter_);

    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("cboKind"));
    kind_->setAccessibleName(QStringLiteral("Tag kind"));
    kind_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* kindLabel = new QLabel(QStringLiteral("&Kind:"), this);
    kindLabel->setBuddy(kind_);

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("lstEntries"));
    table_->setAccessibleName(QStringLiteral("Reparse points"));
    table_->setModel(proxy_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list for the report; the arrow keys move between rows.
    table_->setTabKeyNavigation(false);
    table_->setWordWrap(false);
    table_->setAlternatingRowColors(true);
    table_->verticalHeader()->hide();
    // Rows of one height: the view never measures the rows of a long list.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setSectionsMovable(false);
    table_->setColumnWidth(ReparseListModel::PathColumn, 220);
    table_->setColumnWidth(ReparseListModel::TagColumn, 225);
    // Listing order until a column is chosen.
    table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table_->setSortingEnabled(true);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    progress_ = new QProgressBar(this);
    progress_->setAccessibleName(QStringLiteral("Listing progress"));
    progress_->setTextVisible(false);
    progress_->setMaximumWidth(160);
    cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cmdCancel"));
    cancel_->setToolTip(QStringLiteral("Stop the listing; the entries found so far stay"));
    progress_->hide();
    cancel_->hide();

    auto* top = new QHBoxLayout;
    top->addWidget(filterLabel);
    top->addWidget(filter_, 1);
    top->addWidget(kindLabel);
    top->addWidget(kind_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(progress_);
    bottom->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(table_, 1);
    layout->addLayout(bottom);
    setTabOrder(filter_, kind_);
    setTabOrder(kind_, table_);

    sortTimer_ = new QTimer(this);
    sortTimer_->setSingleShot(true);
    connect(sortTimer_, &QTimer::timeout, this, &BrowsePanel::SortAgain);
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, &BrowsePanel::ShowProgress);
    connect(cancel_, &QPushButton::clicked, this, &BrowsePanel::Cancel);
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        proxy_->SetText(text);
        ShowProgress();
    });
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] {
        proxy_->SetKind(kind_->currentData().toString());
        ShowProgress();
    });
    connect(model_, &ReparseListModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { RowsAdded(first, last); });
    connect(model_, &ReparseListModel::kindsChanged, this, &BrowsePanel::KindsChanged);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { emit currentEntryChanged(); });
    KindsChanged();
}

BrowsePanel::~BrowsePanel() = default;

void BrowsePanel::ListImage(Hollin0106::NtfsReparseScan&& scan)
{
    Start(std::make_unique<ListingScan>(std::move(scan), *model_));
}

void BrowsePanel::ListFolder(const std::u16string& folder)
{
    Start(std::make_unique<ListingScan>(folder, *model_));
}

void BrowsePanel::Start(std::unique_ptr<ListingScan> scan)
{
    // The listing before goes first, with its worker.
    Clear();
    scan_ = std::move(scan);
    scan_->SetPendingLimit(pendingLimit_);
    connect(scan_.get(), &ListingScan::finished, this, &BrowsePanel::Finished);
    progress_->setRange(0, 0);
    progress_->show();
    cancel_->show();
    progressTimer_->start();
    scan_->Start();
    ShowProgress();
}

void BrowsePanel::Cancel()
{
    if (scan_) scan_->Cancel();
}

void BrowsePanel::Clear()
{
    scan_.reset();
    sortTimer_->stop();
    selectPath_.clear();
    cancelled_ = false;
    progressTimer_->stop();
    progress_->hide();
    cancel_->hide();
    model_->Clear();
    ShowProgress();
}

bool BrowsePanel::Scanning() const
{
    return scan_ && scan_->Running();
}

void BrowsePanel::Finished(bool cancelled)
{
    if (sortTimer_->isActive()) SortAgain();
    cancelled_ = cancelled;
    progressTimer_->stop();
    progress_->hide();
    cancel_->hide();
    ShowProgress();
    emit listingFinished(cancelled);
}

void BrowsePanel::ShowProgress()
{
    const qsizetype all = model_->rowCount();
    const qsizetype shown = proxy_->rowCount();
    QString text = ReparsePoints(all);
    if (Scanning()) {
        const std::uint64_t done = scan_->Done();
        const std::uint64_t total = scan_->Total();
        if (total > 0) {
            progress_->setRange(0, kProgressSteps);
            progress_->setValue(static_cast<int>(std::min<std::uint64_t>(done, total) * kProgressSteps / total));
        } else {
            progress_->setRange(0, 0);
        }
        text = total > 0 ? QStringLiteral("Listing... %1").arg(text)
                         : QStringLiteral("Listing... %1 folders searched, %2").arg(Count(static_cast<qsizetype>(done)), text);
    } else if (cancelled_) {
        text = QStringLiteral("Listing cancelled: %1").arg(text);
    }
    if (proxy_->IsFiltering()) text += QStringLiteral(", %1 shown").arg(Count(shown));
    status_->setText(text);
}

void BrowsePanel::ScheduleSort()
{
    if (proxy_->sortColumn() < 0 || sortTimer_->isActive()) return;
    sortTimer_->start(static_cast<int>(std::max<qint64>(200, 4 * lastSortMs_)));
}

void BrowsePanel::SortAgain()
{
    sortTimer_->stop();
    if (proxy_->sortColumn() < 0) return;
    QElapsedTimer took;
    took.start();
    proxy_->sort(proxy_->sortColumn(), proxy_->sortOrder());
    lastSortMs_ = took.elapsed();
}

void BrowsePanel::RowsAdded(int first, int last)
{
    ScheduleSort();
    if (table_->currentIndex().isValid()) selectPath_.clear();
    if (!selectPath_.empty()) {
        for (int row = first; row <= last; ++row) {
            if (model_->Row(row).Entry.Path != selectPath_) continue;
            const QModelIndex shown = proxy_->mapFromSource(model_->index(row, 0));
            selectPath_.clear();
            if (shown.isValid()) table_->setCurrentIndex(shown);
            break;
        }
    }
}

void BrowsePanel::KindsChanged()
{
    const QString chosen = kind_->currentData().toString();
    const QSignalBlocker quiet(kind_);
    kind_->clear();
    kind_->addItem(QStringLiteral("All kinds"), QString());
    for (const QString& kind : model_->Kinds()) kind_->addItem(kind, kind);
    const int again = kind_->findData(chosen);
    kind_->setCurrentIndex(again < 0 ? 0 : again);
    if (again < 0 && !chosen.isEmpty()) proxy_->SetKind(QString());
}

void BrowsePanel::SelectWhenListed(const std::u16string& path)
{
    selectPath_ = path;
}

const modReparseListing::ListingEntry* BrowsePanel::CurrentEntry() const
{
    const QModelIndex current = proxy_->mapToSource(table_->currentIndex());
    return current.isValid() ? &model_->Row(current.row()).Entry : nullptr;
}

std::vector<const ListRow*> BrowsePanel::Rows(bool shownOnly) const
{
    std::vector<const ListRow*> rows;
    if (shownOnly) {
        rows.reserve(static_cast<std::size_t>(proxy_->rowCount()));
        for (int row = 0; row < proxy_->rowCount(); ++row)
            rows.push_back(&model_->Row(proxy_->mapToSource(proxy_->index(row, 0)).row()));
    } else {
        rows.reserve(static_cast<std::size_t>(model_->rowCount()));
        for (int row = 0; row < model_->rowCount(); ++row) rows.push_back(&model_->Row(row));
    }
    return rows;
}

std::vector<int> BrowsePanel::ColumnWidths() const
{
    std::vector<int> widths;
    for (int column = 0; column < ReparseListModel::ColumnCount; ++column) widths.push_back(table_->columnWidth(column));
    return widths;
}

void BrowsePanel::SetColumnWidths(const std::vector<int>& widths)
{
    if (widths.size() != ReparseListModel::ColumnCount) return;
    for (const int width : widths)
        if (width < kMinColumnWidth) return;
    for (int column = 0; column < ReparseListModel::ColumnCount; ++column)
        table_->setColumnWidth(column, widths[static_cast<std::size_t>(column)]);
}
