#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace calmora {

class Dialogs;

// The window that shows a received text. It has no close box: only OK ends it.
class frmReceive final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmReceive)

public:
    explicit frmReceive(Dialogs &dialogs, QWidget *parent = nullptr);

    // The text file has been read (and deleted) off the window's thread; this
    // shows the text, after saying what went wrong when problem is not empty.
    void Form_Load(const QString &text, const QString &problem);
    QString text() const;

Q_SIGNALS:
    // OK was pressed: the message has been seen.
    void answered();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void cmdOK_Click();

    Dialogs &m_dialogs;
    QGroupBox *m_frame1;
    QLabel *m_imgLogo;
    QLabel *m_lblCompanyProduct;
    QPlainTextEdit *m_txtMessage;
    QPushButton *m_cmdOK;
    bool m_closingByOK = false;
};

} // namespace calmora
