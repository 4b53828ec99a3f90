// The window as a volume browser: the list of an image's or folder's reparse points
// against the library's listing, sorting, the filter, the report of the row chosen
// against TagscopeC's, exports, cancelling, partitions, and the list's keyboard and layout.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTableView>
#include <QTest>

#include <Hollin0106/NtfsImage.h>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "tests/filelib/ReparseBuffers.h"
#include "tests/window/WindowTestSupport.h"
#include "window/BrowsePanel.h"
#include "window/ReparseListFilter.h"
#include "window/QtText.h"
#include "window/ReparseListModel.h"

using namespace wintest;
using Hollin0106::NtfsImage;
using Hollin0106::NtfsReparseEntry;
namespace fs = std::filesystem;

namespace {

constexpr int kWait = 30000;  // ms for a listing or a console run; a hang fails instead

// A link whose name needs quoting in CSV, besides the sample volume's entries.
const char kCommaName[] = "Links/a, \"quoted\" link.txt";

// What TagscopeC writes for `args`, or "<failed>".
QString Console(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(TAGSCOPE_CONSOLE), args);
    if (!process.waitForFinished(kWait)) {
        process.kill();
        return QStringLiteral("<failed>");
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The window's report as the console shows it: "-" for the bullet, LF line breaks, and
// the console's own line end after it.
QString AsConsoleShowsIt(const std::u16string& report)
{
    QString text = QString::fromStdU16String(report);
    text.replace(QChar(0x2022), u'-');
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")) + u'\n';
}

QStringList Column(const ReparseListFilter& view, int column)
{
    QStringList texts;
    for (int row = 0; row < view.rowCount(); ++row) texts.append(view.index(row, column).data().toString());
    return texts;
}

// Two copies of the volume as partitions 1 and 2 of an MBR disk (type 0x07, from 1 MiB).
bool WriteTwoPartitionDisk(const fs::path& volume, const fs::path& disk)
{
    const std::uintmax_t sectors = fs::file_size(volume) / 512;
    const std::string second = std::to_string(2048 + sectors);
    return testfs::Run("truncate -s " + std::to_string((2048 + 2 * sectors) * 512) + " " + testfs::Quote(disk) +
                       " && printf 'label: dos\\n2048,%s,7\\n%s,%s,7\\n' " + std::to_string(sectors) + " " + second +
                       " " + std::to_string(sectors) + " | sfdisk -q " + testfs::Quote(disk) + " && for at in 2048 " +
                       second + "; do dd if=" + testfs::Quote(volume) + " of=" + testfs::Quote(disk) +
                       " bs=512 seek=$at conv=notrunc status=none || exit 1; done");
}

}  // namespace

class BrowseTest : public WindowTest {
    Q_OBJECT

    QString Mount() const { return QString::fromStdString(volume_.Root().string()); }

    // Starts the program with `args` and waits for its listing to end.
    frmMain* StartListing(const QStringList& args)
    {
        frmMain* window = StartProgram(args);
        if (window == nullptr) return nullptr;
        QSignalSpy ended(window, &frmMain::listingFinished);
        return ended.wait(kWait) ? window : nullptr;
    }

    static void ChooseRow(frmMain* window, int row)
    {
        QTableView* table = Controls(window).browse->Table();
        table->setCurrentIndex(table->model()->index(row, 0));
    }

    testfs::NtfsVolume volume_;
    QString volumeProblem_;
    QString image_;
    QString disk_;
    std::vector<NtfsReparseEntry> listing_;  // the library's, of image_

private slots:
    void initTestCase()
    {
        volumeProblem_ = QString::fromStdString(volume_.Mount());
        if (!volumeProblem_.isEmpty()) return;
        const std::string populate = testfs::Quote(fs::path(TAGSCOPE_SOURCE_DIR) / "scripts/ntfs-volume") + " populate " +
                                     testfs::Quote(volume_.Root());
        const fs::path comma = volume_.Root() / kCommaName;
        if (!testfs::Run(populate) || !testfs::Run("touch " + testfs::Quote(comma)) ||
            !volume_.SetReparseData(comma, testbuf::Symlink(u"..\\plain.txt", u"..\\plain.txt", 1))) {
            volumeProblem_ = QStringLiteral("the sample volume could not be filled");
            return;
        }
        // The image is read from a copy made while nothing has it mounted.
        volume_.Unmount();
        image_ = Scratch(QStringLiteral("volume.img"));
        disk_ = Scratch(QStringLiteral("disk.img"));
        if (!QFile::copy(QString::fromStdString(volume_.Image().string()), image_) ||
            !WriteTwoPartitionDisk(volume_.Image(), disk_.toStdString())) {
            volumeProblem_ = QStringLiteral("the image could not be copied");
            return;
        }
        volumeProblem_ = QString::fromStdString(volume_.Remount());
        NtfsImage image;
        QVERIFY(image.Open(image_.toStdU16String()));
        listing_ = image.ReparsePoints();
    }

