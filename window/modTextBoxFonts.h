// The output box's font: the first installed font of a fixed list of monospaced fonts.
#pragma once

#include <string>
#include <vector>

#include <Hollin0106/Variant.h>

class QWidget;

namespace modTextBoxFonts {

// The candidates of SetOutBoxFont, alternating font name and point size. With `flag`
// false: PT Mono 10, Consolas 11, Andale Mono 10, Courier New 10, Courier 10; with `flag`
// true: Consolas 11, Andale Mono 10, Courier New 10, Courier 10.
std::vector<Hollin0106::Variant> OutBoxFontCandidates(bool flag);

// Applies the first installed font of the list for `flag` to the text box.
void SetOutBoxFont(QWidget& textBox, bool flag);

// Tries the (name, size) pairs of `candidates` in order and stops at the first one that
// TrySetFont applies. A list that is empty or has an odd number of entries changes
// nothing. When no pair applies, the box keeps its size and carries the family the system
// substituted on the last attempt.
void ApplyFirstFont(QWidget& textBox, const std::vector<Hollin0106::Variant>& candidates);

// Sets the family `name` on the box's font and checks, without regard to case, that the
// font actually matched has that family: false when the system substituted another one
// (the substitute stays set). On a match sets the size `points` (rounded to 1/10000 pt) and
// returns true.
bool TrySetFont(QWidget& textBox, const std::u16string& name, double points);

}  // namespace modTextBoxFonts
