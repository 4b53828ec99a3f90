// The window program's pure pieces: the options of both programs and their help texts,
// the caption, the version tag, save dialog filters, the custom-colour text form and the
// recent-entries list.
#include <QFile>
#include <QTest>

#include "console/CommandLineOptions.h"
#include "console/modFormatVersion.h"
#include "window/Dialogs.h"
#include "window/QtText.h"
#include "window/modAppWindowTitle.h"
#include "window/modRecentEntries.h"

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

}  // namespace

class TextsTest : public QObject {
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
        for (const bool window : {false, true}) {
            const QString exe = window ? QStringLiteral("Tagscope") : QStringLiteral("TagscopeC");
            QFile file(QFINDTESTDATA((window ? "expected/help-" : "../e2e/expected/help-") + exe + ".txt"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString expected = QString::fromUtf8(file.readAll()).trimmed();
            QCOMPARE(ToDisplayText(CommandLineOptions::HelpText(FromQString(exe), window)), expected);
        }
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

    void nameFilters()
    {
        QCOMPARE(FileDialog::QtNameFilters(u"Text files|*.TXT|All files|*.*"),
                 (QStringList{"Text files (*.TXT)", "All files (*)"}));
        QCOMPARE(FileDialog::QtNameFilters(u"Logs|*.log;*.txt|Orphan"), QStringList{"Logs (*.log *.txt)"});
        QCOMPARE(FileDialog::QtNameFilters(u""), QStringList{});
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
};

QTEST_GUILESS_MAIN(TextsTest)
#include "tst_texts.moc"
