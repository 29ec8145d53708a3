#pragma once

#include <QListView>

namespace calmora {

// List1 as the user sees it: the sound list with a tick on every entry. Files
// dropped from a file manager are taken as a copy of their names, whatever the
// file manager offers; the Delete key, the right button's release and the menu
// key are reported. What they do is the main window's to decide.
class SoundListView final : public QListView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SoundListView)

public:
    explicit SoundListView(QWidget *parent = nullptr);

    // The highlighted entry's row, or -1.
    int currentEntry() const;
    // Leaves no entry highlighted.
    void clearHighlight();

Q_SIGNALS:
    void filesDropped(const QStringList &paths);
    void deletePressed();
    // The right button was released over the list, or the menu key pressed
    // (then the position is beside the highlighted entry).
    void menuRequested(const QPoint &globalPos);
    // The highlighted entry changed, by the mouse or the keyboard.
    void highlightChanged();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
};

} // namespace calmora
