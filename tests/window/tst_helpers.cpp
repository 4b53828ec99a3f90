// The window program's pure pieces and output-box helpers.
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

#include "console/CommandLineOptions.h"
#include "console/modFormatVersion.h"
#include "window/Dialogs.h"
#include "window/QtText.h"
#include "window/TextBoxHelpers.h"
#include "window/csTBSelectAllHook.h"
#include "window/modAppWindowTitle.h"
#include "window/modRecentEntries.h"
#include "window/modTextBoxFonts.h"

using namespace Hollin0106;

namespace {

using Names = std::vector<std::u16string>;

// Counts the key presses that reach the box past every filter installed before it.
class KeySpy : public QObject {
public:
    explicit KeySpy(QWidget& box) { box.installEventFilter(this); }
    int presses = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() != Qt::Key_Control) ++presses;
        return QObject::eventFilter(watched, event);
    }
};

bool Installed(const QString& family)
{
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

const QString kMissingA = QStringLiteral("Tagscope No Such Font A");
const QString kMissingB = QStringLiteral("Tagscope No Such Font B");

}  // namespace

class HelpersTest : public QObject {
    Q_OBJECT

private slots:
    // --open belongs to the window program alone. (The window's --open: tst_frmMain noWindow;
    // the other options: tests/console and tests/e2e.)
    void openIsNoConsoleOption()
    {
        const CommandLineOptions::Parsed parsed = CommandLineOptions::Parse({u"--open"}, false);
        QVERIFY(!parsed.open && parsed.unknown == u"--open");
    }

