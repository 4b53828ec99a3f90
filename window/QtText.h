// Texts and colours at the Qt edge: UTF-16 strings, the text box's line breaks and
// Windows colour values.
#pragma once

#include <QColor>
#include <QString>

#include <cstdint>
#include <string>

QString ToQString(const std::u16string& text);
std::u16string FromQString(const QString& text);

// The text as a Qt text box shows it: every CR LF, and a CR alone, becomes LF.
QString ToDisplayText(const std::u16string& text);

// Windows colour values hold 0x00BBGGRR. Bits above the low 24 are ignored.
QColor ColorFromColorRef(std::int32_t colorRef);
std::int32_t ColorRefFromColor(const QColor& color);
