// The menu bar's right-justified part.
#pragma once

class QMenuBar;

// From top-level `position` (counted from 0) on, the menu bar's items stand at its right
// end. Only the first call on a menu bar has an effect.
void esSetMenuJustify(QMenuBar& menuBar, int position, bool justify);
