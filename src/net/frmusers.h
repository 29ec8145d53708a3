#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace calmora {

struct AppState;
class Dialogs;
class Sender;

// "Send Calmora Message": picks recipients for the sound in lblFile and an
// optional text. Modeless; the main window keeps one. It closes once every
// recipient got the message; otherwise it says who did not, and stays with
// its recipients and text for another try.
class frmUsers final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmUsers)

public:
    frmUsers(const AppState &state, Sender &sender, Dialogs &dialogs, QWidget *parent = nullptr);

    void setFile(const QString &path);
    QString file() const;

    void cmdSend_Click();
    void cmdCancel_Click();

private:
    void Form_Load();
    void sent(const QStringList &failures);

    const AppState &m_state;
    Sender &m_sender;
    Dialogs &m_dialogs;
    bool m_sending = false;
    QLabel *m_label1;
    QListWidget *m_lstUsers;
    QLabel *m_label2;
    QLabel *m_lblFile;
    QLabel *m_label3;
    QPlainTextEdit *m_txtMessage;
    QPushButton *m_cmdSend;
    QPushButton *m_cmdCancel;
};

} // namespace calmora
