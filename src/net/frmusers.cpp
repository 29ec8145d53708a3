#include "net/frmusers.h"

#include "core/appstate.h"
#include "net/sender.h"
#include "platform/dialogs.h"
#include "widgets/centre.h"
#include "widgets/dialogkeys.h"
#include "widgets/twips.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace calmora {

namespace {

template <typename T>
T *named(T *widget, const char *name, const QRect &geometry)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

} // namespace

frmUsers::frmUsers(const AppState &state, Sender &sender, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), m_state(state), m_sender(sender), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmUsers"));
    setWindowTitle(QStringLiteral("Send Calmora Message"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsSize(5895, 3360));

    m_label2 =
        named(new QLabel(QStringLiteral("Sound File:"), this), "Label2", twipsRect(120, 120, 975, 255));
    m_lblFile = named(new QLabel(this), "lblFile", twipsRect(1140, 120, 4635, 255));
    QPalette blue = m_lblFile->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    m_lblFile->setPalette(blue);
    m_label1 = named(new QLabel(QStringLiteral("Select the target user(s)"), this), "Label1",
                     twipsRect(120, 480, 2535, 255));
    m_lstUsers = named(new QListWidget(this), "lstUsers", twipsRect(120, 735, 2535, 1935));
    m_lstUsers->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_label1->setBuddy(m_lstUsers);
    m_label3 =
        named(new QLabel(QStringLiteral("Text Message"), this), "Label3", twipsRect(2880, 480, 2895, 255));
    m_txtMessage = named(new QPlainTextEdit(this), "txtMessage", twipsRect(2880, 735, 2895, 1935));
    m_txtMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_txtMessage->setTabChangesFocus(true);
    m_label3->setBuddy(m_txtMessage);
    m_cmdSend =
        named(new QPushButton(QStringLiteral("Send"), this), "cmdSend", twipsRect(1800, 2835, 1095, 375));
    m_cmdCancel =
        named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel", twipsRect(3000, 2835, 1095, 375));
    for (QPushButton *button : {m_cmdSend, m_cmdCancel})
        button->setAutoDefault(false);

    setTabOrder(m_lstUsers, m_cmdSend);
    setTabOrder(m_cmdSend, m_cmdCancel);
    setTabOrder(m_cmdCancel, m_txtMessage);

    connect(m_cmdSend, &QPushButton::clicked, this, &frmUsers::cmdSend_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmUsers::cmdCancel_Click);
    connect(&m_sender, &Sender::sent, this, &frmUsers::sent);
    ignoreEnterAndEscape(this);
    Form_Load();
}

void frmUsers::Form_Load()
{
    centreOnScreen(this);
    // The list is filled once; names changed later reach the file names only.
    const int count = std::clamp(m_state.UserCount, 0, AppState::kMaxUsers);
    for (int i = 1; i <= count; ++i)
        m_lstUsers->addItem(m_state.Users[i]);
}

void frmUsers::setFile(const QString &path)
{
    m_lblFile->setText(path);
}

QString frmUsers::file() const
{
    return m_lblFile->text();
}

void frmUsers::cmdSend_Click()
{
    SendRequest request;
    for (int i = 0; i < m_lstUsers->count(); ++i) {
        // Entry i stands for Users slot i + 1, read now: names edited since the
        // list was filled take effect in the file names.
        if (m_lstUsers->item(i)->isSelected() && i + 1 <= AppState::kMaxUsers)
            request.recipients.append(m_state.Users[i + 1]);
    }
    if (request.recipients.isEmpty())
        return;
    request.soundFile = m_lblFile->text();
    request.message = m_txtMessage->toPlainText();
    request.folder = m_state.NetPath;
    // A share that hangs delays the answer: no second send meanwhile.
    m_sending = true;
    m_cmdSend->setEnabled(false);
    m_sender.send(request);
}

void frmUsers::sent(const QStringList &failures)
{
    if (!std::exchange(m_sending, false))
        return;
    m_cmdSend->setEnabled(true);
    if (failures.isEmpty())
        close();
    else
        m_dialogs.message(this, failures.join(QLatin1Char('\n')));
}

void frmUsers::cmdCancel_Click()
{
    close();
}

} // namespace calmora
