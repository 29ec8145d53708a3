#include "platform/qtdialogs.h"

#include "core/appinfo.h"

#include <QCloseEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>

namespace calmora {

namespace {

// A question answered by Yes or No only. Escape and the close box would answer
// No for the user, which could throw away what the question is about (the
// changes on closing, say), so neither does anything here.
class YesNoBox final : public QMessageBox
{
public:
    YesNoBox(const QString &text, QWidget *parent)
        : QMessageBox(QMessageBox::NoIcon, appTitle(), text, QMessageBox::Yes | QMessageBox::No, parent)
    {
        setDefaultButton(QMessageBox::Yes);
        setWindowFlags((windowFlags() | Qt::CustomizeWindowHint) & ~Qt::WindowCloseButtonHint);
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape)
            event->accept();
        else
            QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent *event) override { event->ignore(); }
};

} // namespace

void QtDialogs::message(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, appTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::askYesNo(QWidget *parent, const QString &text)
{
    YesNoBox box(text, parent);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogs::inputText(QWidget *parent, const QString &prompt)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent, appTitle(), prompt, QLineEdit::Normal, QString(), &ok);
    return ok ? text : QString();
}

} // namespace calmora
