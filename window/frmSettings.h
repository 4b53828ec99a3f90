// The settings dialog: the output box's text and background colours on two colour buttons.
#pragma once

#include <QDialog>
#include <QPushButton>

#include <cstdint>

class QLabel;
class QPainter;

// A push button whose face shows a colour (0x00BBGGRR) instead of a caption.
class ColorButton : public QPushButton {
public:
    explicit ColorButton(QWidget* parent);

    std::int32_t BackColor() const { return backColor_; }
    void SetBackColor(std::int32_t colorRef);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::int32_t backColor_ = 0;
};

class frmSettings : public QDialog {
    Q_OBJECT

public:
    // A modal dialog owned by `owner`; loaded (centred, colours on the buttons) at once.
    explicit frmSettings(QWidget* owner);

    // The colours in use onto the buttons; a step that fails is skipped.
    void LoadColors();
    // The buttons' colours into the colours in use; `ok` becomes true.
    void StoreColors(bool& ok);
    void cmdCancel_Click();
    void cmdOk_Click();
    void cmdOutBoxBackColor_Click();
    void cmdOutBoxForeColor_Click();
    // Lets the user pick the button's colour in the colour dialog, whose custom colours
    // come from "Colors"/"Custom Colors" and go back there as soon as a colour is chosen.
    // A cancelled colour dialog changes nothing.
    void PickColor(ColorButton& button);
    void Form_Load();
    void Form_Paint(QPainter& painter);

    QWidget* shpBack = nullptr;
    QLabel* lblTag = nullptr;  // index 2 of its control array
    ColorButton* cmdOutBoxForeColor = nullptr;
    ColorButton* cmdOutBoxBackColor = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Escape and the close box come here: the same as "Cancel".
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
