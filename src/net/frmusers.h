#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace calmora {

struct AppState;
class Sender;

// "Send Calmora Message": picks recipients for the sound in lblFile and an
// optional text. Modeless; the main window keeps one.
class frmUsers final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmUsers)

public:
    frmUsers(const AppState &state, Sender &sender, QWidget *parent = nullptr);

    void setFile(const QString &path);
    QString file() const;

    void cmdSend_Click();
    void cmdCancel_Click();

private:
    void Form_Load();

    const AppState &m_state;
    Sender &m_sender;
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
