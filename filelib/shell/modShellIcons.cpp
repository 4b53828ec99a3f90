// Theme lookup follows the freedesktop icon theme layout: <data dir>/icons/<theme>/
// <size>x<size>/<context>/<name>.png. Only PNG pictures are used: the SVG ones would
// need Qt's SVG module, and every theme we look in ships PNG sizes too.
#include "filelib/shell/modShellIcons.h"

#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>
#include <QStandardPaths>

#include <array>

namespace modShellIcons {
namespace {

// Adwaita is the theme Debian installs with its desktops; hicolor is the fallback every
// freedesktop theme inherits.
constexpr std::array kThemes{"Adwaita", "hicolor"};
constexpr std::array kContexts{"mimetypes", "places", "apps", "devices", "emblems", "status", "actions"};

QMutex listLock;
QStringList& ImageList()
{
    static QStringList list;
    return list;
}

}  // namespace

QString FindIconFile(const QStringList& names, int size)
{
    static QMutex cacheLock;
    static QHash<QString, QString> cache;
    const QString key = names.join(u'|') + u'@' + QString::number(size);
    {
        QMutexLocker locker(&cacheLock);
        if (const auto it = cache.constFind(key); it != cache.constEnd()) return *it;
    }
    const std::array sizes{size, size * 2, 48, 64, 96, 128, 256, 24, 22, 16};
    const QStringList dataDirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    const auto search = [&]() -> QString {
        for (const QString& name : names)
            for (const char* theme : kThemes)
                for (const int s : sizes)
                    for (const char* context : kContexts)
                        for (const QString& dir : dataDirs) {
                            const QString file = QStringLiteral("%1/icons/%2/%3x%3/%4/%5.png")
                                                     .arg(dir, QLatin1String(theme))
                                                     .arg(s)
                                                     .arg(QLatin1String(context), name);
                            if (QFileInfo(file).isFile()) return file;
                        }
        return {};
    };
    const QString found = search();
    QMutexLocker locker(&cacheLock);
    cache.insert(key, found);
    return found;
}

std::int32_t ImageListIndex(const QString& iconName)
{
    QMutexLocker locker(&listLock);
    QStringList& list = ImageList();
    qsizetype index = list.indexOf(iconName);
    if (index < 0) {
        list.append(iconName);
        index = list.size() - 1;
    }
    return static_cast<std::int32_t>(index);
}

std::uint32_t ImageListHandle()
{
    // One list for the whole process, as the system image list is.
    return 0x00010001u;
}

QImage LoadIcon(const QString& file, int size)
{
    QImage picture(file);
    if (picture.isNull()) return {};
    picture = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                  .scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage out(size, size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.drawImage((size - picture.width()) / 2, (size - picture.height()) / 2, picture);
    return out;
}

QImage DefaultIcon(int size)
{
    QImage out(size, size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = size / 16.0;
    // A page with its upper right corner folded.
    QPainterPath page;
    page.moveTo(3 * u, 1 * u);
    page.lineTo(10 * u, 1 * u);
    page.lineTo(13 * u, 4 * u);
    page.lineTo(13 * u, 15 * u);
    page.lineTo(3 * u, 15 * u);
    page.closeSubpath();
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), u));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(10 * u, 1 * u), QPointF(10 * u, 4 * u));
    p.drawLine(QPointF(10 * u, 4 * u), QPointF(13 * u, 4 * u));
    return out;
}

QImage WithLinkOverlay(const QImage& icon)
{
    QImage out = icon.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int size = out.width();
    const int badge = std::max(size / 2, 8);
    QPainter p(&out);
    const QString emblem = FindIconFile({QStringLiteral("emblem-symbolic-link")}, badge);
    const QImage picture = emblem.isEmpty() ? QImage() : LoadIcon(emblem, badge);
    if (!picture.isNull()) {
        p.drawImage(0, size - badge, picture);
        return out;
    }
    // No emblem installed: the shell's own sign, a white box with a bent arrow.
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0.5, size - badge + 0.5, badge - 1, badge - 1);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(box);
    const qreal u = badge / 8.0;
    QPainterPath arrow;
    arrow.moveTo(box.left() + 2 * u, box.bottom() - 1.5 * u);
    arrow.quadTo(box.left() + 2 * u, box.top() + 3 * u, box.right() - 2 * u, box.top() + 3 * u);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x00, 0x40, 0xA0), std::max(1.0, u)));
    p.drawPath(arrow);
    p.drawLine(QPointF(box.right() - 2 * u, box.top() + 3 * u), QPointF(box.right() - 4 * u, box.top() + 1.5 * u));
    p.drawLine(QPointF(box.right() - 2 * u, box.top() + 3 * u), QPointF(box.right() - 4 * u, box.top() + 4.5 * u));
    return out;
}

QImage Selected(const QImage& icon)
{
    QImage out = icon.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    p.fillRect(out.rect(), QColor(0x35, 0x84, 0xE4, 0x80));
    return out;
}

}  // namespace modShellIcons
