// The output box's zoom: points added to its font, kept in the settings.
#pragma once

class QPlainTextEdit;

class OutputZoom {
public:
    // Zooms `box`, which must outlive this object.
    explicit OutputZoom(QPlainTextEdit& box) : box_(box) {}

    // Takes the stored steps ("Out Box", "Zoom"; 0 when none), clamped to the allowed
    // range. Errors of the settings store reach the caller.
    void LoadSteps();
    // The box's font as it is set now is its normal size; applies the steps to it.
    void TakeNormalFont();

    int Steps() const { return steps_; }
    // `steps` points more than the normal size (0: the normal size), clamped; the font
    // never gets smaller than 4 points. Remembered as far as the settings can be written.
    void Zoom(int steps);

private:
    void Apply();

    QPlainTextEdit& box_;
    int steps_ = 0;
    double normalPoints_ = 0;  // 0 until the box's font is known
};
