// The window program's pure pieces and output-box helpers: the options of both programs
// and their help texts, the caption, the version tag, the custom-colour text form, the
// recent-entries list, the font fallback list, and the select-all key and hook.
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

std::vector<std::u16string> ToList(const QStringList& list)
{
    std::vector<std::u16string> out;
    for (const QString& s : list) out.push_back(FromQString(s));
    return out;
}

QStringList FromList(const std::vector<std::u16string>& list)
{
    QStringList out;
    for (const std::u16string& s : list) out.append(ToQString(s));
    return out;
}

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

std::vector<Variant> ToCandidates(const QVariantList& list)
{
    std::vector<Variant> out;
    for (const QVariant& v : list) {
        if (v.typeId() == QMetaType::QString)
            out.emplace_back(v.toString().toStdU16String());
        else
            out.emplace_back(v.toDouble());
    }
    return out;
}

}  // namespace

class HelpersTest : public QObject {
    Q_OBJECT

private slots:
    // `flags`: h help, v version, o open; `unknown` the first unrecognised option.
    void options_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("window");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("unknown");
        QTest::newRow("one name") << QStringList{"/mnt/x"} << false << "" << QStringList{"/mnt/x"} << "";
        QTest::newRow("no argument") << QStringList{} << true << "" << QStringList{} << "";
        QTest::newRow("help") << QStringList{"--help"} << false << "h" << QStringList{} << "";
        QTest::newRow("version and a name") << QStringList{"--version", "a"} << false << "v" << QStringList{"a"} << "";
        QTest::newRow("-- keeps a name that looks like an option")
            << QStringList{"--", "--help"} << false << "" << QStringList{"--help"} << "";
        QTest::newRow("options only before the name") << QStringList{"a", "--help"} << false << ""
                                                       << QStringList{"a", "--help"} << "";
        QTest::newRow("Qt's own options are names") << QStringList{"-style"} << true << "" << QStringList{"-style"}
                                                   << "";
        QTest::newRow("a lone dash is a name") << QStringList{"-"} << false << "" << QStringList{"-"} << "";
        QTest::newRow("open in the window program") << QStringList{"--open", "/x"} << true << "o"
                                                    << QStringList{"/x"} << "";
        QTest::newRow("open is no console option") << QStringList{"--open"} << false << "" << QStringList{}
                                                   << "--open";
        QTest::newRow("unknown long option") << QStringList{"--bogus", "--help"} << true << "h" << QStringList{}
                                             << "--bogus";
    }

    void options()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, window);
        QFETCH(QString, flags);
        QFETCH(QStringList, names);
        QFETCH(QString, unknown);
        const CommandLineOptions::Parsed parsed = CommandLineOptions::Parse(ToList(args), window);
        QString seen;
        if (parsed.help) seen += u'h';
        if (parsed.version) seen += u'v';
        if (parsed.open) seen += u'o';
        QCOMPARE(seen, flags);
        QCOMPARE(FromList(parsed.names), names);
        QCOMPARE(ToQString(parsed.unknown), unknown);
    }

    void helpTexts()
    {
        // TagscopeC's help is checked end to end (tests/e2e, help-option).
        QFile file(QFINDTESTDATA("expected/help-Tagscope.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(ToDisplayText(CommandLineOptions::HelpText(u"Tagscope", true)), QString::fromUtf8(file.readAll()).trimmed());
        QCOMPARE(ToDisplayText(CommandLineOptions::UnknownOptionText(u"TagscopeC", u"--x")),
                 QStringLiteral("TagscopeC: unrecognized option '--x'\nTry 'TagscopeC --help' for more information."));
    }

    void captions_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("document");
        QTest::addColumn<bool>("enDash");
        QTest::addColumn<bool>("shortName");
        QTest::addColumn<QString>("expected");
        QTest::newRow("every prefix goes, case matters")
            << "Quovix - A quovix - B Quovix - " << "/x/y" << false << true << "y - A quovix - B ";
        QTest::newRow("whole document") << "Quovix - Tag Scope" << "/x/y" << true << false
                                        << QString::fromUtf8("/x/y \u2013 Tag Scope");
        QTest::newRow("trailing separator names the folder")
            << "Quovix - Tag Scope" << "/mnt/ntfs/junction/" << true << true
            << QString::fromUtf8("junction \u2013 Tag Scope");
        QTest::newRow("root shows whole") << "Tag Scope" << "/" << true << true << QString::fromUtf8("/ \u2013 Tag Scope");
    }

    void captions()
    {
        QFETCH(QString, title);
        QFETCH(QString, document);
        QFETCH(bool, enDash);
        QFETCH(bool, shortName);
        QFETCH(QString, expected);
        const std::u16string app = modAppWindowTitle::GetAppNameFromTitle(FromQString(title), u"", u"");
        const std::u16string caption =
            modAppWindowTitle::GetWindowTitle(app, u"", FromQString(document), u"Untitled", enDash, shortName);
        QCOMPARE(ToQString(caption), expected);
        QCOMPARE(ToQString(modAppWindowTitle::GetAppNameFromTitle(u"Quovix - Tag Scope", u"", u"Beta")),
                 QStringLiteral("Tag Scope :: Beta"));
    }

    void versionTag()
    {
        QCOMPARE(ToQString(modFormatVersion::GetAppVersionTag(1, 0, 5, u"x86")), QStringLiteral("v.1.0.5 x86"));
        QCOMPARE(ToQString(modFormatVersion::GetAppVersionTag(2, 123, 4567, u"x64")),
                 QStringLiteral("v.2.123.4567 x64"));
#if defined(__x86_64__)
        QCOMPARE(ToQString(modFormatVersion::GetAppVersionTag()), QStringLiteral("v.1.0.19 x64"));
#endif
    }

    void customColorsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString whites = QStringLiteral(",16777215").repeated(13);
        QTest::newRow("empty store") << "" << "16777215,16777215,16777215" + whites;
        QTest::newRow("malformed and out-of-range entries become white, blanks go")
            << "abc, -1 , 65280 ,16777216" << "16777215,16777215,65280,16777215" + whites.mid(9);
        QTest::newRow("entries after the 16th ignored")
            << "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17" << "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16";
    }

    void customColorsText()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        CustomColors colors;
        colors.LoadFromText(FromQString(text));
        QCOMPARE(ToQString(colors.ToText()), expected);
    }

    void recentEntries_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("first") << QStringList{} << "/a" << QStringList{"/a"};
        QTest::newRow("again: moves to the front, once") << QStringList{"/b", "/a", "/c"} << "/a"
                                                         << QStringList{"/a", "/b", "/c"};
        QTest::newRow("the ninth pushes out the oldest")
            << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"} << "9"
            << QStringList{"9", "1", "2", "3", "4", "5", "6", "7"};
    }

    void recentEntries()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, added);
        QFETCH(QStringList, after);
        QCOMPARE(FromList(modRecentEntries::WithEntry(ToList(before), FromQString(added))), after);
    }

    void initTestCase()
    {
        // PT Mono comes with the program's dependencies, DejaVu Sans Mono with every Debian
        // desktop; the missing names must be missing.
        QVERIFY(Installed(QStringLiteral("PT Mono")));
        QVERIFY(Installed(QStringLiteral("DejaVu Sans Mono")));
        QVERIFY(!Installed(kMissingA) && !Installed(kMissingB));
    }

    void outBoxFontIsPtMono()
    {
        QPlainTextEdit box;
        modTextBoxFonts::SetOutBoxFont(box, false);
        QCOMPARE(QFontInfo(box.font()).family(), QStringLiteral("PT Mono"));
        QCOMPARE(box.font().pointSizeF(), 10.0);
    }

    // A box in DejaVu Sans Mono 8.5 given a list of family and size pairs; `family` empty
    // for the system's substitute of a missing font.
    void applyFirstFont_data()
    {
        QTest::addColumn<QVariantList>("candidates");
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("points");
        QTest::newRow("missing ones skipped")
            << QVariantList{kMissingA, 12, kMissingB, 14, "PT Mono", 9, "DejaVu Sans Mono", 10} << "PT Mono" << 9.0;
        QTest::newRow("name compared without case") << QVariantList{"pt MONO", 11.25} << "PT Mono" << 11.25;
        QTest::newRow("size given as text") << QVariantList{"PT Mono", "12"} << "PT Mono" << 12.0;
        QTest::newRow("empty list changes nothing") << QVariantList{} << "DejaVu Sans Mono" << 8.5;
        QTest::newRow("odd number of entries changes nothing")
            << QVariantList{"PT Mono", 10, "DejaVu Sans Mono"} << "DejaVu Sans Mono" << 8.5;
        QTest::newRow("no candidate installed: the size stays") << QVariantList{kMissingA, 12, kMissingB, 14} << ""
                                                                << 8.5;
    }

    void applyFirstFont()
    {
        QFETCH(QVariantList, candidates);
        QFETCH(QString, family);
        QFETCH(double, points);
        QPlainTextEdit box;
        QFont start(QStringLiteral("DejaVu Sans Mono"));
        start.setPointSizeF(8.5);
        box.setFont(start);
        modTextBoxFonts::ApplyFirstFont(box, ToCandidates(candidates));
        QCOMPARE(box.font().pointSizeF(), points);
        const QString shown = QFontInfo(box.font()).family();
        if (family.isEmpty())
            QVERIFY2(Installed(shown) && shown != kMissingB, qPrintable(shown));  // the system's substitute
        else
            QCOMPARE(shown, family);
    }

    // Key events as the platforms deliver them: `key` and the native scan code and
    // virtual key of the A key's place (xkb key code 38, Windows virtual key 'A').
    void selectAllKey_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<quint32>("scanCode");
        QTest::addColumn<quint32>("virtualKey");
        QTest::addColumn<bool>("selectAll");
        const int ctrl = Qt::ControlModifier;
        const int cyrillicEf = 0x424;  // what the A key gives in a Russian layout
        QTest::newRow("Ctrl+A") << "offscreen" << int(Qt::Key_A) << ctrl << 0u << 0u << true;
        QTest::newRow("Ctrl+Shift+A") << "xcb" << int(Qt::Key_A) << int(ctrl | Qt::ShiftModifier) << 38u << 0x41u << false;
        QTest::newRow("Ctrl+Alt+A") << "xcb" << int(Qt::Key_A) << int(ctrl | Qt::AltModifier) << 38u << 0x61u << false;
        QTest::newRow("plain A") << "xcb" << int(Qt::Key_A) << 0 << 38u << 0x61u << false;
        QTest::newRow("Russian layout alone, X11") << "xcb" << cyrillicEf << ctrl << 38u << 0x6c6u << true;
        QTest::newRow("Russian layout alone, Wayland") << "wayland" << cyrillicEf << ctrl << 38u << 0x6c6u << true;
        QTest::newRow("Russian layout alone, Windows") << "windows" << cyrillicEf << ctrl << 0x1Eu << 0x41u << true;
        QTest::newRow("another key's place, X11") << "xcb" << cyrillicEf + 1 << ctrl << 39u << 0x6d9u << false;
        QTest::newRow("scan code 38 is L on Windows") << "windows" << int(Qt::Key_L) << ctrl << 38u << 0x4Cu << false;
    }

    void selectAllKey()
    {
        QFETCH(QString, platform);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(quint32, scanCode);
        QFETCH(quint32, virtualKey);
        QFETCH(bool, selectAll);
        const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), scanCode, virtualKey, 0);
        QCOMPARE(IsSelectAllKey(event, platform), selectAll);
    }

    // Ctrl+A selects all and stops there; the next key reaches the box; a hook given no
    // box takes no keys; a released hook gives Ctrl+A back to the box.
    void selectAllHook()
    {
        QPlainTextEdit box;
        box.setPlainText(QStringLiteral("first line\nsecond line"));
        KeySpy spy(box);
        {
            csTBSelectAllHook none;
            QVERIFY(!none.Init(nullptr));
            QCOMPARE(none.TextBox(), nullptr);
            QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
            QCOMPARE(spy.presses, 1);
        }
        box.moveCursor(QTextCursor::End);
        auto hook = std::make_unique<csTBSelectAllHook>();
        QVERIFY(hook->Init(&box));
        QCOMPARE(hook->TextBox(), &box);
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(spy.presses, 1);
        QCOMPARE(box.textCursor().selectedText(), QString::fromUtf8("first line\u2029second line"));
        QTest::keyClick(&box, Qt::Key_Right);
        QCOMPARE(spy.presses, 2);
        QVERIFY(!box.textCursor().hasSelection());
        hook.reset();
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(spy.presses, 3);
    }
};

QTEST_MAIN(HelpersTest)
#include "tst_helpers.moc"