    void init()
    {
        WindowTest::init();
        WINTEST_SKIP_WITHOUT_VOLUME(volumeProblem_);
    }

    // Every entry of the library's listing; each column sorts both ways,
    // also when it is chosen while the rows come.
    void listAndSorting()
    {
        frmMain* window = StartProgram({"--image", image_});
        QVERIFY(window != nullptr);
        BrowsePanel& panel = *Controls(window).browse;
        panel.SetPendingLimit(1);
        QSignalSpy ended(window, &frmMain::listingFinished);
        bool sorted = false;
        const auto sortEarly = connect(&panel.Model(), &QAbstractItemModel::rowsInserted, this, [&] {
            if (!std::exchange(sorted, true)) panel.Table()->sortByColumn(0, Qt::DescendingOrder);
        });
        QVERIFY(ended.wait(kWait));
        disconnect(sortEarly);
        // Each row's entry against the library's: reportsAndExports.
        const ReparseListModel& model = panel.Model();
        QCOMPARE(model.rowCount(), int(listing_.size()));
        const auto before = [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; };
        for (const int column : {0, 1, 2}) {
            for (const Qt::SortOrder order : {Qt::DescendingOrder, Qt::AscendingOrder}) {
                if (column != 0 || order != Qt::DescendingOrder) panel.Table()->sortByColumn(column, order);
                QStringList texts = Column(panel.Filter(), column);
                if (order == Qt::DescendingOrder) std::reverse(texts.begin(), texts.end());
                QVERIFY2(std::is_sorted(texts.begin(), texts.end(), before), qPrintable(texts.join(u'|')));
            }
        }
    }

    // --image IMAGE PATH: the entry's report at once, and its row chosen once listed. Each
    // row's report is TagscopeC --image's for the same entry, after the window's bullet;
    // the save dialog offers the row's name. The whole list as JSON Lines holds TagscopeC
    // --list --json's objects; the filtered rows only those shown; CSV quotes what needs it.
    void reportsAndExports()
    {
        const QString path = QStringLiteral("users\\PUBLIC\\common files");
        frmMain* window = StartListing({"--image", image_, path});
        QVERIFY(window != nullptr);
        const frmMainTestAccess c = Controls(window);
        QCOMPARE(AsConsoleShowsIt(c.ReportText), Console({"--image", image_, path}));
        QCOMPARE(QString::fromStdU16String(c.browse->CurrentEntry()->Path), QStringLiteral("/Users/Public/Common Files"));
        QCOMPARE(window->windowTitle(), QString::fromUtf8("volume.img \u2013 Tag Scope"));
        for (int row = 0; row < int(listing_.size()); ++row) {
            ChooseRow(window, row);
            const NtfsReparseEntry& entry = listing_[std::size_t(row)];
            QCOMPARE(AsConsoleShowsIt(c.ReportText), Console({"--image", image_, QString::fromStdU16String(entry.Path)}));
            QVERIFY(c.ReportData == entry.Data);
            QCOMPARE(c.txtMain->toPlainText(), ToDisplayText(c.ReportText));
        }
        QApplication::setActiveWindow(window);
        DialogSeen seen;
        QVERIFY(Answer({AnswerFileDialog(QString(), &seen)}, [&] { c.mnuFile.SaveOutputText->trigger(); }));
        QCOMPARE(seen.fileName, QFileInfo(QString::fromStdU16String(listing_.back().Path)).fileName() + ".txt");

        const auto objects = [](const QByteArray& lines) {
            QList<QJsonObject> list;
            for (const QByteArray& line : lines.split('\n'))
                if (!line.isEmpty()) list.append(QJsonDocument::fromJson(line).object());
            return list;
        };
        const QList<QJsonObject> console = objects(Console({"--list", "--json", image_}).toUtf8());
        const QString all = Scratch(QStringLiteral("all")), shown = Scratch(QStringLiteral("shown.jsonl"));
        QVERIFY(Answer({AnswerFileDialog(all, &seen)}, [&] { c.mnuFile.ExportList->trigger(); }));
        QCOMPARE(seen.fileName, QStringLiteral("volume.img.jsonl"));
        QCOMPARE(objects(ReadAll(all + ".jsonl")), console);

        c.browse->FilterField()->setText(QStringLiteral("shared"));
        c.browse->Table()->sortByColumn(0, Qt::DescendingOrder);
        QVERIFY(Answer({AnswerFileDialog(shown)}, [&] { c.mnuFile.ExportShown->trigger(); }));
        const QList<QJsonObject> filtered = objects(ReadAll(shown));
        QCOMPARE(filtered.size(), 2);
        QCOMPARE(filtered[0]["path"].toString(), QStringLiteral("/Linux/lxlink"));

        const QString csv = Scratch(QStringLiteral("list.CSV"));
        QVERIFY(Answer({AnswerFileDialog(csv)}, [&] { c.mnuFile.ExportList->trigger(); }));
        const QList<QByteArray> lines = ReadAll(csv).split('\n');
        QCOMPARE(lines.size(), int(listing_.size()) + 2);  // the header, the rows, "" after the last CR LF
        QCOMPARE(lines.first(), QByteArray("Path,Tag,Target\r"));
        QVERIFY(lines.contains("\"/Links/a, \"\"quoted\"\" link.txt\",IO_REPARSE_TAG_SYMLINK,/plain.txt\r"));
    }

