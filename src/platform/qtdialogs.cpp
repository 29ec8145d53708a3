#include "platform/qtdialogs.h"

#include "core/appinfo.h"

#include <QInputDialog>
#include <QMessageBox>

namespace calmora {

void QtDialogs::message(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, appTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::askYesNo(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, appTitle(), text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogs::inputText(QWidget *parent, const QString &prompt)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent, appTitle(), prompt, QLineEdit::Normal,
                                               QString(), &ok);
    return ok ? text : QString();
}

} // namespace calmora
