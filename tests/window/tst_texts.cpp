// The window program's text builders: caption, application name, version tag, save
// dialog filters, the custom-colour text form and the conversions at the Qt edge.
#include <QTest>

#include "console/modFormatVersion.h"
#include "window/WindowServices.h"
#include "window/modAppWindowTitle.h"

class TextsTest : public QObject {
    Q_OBJECT

private slots:
    void appNameFromTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QString>("expected");
        QTest::newRow("shipped title") << "Quovix - Tag Scope" << "" << "" << "Tag Scope";
        QTest::newRow("title without the prefix is used whole") << "Tag Scope" << "" << "" << "Tag Scope";
        QTest::newRow("every occurrence goes") << "Quovix - A Quovix - B" << "" << "" << "A B";
        QTest::newRow("case matters") << "quovix - Tag Scope" << "" << "" << "quovix - Tag Scope";
        QTest::newRow("one pass: joined remainder stays") << "QuoQuovix - vix - X" << "" << "" << "Quovix - X";
        QTest::newRow("given name wins") << "Quovix - Tag Scope" << "Other" << "" << "Other";
        QTest::newRow("extra appended") << "Quovix - Tag Scope" << "" << "Beta" << "Tag Scope :: Beta";
    }

    void appNameFromTitle()
    {
        QFETCH(QString, title);
        QFETCH(QString, name);
        QFETCH(QString, extra);
        QFETCH(QString, expected);
        using modAppWindowTitle::GetAppNameFromTitle;
        QCOMPARE(ToQString(GetAppNameFromTitle(FromQString(title), FromQString(name), FromQString(extra))), expected);
    }

    void windowTitle_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<bool>("enDash");
        QTest::addColumn<bool>("shortName");
        QTest::addColumn<QString>("expected");
        // A path and an empty one: tst_frmMain's caption test.
        QTest::newRow("hyphen") << "/x/y" << false << true << "y - Tag Scope";
        QTest::newRow("whole document") << "/x/y" << true << false << QString::fromUtf8("/x/y \u2013 Tag Scope");
        QTest::newRow("trailing separator names the folder") << "/mnt/ntfs/junction/" << true << true
                                                             << QString::fromUtf8("junction \u2013 Tag Scope");
        QTest::newRow("root shows whole") << "/" << true << true << QString::fromUtf8("/ \u2013 Tag Scope");
    }

    void windowTitle()
    {
        QFETCH(QString, document);
        QFETCH(bool, enDash);
        QFETCH(bool, shortName);
        QFETCH(QString, expected);
        using modAppWindowTitle::GetWindowTitle;
        QCOMPARE(ToQString(GetWindowTitle(u"", u"", FromQString(document), u"Untitled", enDash, shortName)), expected);
    }

    void versionTag_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("processor");
        QTest::addColumn<QString>("expected");
        QTest::newRow("shipped") << 1 << 0 << 19 << "x86" << "v.1.0.19 x86";
        QTest::newRow("no leading zeros") << 1 << 0 << 5 << "x86" << "v.1.0.5 x86";
        QTest::newRow("three-digit minor") << 2 << 123 << 4567 << "x64" << "v.2.123.4567 x64";
    }

    void versionTag()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, processor);
        QFETCH(QString, expected);
        const std::u16string word = FromQString(processor);
        const auto tag = modFormatVersion::GetAppVersionTag(static_cast<std::int16_t>(major),
                                                            static_cast<std::int16_t>(minor),
                                                            static_cast<std::int16_t>(revision), word);
        QCOMPARE(ToQString(tag), expected);
        // This build's tag: its own version and the processor it was built for.
        const QString own = ToQString(modFormatVersion::GetAppVersionTag());
        QVERIFY2(own.startsWith(QStringLiteral("v.1.0.19 ")), qPrintable(own));
        QCOMPARE(own.mid(9), ToQString(std::u16string(modFormatVersion::GetBuildProcessorName())));
#if defined(__x86_64__)
        QCOMPARE(own, QStringLiteral("v.1.0.19 x64"));
#endif
    }

    void nameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("text") << "Text files|*.TXT|All files|*.*"
                              << QStringList{"Text files (*.TXT)", "All files (*)"};
        QTest::newRow("binary") << "Binary files|*.BIN|All files|*.*"
                                << QStringList{"Binary files (*.BIN)", "All files (*)"};
        QTest::newRow("several patterns") << "Logs|*.log;*.txt" << QStringList{"Logs (*.log *.txt)"};
        QTest::newRow("description without pattern dropped") << "Text files|*.TXT|Orphan"
                                                             << QStringList{"Text files (*.TXT)"};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void nameFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(FileDialog::QtNameFilters(FromQString(filter)), expected);
    }

    void customColorsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString white = QString::number(0xFFFFFF);
        QStringList allWhite;
        for (int i = 0; i < 16; ++i) allWhite << white;
        QTest::newRow("empty store") << "" << allWhite.join(u',');
        QStringList some = allWhite;
        some[0] = "255";
        some[1] = "0";
        some[15] = "16384";
        QTest::newRow("round trip") << some.join(u',') << some.join(u',');
        QStringList bad = allWhite;
        bad[2] = "65280";
        QTest::newRow("malformed and out-of-range entries become white")
            << "abc, -1 ,65280,16777216" << bad.join(u',');
        QStringList spaced = allWhite;
        spaced[0] = "1";
        spaced[1] = "2";
        QTest::newRow("blanks around entries") << " 1 , 2 " << spaced.join(u',');
        QStringList many;
        for (int i = 0; i < 20; ++i) many << QString::number(i);
        QTest::newRow("entries after the 16th ignored") << many.join(u',') << many.mid(0, 16).join(u',');
    }

    void customColorsText()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        CustomColors colors;
        colors.LoadFromText(FromQString(text));
        QCOMPARE(ToQString(colors.ToText()), expected);
    }

    void colorRefs()
    {
        // 0x00BBGGRR: the dark green and bright green defaults, and blue.
        QCOMPARE(ColorFromColorRef(0x4000), QColor(0, 64, 0));
        QCOMPARE(ColorFromColorRef(0xFF00), QColor(0, 255, 0));
        QCOMPARE(ColorFromColorRef(0xFF0000), QColor(0, 0, 255));
        QCOMPARE(ColorRefFromColor(QColor(1, 2, 3)), 0x030201);
        QCOMPARE(ColorRefFromColor(ColorFromColorRef(0x123456)), 0x123456);
    }

    void displayText()
    {
        QCOMPARE(ToDisplayText(u"a\r\n\r\nb\rc\nd"), QStringLiteral("a\n\nb\nc\nd"));
        QCOMPARE(FromDisplayText(QStringLiteral("a\n\nb")), std::u16string(u"a\r\n\r\nb"));
        const std::u16string report = u"File name: /x\r\n\r\nReparse tag: \u2022 Value";
        QCOMPARE(FromDisplayText(ToDisplayText(report)), report);
    }
};

QTEST_GUILESS_MAIN(TextsTest)
#include "tst_texts.moc"
