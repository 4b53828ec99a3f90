// The output box colours: loading from the store, the settings dialog with its colour
// dialog and custom colours, Ok and Cancel.
#include <QAbstractButton>
#include <QAction>
#include <QColorDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "tests/window/WindowTestSupport.h"
#include "window/WindowServices.h"
#include "window/frmMain.h"
#include "window/frmSettings.h"
#include "window/modMain.h"
#include "window/modSettings.h"

using namespace wintest;

namespace {

QColor BoxBack(const frmMain& window)
{
    return window.txtMain->palette().color(QPalette::Base);
}

QColor BoxText(const frmMain& window)
{
    return window.txtMain->palette().color(QPalette::Text);
}

// Picks `color` in the colour dialog and adds `custom` to its custom colours, as a user
// would with "Add to Custom Colors"; or cancels it.
ModalAnswerer::Step AnswerColorDialog(QColor color, QColor custom, bool confirm, std::int32_t* shownColor = nullptr)
{
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<QColorDialog*>(modal);
        if (dialog == nullptr) return;
        if (shownColor != nullptr) *shownColor = ColorRefFromColor(dialog->currentColor());
        if (!confirm) {
            dialog->reject();
            return;
        }
        dialog->setCurrentColor(color);
        QColorDialog::setCustomColor(0, custom);
        dialog->accept();
    };
}

// Clicks one of the settings dialog's colour buttons, which opens the colour dialog.
ModalAnswerer::Step ClickColorButton(ColorButton* frmSettings::*button)
{
    return [button](QWidget* modal) {
        auto* dialog = qobject_cast<frmSettings*>(modal);
        if (dialog != nullptr) Later(dialog, [dialog, button] { (dialog->*button)->click(); });
    };
}

// Closes the settings dialog with "Cancel".
ModalAnswerer::Step CancelSettings()
{
    return [](QWidget* modal) {
        if (auto* dialog = qobject_cast<frmSettings*>(modal)) dialog->cmdCancel->click();
    };
}

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void storedColors_data();
    void storedColors();
    void dialogLayout();
    void okAppliesAndPersists();
    void cancelKeepsColorsButRemembersCustomColors();
    void cancelledColorDialogChangesNothing();
    void enterAndEscape_data();
    void enterAndEscape();

private:
    frmMain* OpenReadyWindow();
    QString PlainFile() const { return scratch_.filePath(QStringLiteral("plain.txt")); }

    QTemporaryDir scratch_;
    std::optional<PrivateSettings> settings_;
};

void SettingsTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void SettingsTest::init()
{
    settings_.emplace();
}

void SettingsTest::cleanup()
{
    DisposeMainWindow();
    settings_.reset();
}

frmMain* SettingsTest::OpenReadyWindow()
{
    return StartWithReport(PlainFile());
}

void SettingsTest::storedColors_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("back");
    QTest::addColumn<int>("fore");
    QTest::newRow("empty store: dark green on bright green") << QByteArray() << 0x4000 << 0xFF00;
    QTest::newRow("stored -1 selects the default") << QByteArray("[Out%20Box]\nBack%20Color=-1\nFore%20Color=-1\n")
                                                   << 0x4000 << 0xFF00;
    QTest::newRow("stored colours") << QByteArray("[Out%20Box]\nBack%20Color=16777215\nFore%20Color=0\n") << 0xFFFFFF
                                    << 0;
    QTest::newRow("text that is no number selects the default, the other colour loads")
        << QByteArray("[Out%20Box]\nBack%20Color=dark blue\nFore%20Color=255\n") << 0x4000 << 255;
    QTest::newRow("blanks around a number") << QByteArray("[Out%20Box]\nBack%20Color=\" 12345 \"\n") << 12345 << 0xFF00;
    QTest::newRow("hexadecimal") << QByteArray("[Out%20Box]\nFore%20Color=&H8000\n") << 0x4000 << 0x8000;
    QTest::newRow("number that is no colour selects the default")
        << QByteArray("[Out%20Box]\nBack%20Color=16777216\nFore%20Color=-2\n") << 0x4000 << 0xFF00;
    QTest::newRow("too large for 32 bits selects the default") << QByteArray("[Out%20Box]\nBack%20Color=99999999999\n")
                                                               << 0x4000 << 0xFF00;
}