    // Cancel in the middle: the rows come one batch at a time, and none after Cancel.
    void cancelStopsTheScan()
    {
        frmMain* window = StartProgram({"--image", image_});
        QVERIFY(window != nullptr);
        BrowsePanel& panel = *Controls(window).browse;
        // At most one row waits while a batch is on its way: the worker stops at the second.
        panel.SetPendingLimit(1);
        QSignalSpy ended(window, &frmMain::listingFinished);
        connect(&panel.Model(), &QAbstractItemModel::rowsInserted, this, [&panel] {
            QVERIFY(panel.CancelButton()->isVisible());
            panel.CancelButton()->click();
        });
        QVERIFY(ended.wait(kWait));
        QCOMPARE(panel.Model().rowCount(), 1);
        QVERIFY(!panel.Scanning() && !panel.CancelButton()->isVisible());
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
                 QStringLiteral("Listing cancelled: 1 reparse point"));
        QVERIFY(Controls(window).mnuFile.ExportList->isEnabled());
    }

    // --list FOLDER: the mounted volume's reparse points, read through the mount; each
    // report is TagscopeC's for the mounted entry.
    void folderListing()
    {
        frmMain* window = StartListing({"--list", Mount()});
        QVERIFY(window != nullptr);
        const frmMainTestAccess c = Controls(window);
        QStringList listed = Column(c.browse->Filter(), 0), expected;
        for (const NtfsReparseEntry& e : listing_) expected.append(Mount() + QString::fromStdU16String(e.Path));
        listed.sort();
        expected.sort();
        QCOMPARE(listed, expected);
        ChooseRow(window, 0);
        QCOMPARE(AsConsoleShowsIt(c.ReportText), Console({QString::fromStdU16String(c.browse->CurrentEntry()->Path)}));
    }

    // A disk with two NTFS partitions: Open Image... asks which; the report names it.
    // Recent entries keeps the image with its partition, and opens it again.
    void partitionAskedAndRemembered()
    {
        frmMain* window = StartWithReport(PlainFile());
        QVERIFY(window != nullptr);
        const frmMainTestAccess c = Controls(window);
        QApplication::setActiveWindow(window);
        QSignalSpy ended(window, &frmMain::listingFinished);
        QString offered;
        const Step choose2 = [&offered](QWidget* modal) {
            auto* dialog = qobject_cast<QInputDialog*>(modal);
            if (dialog == nullptr) return;
            offered = dialog->comboBoxItems().join(u'|');
            dialog->setTextValue(dialog->comboBoxItems().value(1));
            dialog->accept();
        };
        QVERIFY(Answer({AnswerFileDialog(disk_), choose2}, [&] { c.mnuFile.OpenImage->trigger(); }));
        QCOMPARE(offered, QStringLiteral("Partition 1 (8.0 MiB)|Partition 2 (8.0 MiB)"));
        // The listing may end while the dialog's answer still runs the event loop.
        QVERIFY(!ended.isEmpty() || ended.wait(kWait));
        ChooseRow(window, 0);
        QCOMPARE(AsConsoleShowsIt(c.ReportText),
                 Console({"--image", disk_, "--partition", "2", QString::fromStdU16String(listing_[0].Path)}));

        QAction* recent = c.mnuFile.Recent->actions().value(0);
        QVERIFY(recent != nullptr);
        QCOMPARE(recent->text(), "&1 " + disk_ + " (image, partition 2)");
        c.browse->Clear();
        const qsizetype before = ended.size();
        QVERIFY(Answer({}, [&] { recent->trigger(); }));  // no partition dialog this time
        QVERIFY(ended.size() > before || ended.wait(kWait));
        QCOMPARE(c.browse->Model().rowCount(), int(listing_.size()));
    }

