#pragma once

#include <QDialog>

#include <system_error>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace calmora {

class Dialogs;
struct MessageRead;

// The window that shows a received text. It has no close box: only OK ends it.
class frmReceive final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmReceive)

public:
    frmReceive(Dialogs &dialogs, QLabel *picNet, QWidget *parent = nullptr);

    // The text file has been read (and, without a read error, deleted) off the
    // window's thread; this shows the outcome and reports what failed.
    void Form_Load(const MessageRead &read, const std::error_code &deleteError);
    QString text() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void cmdOK_Click();

    Dialogs &m_dialogs;
    QLabel *m_picNet;
    QGroupBox *m_frame1;
    QLabel *m_imgLogo;
    QLabel *m_lblCompanyProduct;
    QPlainTextEdit *m_txtMessage;
    QPushButton *m_cmdOK;
    bool m_closingByOK = false;
};

} // namespace calmora