void SettingsTest::storedColors()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, back);
    QFETCH(int, fore);
    if (!ini.isEmpty()) settings_->WriteIni(ini);
    modMain::CommandLineFile = PlainFile().toStdU16String();
    frmMain& window = frmMain::Instance();
    QCOMPARE(modSettings::OutBoxBackColor, back);
    QCOMPARE(modSettings::OutBoxForeColor, fore);
    QCOMPARE(BoxBack(window), ColorFromColorRef(back));
    QCOMPARE(BoxText(window), ColorFromColorRef(fore));
}

void SettingsTest::dialogLayout()
{
    frmSettings dialog(nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Settings"));
    QCOMPARE(dialog.size(), QSize(401, 85));
    // No window icon: its picture is fully transparent.
    const QImage icon = dialog.windowIcon().pixmap(QSize(16, 16)).toImage();
    QVERIFY(!icon.isNull());
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) QCOMPARE(icon.pixelColor(x, y).alpha(), 0);
    struct Control {
        QWidget* widget;
        QRect geometry;
        const char* tip;
    };
    const Control controls[] = {
        {dialog.cmdOutBoxForeColor, QRect(116, 8, 133, 29), " Text color "},
        {dialog.cmdOutBoxBackColor, QRect(256, 8, 137, 29), " Background color "},
        {dialog.cmdOk, QRect(200, 48, 93, 29), ""},
        {dialog.cmdCancel, QRect(300, 48, 93, 29), ""},
        {dialog.shpBack, QRect(-4, -8, 149, 265), ""},
    };
    for (const Control& c : controls) {
        QVERIFY2(c.widget->geometry() == c.geometry, c.tip);
        QCOMPARE(c.widget->toolTip(), QString::fromLatin1(c.tip));
    }
    QCOMPARE(dialog.lblTag->text(), QStringLiteral("Text out colors"));
    QCOMPARE(dialog.lblTag->pos(), QPoint(8, 12));
    QVERIFY(dialog.lblTag->geometry().right() < dialog.cmdOutBoxForeColor->x());
    QCOMPARE(dialog.cmdOk->text(), QStringLiteral("Ok"));
    QCOMPARE(dialog.cmdCancel->text(), QStringLiteral("Cancel"));
    QVERIFY(dialog.cmdOk->isDefault());
    QVERIFY(dialog.cmdOutBoxForeColor->text().isEmpty());
    // Tab order: text colour, background colour, Ok, Cancel.
    QCOMPARE(dialog.cmdOutBoxForeColor->nextInFocusChain(), static_cast<QWidget*>(dialog.cmdOutBoxBackColor));
    QCOMPARE(dialog.cmdOutBoxBackColor->nextInFocusChain(), static_cast<QWidget*>(dialog.cmdOk));
    QCOMPARE(dialog.cmdOk->nextInFocusChain(), static_cast<QWidget*>(dialog.cmdCancel));
    // The colour buttons show the colours in use.
    QCOMPARE(dialog.cmdOutBoxBackColor->BackColor(), modSettings::OutBoxBackColor);
    QCOMPARE(dialog.cmdOutBoxForeColor->BackColor(), modSettings::OutBoxForeColor);
}

void SettingsTest::okAppliesAndPersists()
{
    frmMain* window = OpenReadyWindow();
    QVERIFY(window != nullptr);
    ModalAnswerer answerer;
    std::int32_t shownInColorDialog = -1;
    answerer.Then(ClickColorButton(&frmSettings::cmdOutBoxForeColor));
    answerer.Then(AnswerColorDialog(QColor(255, 0, 0), QColor(1, 2, 3), true, &shownInColorDialog));
    answerer.Then([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<frmSettings*>(modal)) {
            if (dialog->cmdOutBoxForeColor->BackColor() == 0x0000FF) dialog->cmdOk->click();
            else dialog->cmdCancel->click();
        }
    });
    window->mnuTools.at(1)->trigger();
    QVERIFY(answerer.AllAnswered());
    QCOMPARE(answerer.Unexpected(), 0);
    QCOMPARE(shownInColorDialog, 0xFF00);

    QCOMPARE(modSettings::OutBoxForeColor, 0x0000FF);
    QCOMPARE(modSettings::OutBoxBackColor, 0x4000);
    QCOMPARE(BoxText(*window), QColor(255, 0, 0));
    QCOMPARE(BoxBack(*window), QColor(0, 64, 0));
    // Stored at once by "Ok", not only when the window closes.
    QCOMPARE(settings_->Value(QStringLiteral("Out Box/Fore Color")), QStringLiteral("255"));
    QCOMPARE(settings_->Value(QStringLiteral("Out Box/Back Color")), QStringLiteral("16384"));
    QVERIFY(settings_->Value(QStringLiteral("Colors/Custom Colors")).startsWith(QStringLiteral("197121,")));

    // The next start uses the new colours.
    DisposeMainWindow();
    modSettings::OutBoxForeColor = 0;
    frmMain* next = StartProgram({PlainFile()});
    QVERIFY(next != nullptr);
    QCOMPARE(BoxText(*next), QColor(255, 0, 0));
}

