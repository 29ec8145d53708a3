#include "list/soundlistview.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace calmora {

namespace {

// A file manager offering to move the files would delete them once they are
// dropped; the list only ever takes a copy of their names.
bool acceptFileDrag(QDropEvent *event)
{
    if (!event->mimeData()->hasUrls())
        return false;
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else if (event->possibleActions() & Qt::LinkAction)
        event->setDropAction(Qt::LinkAction);
    else
        return false;
    event->accept();
    return true;
}

} // namespace

SoundListView::SoundListView(QWidget *parent) : QListView(parent)
{
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

int SoundListView::currentEntry() const
{
    if (!selectionModel())
        return -1;
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.constFirst().row();
}

void SoundListView::clearHighlight()
{
    // The view would highlight a neighbour of a removed entry; the user has not chosen one.
    if (!selectionModel())
        return;
    selectionModel()->clear();
}

void SoundListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!acceptFileDrag(event))
        event->ignore();
}

void SoundListView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!acceptFileDrag(event))
        event->ignore();
}

void SoundListView::dropEvent(QDropEvent *event)
{
    if (!acceptFileDrag(event)) {
        event->ignore();
        return;
    }
    QStringList paths;
    const QList<QUrl> urls = event->mimeData()->urls();
    paths.reserve(urls.size());
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            paths.append(QDir::toNativeSeparators(url.toLocalFile()));
    }
    Q_EMIT filesDropped(paths);
}

void SoundListView::keyPressEvent(QKeyEvent *event)
{
    // With any modifier: Shift+Delete and Ctrl+Delete delete as well.
    if (event->key() == Qt::Key_Delete) {
        Q_EMIT deletePressed();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void SoundListView::mousePressEvent(QMouseEvent *event)
{
    // A right click must not move the highlight: the menu acts on the
    // highlighted entry, not on the one under the pointer.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}

void SoundListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QListView::mouseDoubleClickEvent(event);
}

void SoundListView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        Q_EMIT menuRequested(event->globalPosition().toPoint());
        return;
    }
    QListView::mouseReleaseEvent(event);
}

void SoundListView::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    // The right button's release has opened the menu already; the menu key
    // opens it beside the highlighted entry.
    if (event->reason() != QContextMenuEvent::Keyboard)
        return;
    const int row = currentEntry();
    const QRect rect = row >= 0 ? visualRect(model()->index(row, 0)) : QRect();
    Q_EMIT menuRequested(viewport()->mapToGlobal(rect.isValid() ? rect.bottomLeft() : QPoint(0, 0)));
}

void SoundListView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QListView::selectionChanged(selected, deselected);
    Q_EMIT highlightChanged();
}

} // namespace calmora
