#include "widgets/dialogkeys.h"

#include <QDialog>
#include <QKeyEvent>

namespace calmora {

namespace {

class EnterAndEscapeFilter final : public QObject
{
public:
    using QObject::QObject;
    Q_DISABLE_COPY_MOVE(EnterAndEscapeFilter)

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A key the focused control leaves alone reaches the dialog itself,
        // which would press its buttons with it.
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void ignoreEnterAndEscape(QDialog *dialog)
{
    dialog->installEventFilter(new EnterAndEscapeFilter(dialog));
}

} // namespace calmora
