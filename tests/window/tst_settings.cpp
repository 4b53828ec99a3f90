// The output box colours: from the store, and through the settings and colour dialogs.
#include <QAction>
#include <QColorDialog>
#include <QDir>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include "tests/window/WindowTestSupport.h"
#include "window/QtText.h"
#include "window/frmMain.h"
#include "window/frmSettings.h"
#include "window/modMain.h"
#include "window/modSettings.h"

using namespace wintest;

namespace {

QColor BoxColor(frmMain& window, bool text)
{
    return Controls(&window).txtMain->palette().color(text ? QPalette::Text : QPalette::Base);
}

// Notes the colour the colour dialog starts with (when asked), then picks `color` and
// adds `custom` to its custom colours, as a user would with "Add to Custom Colors".
Step AnswerColorDialog(QColor color, QColor custom, std::int32_t* shownColor = nullptr)
{
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<QColorDialog*>(modal);
        if (dialog == nullptr) return;
        if (shownColor != nullptr) *shownColor = ColorRefFromColor(dialog->currentColor());
        dialog->setCurrentColor(color);
        QColorDialog::setCustomColor(0, custom);
        dialog->accept();
    };
}

// Clicks one of the settings dialog's colour buttons, which opens the colour dialog.
Step ClickColorButton(ColorButton* frmSettings::*button)
{
    return [button](QWidget* modal) {
        auto* dialog = qobject_cast<frmSettings*>(modal);
        if (dialog != nullptr) QTimer::singleShot(0, dialog, [dialog, button] { (dialog->*button)->click(); });
    };
}

// Closes the settings dialog: "ok" and "cancel" click the buttons; "enter" presses the key
// where the focus rests.
Step CloseSettings(const QString& how)
{
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<frmSettings*>(modal);
        if (dialog == nullptr) return;
        // Once this step has returned: Ok may open an error box, which the next step answers.
        QTimer::singleShot(0, dialog, [dialog, how] {
            if (how == u"ok" || how == u"cancel")
                (how == u"ok" ? dialog->cmdOk : dialog->cmdCancel)->click();
            else
                QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Return);
        });
    };
}

}  // namespace

class SettingsTest : public WindowTest {
    Q_OBJECT

private slots:
    void storedColors_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("back");
        QTest::addColumn<int>("fore");
        QTest::newRow("stored -1 selects the default, a stored colour loads")
            << QByteArray("[Out%20Box]\nBack%20Color=-1\nFore%20Color=0\n") << 0x4000 << 0;
        QTest::newRow("text that is no number selects the default")
            << QByteArray("[Out%20Box]\nBack%20Color=dark blue\nFore%20Color=&H8000\n") << 0x4000 << 0x8000;
        QTest::newRow("number that is no colour selects the default")
            << QByteArray("[Out%20Box]\nBack%20Color=16777216\nFore%20Color=99999999999\n") << 0x4000 << 0xFF00;
    }

    void storedColors()
    {
        QFETCH(QByteArray, ini);
        QFETCH(int, back);
        QFETCH(int, fore);
        settings_->WriteIni(ini);
        modMain::CommandLineFile = PlainFile().toStdU16String();
        frmMain& window = frmMain::Instance();
        QCOMPARE(BoxColor(window, false), ColorFromColorRef(back));
        QCOMPARE(BoxColor(window, true), ColorFromColorRef(fore));
    }

    // A colour picked on one button, the settings dialog then closed in each way.
    void pickAndClose_data()
    {
        QTest::addColumn<bool>("text");  // the text colour's button, else the background's
        QTest::addColumn<QColor>("picked");
        QTest::addColumn<int>("pickedRef");
        QTest::addColumn<QColor>("custom");
        QTest::addColumn<QString>("customRef");
        QTest::addColumn<QString>("close");
        QTest::newRow("Ok applies and persists")
            << true << QColor(255, 0, 0) << 0x0000FF << QColor(1, 2, 3) << "197121" << "ok";
        QTest::newRow("Cancel keeps the colours but remembers the custom colours")
            << false << QColor(0, 0, 128) << 0x800000 << QColor(9, 8, 7) << "460809" << "cancel";
        QTest::newRow("Enter acts as Ok")
            << false << QColor(0x12, 0x34, 0x56) << 0x563412 << QColor(4, 5, 6) << "394500" << "enter";
    }

    void pickAndClose()
    {
        QFETCH(bool, text);
        QFETCH(QColor, picked);
        QFETCH(int, pickedRef);
        QFETCH(QColor, custom);
        QFETCH(QString, customRef);
        QFETCH(QString, close);
        const bool applied = close == u"ok" || close == u"enter";
        ColorButton* frmSettings::*button = text ? &frmSettings::cmdOutBoxForeColor : &frmSettings::cmdOutBoxBackColor;
        const int before = text ? 0xFF00 : 0x4000;
        const QString key = text ? QStringLiteral("Out Box/Fore Color") : QStringLiteral("Out Box/Back Color");
        frmMain* window = StartWithReport(PlainFile());
        QVERIFY(window != nullptr);
        std::int32_t shownInColorDialog = -1;
        QVERIFY(Answer({ClickColorButton(button), AnswerColorDialog(picked, custom, &shownInColorDialog),
                        CloseSettings(close)},
                       [&] { Controls(window).mnuTools.Settings->trigger(); }));
        QCOMPARE(shownInColorDialog, before);
        QCOMPARE(BoxColor(*window, text), ColorFromColorRef(applied ? pickedRef : before));
        // Stored at once by Ok, not only when the window closes; Cancel stores no colour.
        QCOMPARE(settings_->Value(key), applied ? QString::number(pickedRef) : QString());
        // The custom colours are remembered either way.
        QVERIFY(settings_->Value(QStringLiteral("Colors/Custom Colors")).startsWith(customRef + u','));
    }

    // Ok that cannot store the colours keeps the dialog open with an error; Cancel then
    // leaves the colours as they were.
    void okThatCannotStoreThenCancel()
    {
        frmMain* window = StartWithReport(PlainFile());
        QVERIFY(window != nullptr);
        // A plain file where the settings folder belongs.
        const QString folder = settings_->IniFile().section(u'/', 0, -2);
        QVERIFY(QDir(folder).removeRecursively() && WriteAll(folder, "not a folder"));
        BoxSeen error;
        QVERIFY(Answer({ClickColorButton(&frmSettings::cmdOutBoxBackColor), AnswerColorDialog(Qt::red, Qt::red),
                        CloseSettings(QStringLiteral("ok")), AnswerBox(QMessageBox::Ok, &error),
                        CloseSettings(QStringLiteral("cancel"))},
                       [&] { Controls(window).mnuTools.Settings->trigger(); }));
        QCOMPARE(error.details, QStringLiteral("Error 75 (SettingsStore)"));
        QCOMPARE(modSettings::OutBoxBackColor, 0x4000);
        QCOMPARE(BoxColor(*window, false), QColor(0, 64, 0));
    }
};

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