void SettingsTest::cancelKeepsColorsButRemembersCustomColors()
{
    frmMain* window = OpenReadyWindow();
    QVERIFY(window != nullptr);
    {
        ModalAnswerer answerer;
        answerer.Then(ClickColorButton(&frmSettings::cmdOutBoxBackColor));
        answerer.Then(AnswerColorDialog(QColor(0, 0, 128), QColor(9, 8, 7), true));
        answerer.Then(CancelSettings());
        window->mnuTools.at(1)->trigger();
        QVERIFY(answerer.AllAnswered());
        QCOMPARE(answerer.Unexpected(), 0);
    }

    QCOMPARE(modSettings::OutBoxBackColor, 0x4000);
    QCOMPARE(BoxBack(*window), QColor(0, 64, 0));
    QVERIFY(settings_->Value(QStringLiteral("Out Box/Back Color")).isEmpty());
    // 0x00070809 = 460809.
    const QString custom = settings_->Value(QStringLiteral("Colors/Custom Colors"));
    QVERIFY2(custom.startsWith(QStringLiteral("460809,")), qPrintable(custom));

    // The next colour dialog starts with the remembered custom colours.
    QColorDialog::setCustomColor(0, Qt::white);
    QColor firstCustom;
    ModalAnswerer again;
    again.Then(ClickColorButton(&frmSettings::cmdOutBoxForeColor));
    again.Then([&](QWidget* modal) {
        firstCustom = QColorDialog::customColor(0);
        if (auto* dialog = qobject_cast<QColorDialog*>(modal)) dialog->reject();
    });
    again.Then(CancelSettings());
    window->mnuTools.at(1)->trigger();
    QVERIFY(again.AllAnswered());
    QCOMPARE(again.Unexpected(), 0);
    QCOMPARE(firstCustom, QColor(9, 8, 7));
}

void SettingsTest::cancelledColorDialogChangesNothing()
{
    settings_->WriteIni("[Colors]\nCustom%20Colors=\"1,2,3\"\n");
    frmMain* window = OpenReadyWindow();
    QVERIFY(window != nullptr);
    ModalAnswerer answerer;
    std::int32_t buttonAfter = -1;
    answerer.Then(ClickColorButton(&frmSettings::cmdOutBoxForeColor));
    answerer.Then(AnswerColorDialog(QColor(), QColor(), false));
    answerer.Then([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<frmSettings*>(modal)) {
            buttonAfter = dialog->cmdOutBoxForeColor->BackColor();
            dialog->cmdOk->click();
        }
    });
    window->mnuTools.at(1)->trigger();
    QVERIFY(answerer.AllAnswered());
    QCOMPARE(buttonAfter, 0xFF00);
    QCOMPARE(modSettings::OutBoxForeColor, 0xFF00);
    QCOMPARE(settings_->Value(QStringLiteral("Colors/Custom Colors")), QStringLiteral("1,2,3"));
}

void SettingsTest::enterAndEscape_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("stored");
    QTest::newRow("Enter acts as Ok") << int(Qt::Key_Return) << true;
    QTest::newRow("Escape acts as Cancel") << int(Qt::Key_Escape) << false;
}

void SettingsTest::enterAndEscape()
{
    QFETCH(int, key);
    QFETCH(bool, stored);
    frmMain* window = OpenReadyWindow();
    QVERIFY(window != nullptr);
    ModalAnswerer answerer;
    answerer.Then(ClickColorButton(&frmSettings::cmdOutBoxBackColor));
    answerer.Then(AnswerColorDialog(QColor(0x12, 0x34, 0x56), QColor(255, 255, 255), true));
    answerer.Then([&](QWidget* modal) {
        // The focus rests on a colour button; the key still means Ok or Cancel.
        if (auto* dialog = qobject_cast<frmSettings*>(modal))
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, static_cast<Qt::Key>(key));
    });
    window->mnuTools.at(1)->trigger();
    QVERIFY(answerer.AllAnswered());
    QCOMPARE(answerer.Unexpected(), 0);
    const std::int32_t picked = 0x563412;
    QCOMPARE(modSettings::OutBoxBackColor, stored ? picked : 0x4000);
    QCOMPARE(BoxBack(*window), ColorFromColorRef(stored ? picked : 0x4000));
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
