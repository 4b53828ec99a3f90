// The program's icons and the painted background of its forms.
#pragma once

#include <string>

class QIcon;
class QPainter;
class QWidget;

// The icon group of the program's resources ("A_MAIN": 48x48, 32x32 and 16x16); an empty icon
// for an unknown group.
QIcon ResIcon(const std::u16string& group);
// Sets the icon group on the window, or with no window as the default of every window.
void asSetWindowResIconAll(QWidget* window, const std::u16string& group);
// Paints the form's background: a soft shade of its window colour.
void asPaintDesktop2(QWidget& form, QPainter& painter);
