// The menu bar's right-justified part.
#include "window/MenuBar.h"

#include <QAction>
#include <QMenuBar>
#include <QProxyStyle>

namespace {

// Menu bars lay out the items after a separator at their right end when the style asks
// for drawn menu-bar separators; this style asks for it on one menu bar only.
class RightJustifiedMenuStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_DrawMenuBarSeparator) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

void esSetMenuJustify(QMenuBar& menuBar, int position, bool justify)
{
    if (!justify || menuBar.property("tagscopeJustified").toBool()) return;
    const QList<QAction*> actions = menuBar.actions();
    if (position < 0 || position >= actions.size()) return;
    QAction* separator = new QAction(&menuBar);
    separator->setSeparator(true);
    menuBar.insertAction(actions[position], separator);
    auto* style = new RightJustifiedMenuStyle;
    style->setParent(&menuBar);
    menuBar.setStyle(style);
    menuBar.setProperty("tagscopeJustified", true);
}