    void helpTexts()
    {
        // TagscopeC's help is checked end to end (tests/e2e, help-option).
        QFile file(QFINDTESTDATA("expected/help-Tagscope.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString version = ToQString(modFormatVersion::GetAppVersion());
        QCOMPARE(ToDisplayText(CommandLineOptions::HelpText(u"Tagscope", true)),
                 QString::fromUtf8(file.readAll()).trimmed().replace(QStringLiteral("{VERSION}"), version));
    }

    // Every "Quovix - " prefix goes, letter case counts; a trailing separator names the folder.
    void captions()
    {
        const std::u16string app = modAppWindowTitle::GetAppNameFromTitle(u"Quovix - A quovix - B Quovix - ", u"", u"");
        QCOMPARE(ToQString(modAppWindowTitle::GetWindowTitle(app, u"", u"/x/y", u"Untitled", false, true)),
                 QStringLiteral("y - A quovix - B "));
        QCOMPARE(ToQString(modAppWindowTitle::GetWindowTitle(u"Tag Scope", u"", u"/mnt/ntfs/junction/", u"Untitled", true, true)),
                 QString::fromUtf8("junction \u2013 Tag Scope"));
    }

    void customColorsText()
    {
        const QString whites = QStringLiteral(",16777215").repeated(13);
        const struct {
            const char* name;
            QString text, expected;
        } rows[] = {
            {"malformed and out-of-range entries become white, blanks go", "abc, -1 , 65280 ,16777216",
             "16777215,16777215,65280,16777215" + whites.mid(9)},
            {"entries after the 16th ignored", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17",
             "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16"},
        };
        for (const auto& row : rows) {
            CustomColors colors;
            colors.LoadFromText(FromQString(row.text));
            QVERIFY2(ToQString(colors.ToText()) == row.expected, row.name);
        }
    }

    // Images and folders share the list with entries (an entry's text and caption: tst_frmMain).
    // Moving an entry to the front is seen in the window's recent menu; the ninth pushes out the oldest.
    void recentItems()
    {
        QVERIFY((modRecentEntries::WithEntry({u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8"}, u"9") ==
                 Names{u"9", u"1", u"2", u"3", u"4", u"5", u"6", u"7"}));
        using modRecentEntries::RecentKind;
        const struct {
            const char* name;
            modRecentEntries::RecentItem item;
            std::u16string stored, caption;
        } rows[] = {
            {"colons in the path", {RecentKind::Image, u"C:\\a:b.img", 3}, u"image:3:C:\\a:b.img",
             u"C:\\a:b.img (image, partition 3)"},
            {"a folder", {RecentKind::Folder, u"/mnt/ntfs", 0}, u"folder:/mnt/ntfs", u"/mnt/ntfs (folder)"},
        };
        for (const auto& row : rows) {
            QVERIFY2(modRecentEntries::StoredText(row.item) == row.stored, row.name);
            QVERIFY2(modRecentEntries::ItemOf(row.stored) == row.item, row.name);
            QVERIFY2(modRecentEntries::Caption(row.item) == row.caption, row.name);
        }
        // Texts edited by hand that name no image are entries.
        for (const std::u16string text : {u"image:x:/a", u"image:2/a", u"image:1234567890:/a"})
            QVERIFY(modRecentEntries::ItemOf(text) == (modRecentEntries::RecentItem{RecentKind::Entry, text, 0}));
    }

    // A box in family B at 8.5 points given a list of family and size pairs, with A and B
    // two of the fonts installed here; `family` empty for the system's substitute of a
    // missing font.
    void applyFirstFont()
    {
        QStringList installed;
        for (const QString& family : QFontDatabase::families())
            if (!QFontDatabase::isPrivateFamily(family) && QFontInfo(QFont(family)).family() == family) installed.append(family);
        if (installed.size() < 2) QSKIP("fewer than two fonts are installed");
        const QString a = installed.first(), b = installed.last();
        const Variant missingA(kMissingA.toStdU16String()), missingB(kMissingB.toStdU16String()),
            fontA(a.toStdU16String()), fontB(b.toStdU16String());
        const struct {
            const char* name;
            std::vector<Variant> candidates;
            QString family;
            double points;
        } rows[] = {
            {"missing ones skipped", {missingA, 12.0, missingB, 14.0, fontA, 9.0, fontB, 10.0}, a, 9.0},
            {"odd number of entries changes nothing", {fontA, 10.0, fontB}, b, 8.5},
            {"no candidate installed: the size stays", {missingA, 12.0, missingB, 14.0}, "", 8.5},
        };
        for (const auto& row : rows) {
            QPlainTextEdit box;
            QFont start(b);
            start.setPointSizeF(8.5);
            box.setFont(start);
            modTextBoxFonts::ApplyFirstFont(box, row.candidates);
            const QString shown = QFontInfo(box.font()).family();
            const bool substitute = row.family.isEmpty() && Installed(shown) && shown != kMissingB;
            QVERIFY2(box.font().pointSizeF() == row.points && (shown == row.family || substitute),
                     qPrintable(QString(row.name) + ": " + shown));
        }
    }

    // Key events as the platforms deliver them: the key and the native scan code and virtual
    // key of the A key's place (xkb key code 38, Windows virtual key 'A').
    void selectAllKey()
    {
        const int ctrl = Qt::ControlModifier;
        const int cyrillicEf = 0x424;  // what the A key gives in a Russian layout
        const struct {
            const char* name;
            QString platform;
            int key, modifiers;
            quint32 scanCode, virtualKey;
            bool selectAll;
        } rows[] = {
            {"Ctrl+Shift+A", "xcb", Qt::Key_A, ctrl | Qt::ShiftModifier, 38, 0x41, false},
            {"plain A", "xcb", Qt::Key_A, 0, 38, 0x61, false},
            {"Russian layout alone, X11", "xcb", cyrillicEf, ctrl, 38, 0x6c6, true},
            {"Russian layout alone, Windows", "windows", cyrillicEf, ctrl, 0x1E, 0x41, true},
            {"another key's place, X11", "xcb", cyrillicEf + 1, ctrl, 39, 0x6d9, false},
            {"scan code 38 is L on Windows", "windows", Qt::Key_L, ctrl, 38, 0x4C, false},
        };
        for (const auto& row : rows) {
            const QKeyEvent event(QEvent::KeyPress, row.key, Qt::KeyboardModifiers(row.modifiers), row.scanCode,
                                  row.virtualKey, 0);
            QVERIFY2(IsSelectAllKey(event, row.platform) == row.selectAll, row.name);
        }
    }

    // Ctrl+A selects all and stops there; the next key reaches the box; a released hook
    // gives Ctrl+A back to the box.
    void selectAllHook()
    {
        QPlainTextEdit box;
        box.setPlainText(QStringLiteral("first line\nsecond line"));
        KeySpy spy(box);
        box.moveCursor(QTextCursor::End);
        auto hook = std::make_unique<csTBSelectAllHook>();
        QVERIFY(hook->Init(&box));
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(spy.presses, 0);
        QCOMPARE(box.textCursor().selectedText(), QString::fromUtf8("first line\u2029second line"));
        QTest::keyClick(&box, Qt::Key_Right);
        QCOMPARE(spy.presses, 1);
        hook.reset();
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(spy.presses, 2);
    }
};

QTEST_MAIN(HelpersTest)
#include "tst_helpers.moc"
