#pragma once

#include <QKeyEvent>

namespace calmora {

// Enter and Escape would press a dialog's default or cancel button; the
// program's dialogs have neither, so these keys do nothing there.
inline bool pressesDialogButton(const QKeyEvent *event)
{
    const int key = event->key();
    return key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace calmora
