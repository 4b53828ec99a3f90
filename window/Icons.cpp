// The program's icons and the painted background of its forms.
#include "window/Icons.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QWidget>

#include "window/QtText.h"

QIcon ResIcon(const std::u16string& group)
{
    QIcon icon;
    const QString base = QStringLiteral(":/icons/") + ToQString(group) + u'/';
    for (const int size : {16, 32, 48}) {
        const QString file = base + QString::number(size) + QStringLiteral(".png");
        if (QFileInfo::exists(file)) icon.addFile(file, QSize(size, size));
    }
    return icon;
}

void asSetWindowResIconAll(QWidget* window, const std::u16string& group)
{
    const QIcon icon = ResIcon(group);
    if (window != nullptr)
        window->setWindowIcon(icon);
    else
        QApplication::setWindowIcon(icon);
}

void asPaintDesktop2(QWidget& form, QPainter& painter)
{
    const QColor base = form.palette().color(QPalette::Window);
    QLinearGradient shade(0, 0, 0, form.height());
    shade.setColorAt(0, base.lighter(104));
    shade.setColorAt(1, base.darker(106));
    painter.fillRect(form.rect(), shade);
}
