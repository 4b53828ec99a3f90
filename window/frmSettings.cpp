// The settings dialog: the output box's text and background colours on two colour buttons.
#include "window/frmSettings.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

#include "window/Dialogs.h"
#include "window/Icons.h"
#include "window/QtText.h"
#include "window/SettingsStore.h"
#include "window/modSettings.h"

using namespace Hollin0106;

namespace {

// The dialog's layout is given in twips; 15 twips make one pixel.
constexpr int Px(int twips)
{
    return twips / 15;
}

QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

constexpr char16_t kColorsSection[] = u"Colors";
constexpr char16_t kCustomColorsKey[] = u"Custom Colors";

}  // namespace

// ---- Colour button ---------------------------------------------------------------------

ColorButton::ColorButton(QWidget* parent) : QPushButton(parent) {}

void ColorButton::SetBackColor(std::int32_t colorRef)
{
    backColor_ = colorRef;
    update();
}

void ColorButton::paintEvent(QPaintEvent* /*event*/)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    const QRect face = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(2, 2, -2, -2);
    painter.fillRect(face, ColorFromColorRef(backColor_));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(face.adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = face.adjusted(-2, -2, 2, 2);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

// ---- Dialog ------------------------------------------------------------------------------

frmSettings::frmSettings(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(QStringLiteral("Settings"));
    setWindowModality(Qt::ApplicationModal);
    setFont(QFont(QStringLiteral("Tahoma"), 9));
    setFixedSize(Px(6015), Px(1275));

    shpBack = new QWidget(this);
    shpBack->setGeometry(TwipsRect(-60, -120, 2235, 3975));
    shpBack->setAutoFillBackground(true);
    QPalette face = shpBack->palette();
    face.setColor(QPalette::Window, palette().color(QPalette::Button));
    shpBack->setPalette(face);

    lblTag = new QLabel(QStringLiteral("Text out colors"), this);
    QRect label = TwipsRect(120, 180, 1260, 210);
    // Room for the caption in the font actually used, up to the first colour button.
    const int roomy = std::min(lblTag->sizeHint().width(), Px(1740) - label.left() - 4);
    label.setWidth(std::max(label.width(), roomy));
    label.setHeight(std::max(label.height(), lblTag->sizeHint().height()));
    lblTag->setGeometry(label);

    cmdOutBoxForeColor = new ColorButton(this);
    cmdOutBoxForeColor->setGeometry(TwipsRect(1740, 120, 1995, 435));
    cmdOutBoxForeColor->setToolTip(QStringLiteral(" Text color "));
    cmdOutBoxForeColor->setAccessibleName(QStringLiteral("Text color"));

    cmdOutBoxBackColor = new ColorButton(this);
    cmdOutBoxBackColor->setGeometry(TwipsRect(3840, 120, 2055, 435));
    cmdOutBoxBackColor->setToolTip(QStringLiteral(" Background color "));
    cmdOutBoxBackColor->setAccessibleName(QStringLiteral("Background color"));

    cmdOk = new QPushButton(QStringLiteral("Ok"), this);
    cmdOk->setGeometry(TwipsRect(3000, 720, 1395, 435));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setGeometry(TwipsRect(4500, 720, 1395, 435));

    // Enter means "Ok" wherever the focus is: no other button becomes the default when
    // it takes the focus.
    for (QPushButton* button : {static_cast<QPushButton*>(cmdOutBoxForeColor),
                                static_cast<QPushButton*>(cmdOutBoxBackColor), cmdCancel})
        button->setAutoDefault(false);
    cmdOk->setAutoDefault(true);
    cmdOk->setDefault(true);

    shpBack->lower();
    setTabOrder(cmdOutBoxForeColor, cmdOutBoxBackColor);
    setTabOrder(cmdOutBoxBackColor, cmdOk);
    setTabOrder(cmdOk, cmdCancel);
    cmdOutBoxForeColor->setFocus();

    connect(cmdOutBoxForeColor, &QPushButton::clicked, this,
            [this] { RunReportingErrors(this, u"Can't pick the text color.", [this] { cmdOutBoxForeColor_Click(); }); });
    connect(cmdOutBoxBackColor, &QPushButton::clicked, this, [this] {
        RunReportingErrors(this, u"Can't pick the background color.", [this] { cmdOutBoxBackColor_Click(); });
    });
    connect(cmdOk, &QPushButton::clicked, this,
            [this] { RunReportingErrors(this, u"Can't store the colors.", [this] { cmdOk_Click(); }); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    Form_Load();
}

void frmSettings::Form_Load()
{
    esCenterFormEx(*this, 0);
    // No window icon: a transparent picture stands in for the program's default one.
    QPixmap none(16, 16);
    none.fill(Qt::transparent);
    setWindowIcon(QIcon(none));
    LoadColors();
}

void frmSettings::Form_Paint(QPainter& painter)
{
    asPaintDesktop2(*this, painter);
}

void frmSettings::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    Form_Paint(painter);
}

void frmSettings::LoadColors()
{
    try {
        cmdOutBoxBackColor->SetBackColor(modSettings::OutBoxBackColor);
    } catch (...) {
    }
    try {
        cmdOutBoxForeColor->SetBackColor(modSettings::OutBoxForeColor);
    } catch (...) {
    }
}

void frmSettings::StoreColors(bool& ok)
{
    modSettings::OutBoxBackColor = cmdOutBoxBackColor->BackColor();
    modSettings::OutBoxForeColor = cmdOutBoxForeColor->BackColor();
    ok = true;
}

void frmSettings::cmdOk_Click()
{
    // The new colours count only once they are stored: when the store fails they go back,
    // so that Cancel after the error leaves the colours as they were.
    const std::int32_t back = modSettings::OutBoxBackColor;
    const std::int32_t fore = modSettings::OutBoxForeColor;
    bool ok = false;
    StoreColors(ok);
    if (!ok) return;
    try {
        modSettings::SaveSettings();
    } catch (...) {
        modSettings::OutBoxBackColor = back;
        modSettings::OutBoxForeColor = fore;
        throw;
    }
    accept();
}

void frmSettings::cmdCancel_Click()
{
    QDialog::reject();
}

void frmSettings::reject()
{
    cmdCancel_Click();
}

void frmSettings::cmdOutBoxBackColor_Click()
{
    PickColor(*cmdOutBoxBackColor);
}

void frmSettings::cmdOutBoxForeColor_Click()
{
    PickColor(*cmdOutBoxForeColor);
}

void frmSettings::PickColor(ColorButton& button)
{
    ColorDialog dialog;
    dialog.Color = button.BackColor();
    dialog.Owner = this;
    SettingsStore store;
    dialog.Custom.LoadFromText(
        store.ReadValue(kColorsSection, kCustomColorsKey, SettingsStore::vkText, Variant(u"")).toString());
    if (!dialog.Show()) return;
    button.SetBackColor(dialog.Color);
    StoreBestEffort([&] {
        store.WriteValue(kColorsSection, kCustomColorsKey, SettingsStore::vkText, Variant(dialog.Custom.ToText()));
    });
}
