// The output box's font: the first installed font of a fixed list of monospaced fonts.
#include "window/modTextBoxFonts.h"

#include <QFont>
#include <QFontInfo>
#include <QWidget>

#include <cmath>

#include <Hollin0106/AutomationError.h>
#include "window/QtText.h"

using namespace Hollin0106;

namespace modTextBoxFonts {

std::vector<Variant> OutBoxFontCandidates(bool flag)
{
    if (flag) {
        return {Variant(u"Consolas"),    Variant(11.0), Variant(u"Andale Mono"), Variant(10.0),
                Variant(u"Courier New"), Variant(10.0), Variant(u"Courier"),     Variant(10.0)};
    }
    return {Variant(u"PT Mono"),     Variant(10.0), Variant(u"Consolas"),    Variant(11.0), Variant(u"Andale Mono"),
            Variant(10.0),           Variant(u"Courier New"), Variant(10.0), Variant(u"Courier"), Variant(10.0)};
}

void SetOutBoxFont(QWidget& textBox, bool flag)
{
    ApplyFirstFont(textBox, OutBoxFontCandidates(flag));
}

void ApplyFirstFont(QWidget& textBox, const std::vector<Variant>& candidates)
{
    if (candidates.empty() || candidates.size() % 2 != 0) return;
    for (std::size_t i = 0; i < candidates.size(); i += 2) {
        try {
            if (TrySetFont(textBox, candidates[i].toString(), candidates[i + 1].toDouble())) return;
        } catch (const AutomationError&) {
            // A pair whose name or size does not convert is not a font; try the next one.
        }
    }
}

bool TrySetFont(QWidget& textBox, const std::u16string& name, double points)
{
    QFont font = textBox.font();
    font.setFamily(ToQString(name));
    textBox.setFont(font);
    // The font actually matched tells whether the wanted one is installed.
    const QString matched = QFontInfo(textBox.font()).family();
    if (matched.toUpper() != ToQString(name).toUpper()) return false;
    const double rounded = std::round(points * 10000.0) / 10000.0;
    if (rounded > 0) font.setPointSizeF(rounded);
    textBox.setFont(font);
    return true;
}

}  // namespace modTextBoxFonts