    // A dropped image file is listed; the list's layout is remembered for the next run; the
    // keyboard and the filter there.
    void droppedImageAndLayout()
    {
        frmMain* window = StartWithReport(PlainFile());
        QVERIFY(window != nullptr && QTest::qWaitForWindowExposed(window));
        const frmMainTestAccess c = Controls(window);
        QSignalSpy ended(window, &frmMain::listingFinished);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(image_)});
        const QPoint at = c.txtMain->mapTo(window, c.txtMain->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window->windowHandle(), &enter);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window->windowHandle(), &dropped);
        QVERIFY(ended.wait(kWait));
        QCOMPARE(c.browse->Model().rowCount(), int(listing_.size()));

        c.browse->SetColumnWidths({111, 122, 133});
        c.splitter->setSizes({450, 500});
        QTRY_COMPARE(c.splitter->sizes().first(), 450);
        const QList<int> sizes = c.splitter->sizes();
        c.mnuFile.Exit->trigger();
        QTRY_COMPARE(frmMain::Existing(), nullptr);

        window = StartListing({"--image", image_});
        QVERIFY(window != nullptr && QTest::qWaitForWindowExposed(window));
        const frmMainTestAccess next = Controls(window);
        QVERIFY(next.browse->ColumnWidths()[0] == 111 && next.browse->ColumnWidths()[1] == 122);
        QTRY_COMPARE(next.splitter->sizes(), sizes);

        // Ctrl+F goes to the filter; Tab runs through the kind, the list and the report. The
        // filter: text in the path or the target, letter case aside, and the tag kind.
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        BrowsePanel& panel = *next.browse;
        QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), panel.FilterField());
        const QList<QWidget*> chain{panel.KindBox(), panel.Table(), next.txtMain, panel.FilterField()};
        for (QWidget* focus : chain) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), focus);
        }
        QStringList kinds;
        for (int i = 0; i < panel.KindBox()->count(); ++i) kinds.append(panel.KindBox()->itemText(i));
        QCOMPARE(kinds, (QStringList{"All kinds", "0x00004321", "IO_REPARSE_TAG_LX_SYMLINK", "IO_REPARSE_TAG_MOUNT_POINT",
                                     "IO_REPARSE_TAG_SYMLINK", "IO_REPARSE_TAG_WOF"}));
        const struct {
            const char* text;
            const char* kind;
            QStringList shown;
        } rows[] = {
            {"SHARED", "", {"/Links/relative.txt", "/Linux/lxlink"}},  // in the target only
            {"shared", "IO_REPARSE_TAG_SYMLINK", {"/Links/relative.txt"}},
            {"", "IO_REPARSE_TAG_WOF", {"/Compressed/packed.bin"}},
        };
        for (const auto& row : rows) {
            panel.FilterField()->setText(QString::fromUtf8(row.text));
            panel.KindBox()->setCurrentIndex(panel.KindBox()->findText(row.kind[0] ? row.kind : "All kinds"));
            QStringList shown = Column(panel.Filter(), 0);
            shown.sort();
            QCOMPARE(shown, row.shown);
            QVERIFY(window->findChild<QLabel*>(QStringLiteral("lblStatus"))->text().endsWith(
                QStringLiteral("10 reparse points, %1 shown").arg(row.shown.size())));
        }

        // An entry opened from here goes back to the one-entry window.
        QVERIFY(Answer({AnswerFileDialog(Scratch(QStringLiteral("volume.img")))}, [&] { next.mnuFile.Open->trigger(); }));
        QTRY_VERIFY(next.browse->isHidden());
        QTRY_COMPARE(next.txtMain->geometry(), QRect(QPoint(0, 0), window->centralWidget()->size()));
        QVERIFY(next.ReportText.ends_with(u"Can't read reparse point data: not a reparse point."));
        QVERIFY(!next.mnuFile.ExportList->isEnabled());
    }
};

QTEST_MAIN(BrowseTest)
#include "tst_browse.moc"
