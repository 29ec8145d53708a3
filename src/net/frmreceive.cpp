#include "net/frmreceive.h"

#include "platform/dialogs.h"
#include "widgets/centre.h"
#include "widgets/dialogkeys.h"
#include "widgets/twips.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
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

frmReceive::frmReceive(Dialogs &dialogs, QWidget *parent) : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmReceive"));
    setWindowTitle(QString());
    // No title and no buttons: window managers that keep a close or minimise
    // button on every title bar draw none without one. As a child of the main
    // window it stays off the task bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint);
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
    // Neither Enter nor Escape answers the message.
    ignoreEnterAndEscape(this);
}

void frmReceive::Form_Load(const QString &text, const QString &problem)
{
    centreOnScreen(this);
    if (!problem.isEmpty())
        m_dialogs.message(this, problem);
    m_txtMessage->setPlainText(text);
}

QString frmReceive::text() const
{
    return m_txtMessage->toPlainText();
}

void frmReceive::cmdOK_Click()
{
    Q_EMIT answered();
    m_closingByOK = true;
    close();
}

void frmReceive::closeEvent(QCloseEvent *event)
{
    if (m_closingByOK)
        event->accept();
    else
        event->ignore();
}

} // namespace calmora
