#include "net/frmreceive.h"

#include "app/centre.h"
#include "app/dialogkeys.h"
#include "app/twips.h"
#include "net/messagefile.h"
#include "platform/dialogs.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmapCache>
#include <QPlainTextEdit>
#include <QPushButton>

namespace calmora {

namespace {

// Every message window shows the same logo. Each new QIcon of the SVG renders
// it again into the pixmap cache under a key of its own, so a window per
// message would keep adding a 64 KiB copy until the cache is full.
QPixmap logo()
{
    const QString key = QStringLiteral("calmora-receive-logo");
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = QIcon(QStringLiteral(":/icons/calmora.svg")).pixmap(QSize(128, 128));
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

} // namespace

frmReceive::frmReceive(Dialogs &dialogs, QLabel *picNet, QWidget *parent)
    : QDialog(parent), m_dialogs(dialogs), m_picNet(picNet)
{
    setObjectName(QStringLiteral("frmReceive"));
    setWindowTitle(QString());
    // A title bar without buttons; as a child of the main window it stays off the task bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsSize(5790, 3735));

    m_frame1 = new QGroupBox(this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_frame1->setGeometry(QRect(QPoint(0, 0), size()));

    m_imgLogo = new QLabel(m_frame1);
    m_imgLogo->setObjectName(QStringLiteral("imgLogo"));
    m_imgLogo->setGeometry(twipsRect(120, 240, 2175, 2790));
    m_imgLogo->setAlignment(Qt::AlignCenter);
    m_imgLogo->setPixmap(logo());

    m_lblCompanyProduct = new QLabel(QStringLiteral("Calmora!"), m_frame1);
    m_lblCompanyProduct->setObjectName(QStringLiteral("lblCompanyProduct"));
    m_lblCompanyProduct->setGeometry(twipsRect(2400, 240, 3240, 495));
    QFont font(QStringLiteral("Arial"), 18);
    font.setBold(true);
    m_lblCompanyProduct->setFont(font);
    QPalette palette = m_lblCompanyProduct->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 0x80));
    m_lblCompanyProduct->setPalette(palette);

    m_txtMessage = new QPlainTextEdit(m_frame1);
    m_txtMessage->setObjectName(QStringLiteral("txtMessage"));
    m_txtMessage->setGeometry(twipsRect(2400, 840, 3240, 2115));
    m_txtMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_txtMessage->setReadOnly(true);
    m_txtMessage->setAccessibleName(QStringLiteral("Message"));

    m_cmdOK = new QPushButton(QStringLiteral("OK"), m_frame1);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setGeometry(twipsRect(4440, 3135, 1200, 375));
    m_cmdOK->setAutoDefault(false);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmReceive::cmdOK_Click);
}

void frmReceive::Form_Load(const MessageRead &read, const std::error_code &deleteError)
{
    centreOnScreen(this);
    if (read.error)
        m_dialogs.message(this,
                          QLatin1String("File Read Error: ") + QString::fromLocal8Bit(read.error.message()));
    else if (deleteError)
        m_dialogs.message(this, QString::fromLocal8Bit(deleteError.message()));
    m_txtMessage->setPlainText(read.text);
}

QString frmReceive::text() const
{
    return m_txtMessage->toPlainText();
}

void frmReceive::cmdOK_Click()
{
    if (m_picNet)
        m_picNet->hide();
    m_closingByOK = true;
    close();
}

void frmReceive::keyPressEvent(QKeyEvent *event)
{
    // Neither Enter nor Escape answers the message.
    if (pressesDialogButton(event))
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

void frmReceive::closeEvent(QCloseEvent *event)
{
    if (m_closingByOK)
        event->accept();
    else
        event->ignore();
}

} // namespace calmora
