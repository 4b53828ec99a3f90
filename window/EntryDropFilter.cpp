// Entries dropped on a window from a file manager.
#include "window/EntryDropFilter.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "window/QtText.h"

EntryDropFilter::EntryDropFilter(QWidget& window, std::function<bool()> accepting)
    : QObject(&window), accepting_(std::move(accepting))
{
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

bool EntryDropFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::DragEnter && event->type() != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    // Drag-enter and drop events are both drop events.
    auto* drop = static_cast<QDropEvent*>(event);
    const QList<QUrl> urls = drop->mimeData()->urls();
    if (!accepting_() || urls.isEmpty() || !urls.first().isLocalFile()) return true;
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop) emit dropped(FromQString(urls.first().toLocalFile()));
    return true;
}
