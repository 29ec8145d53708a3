#include "about/frmabout.h"

#include "core/appinfo.h"
#include "platform/dialogs.h"
#include "platform/launcher.h"
#include "platform/systeminfolookup.h"
#include "widgets/centre.h"
#include "widgets/named.h"
#include "widgets/twips.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace calmora {

namespace {

QLabel *centredLine(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter);
    return label;
}

} // namespace

frmAbout::frmAbout(Dialogs &dialogs, Launcher &launcher, SystemInfoLookup &systemInfo, QWidget *parent)
    : QDialog(parent), m_dialogs(dialogs), m_launcher(launcher), m_systemInfo(systemInfo),
      m_lblTitle(named(new QLabel(this), "lblTitle")),
      m_lblVersion(named(new QLabel(QStringLiteral("Version"), this), "lblVersion")),
      m_cmdOK(named(new QPushButton(QStringLiteral("OK"), this), "cmdOK")),
      m_cmdSysInfo(named(new QPushButton(QStringLiteral("&System Info..."), this), "cmdSysInfo"))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twipsSize(5730, 3555));

    auto *picIcon = named(new QLabel(this), "picIcon");
    picIcon->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setGeometry(twipsRect(240, 120, 540, 540));

    QFont titleFont = m_lblTitle->font();
    titleFont.setStyleHint(QFont::SansSerif);
    titleFont.setFamily(QStringLiteral("Sans Serif"));
    titleFont.setPointSizeF(13.5);
    titleFont.setBold(true);
    m_lblTitle->setFont(titleFont);
    m_lblTitle->setAlignment(Qt::AlignCenter);
    m_lblTitle->setGeometry(twipsRect(1320, 120, 2808, 360));
    m_lblVersion->setAlignment(Qt::AlignCenter);
    m_lblVersion->setGeometry(twipsRect(1680, 480, 2028, 228));

    auto *frame1 = named(new QFrame(this), "Frame1");
    frame1->setFrameShape(QFrame::Box);
    frame1->setFrameShadow(QFrame::Sunken);
    frame1->setGeometry(twipsRect(840, 720, 3972, 1632));
    QFont contactFont(QStringLiteral("Arial"), 9);
    contactFont.setStyleHint(QFont::SansSerif);
    frame1->setFont(contactFont);
    QPalette contactPalette = frame1->palette();
    contactPalette.setColor(QPalette::WindowText, Qt::blue);
    frame1->setPalette(contactPalette);
    auto *contact = new QVBoxLayout(frame1);
    contact->setContentsMargins(6, 4, 6, 4);
    contact->setSpacing(0);
    contact->addWidget(centredLine(QStringLiteral("Calmora developers"), frame1));
    contact->addWidget(centredLine(QStringLiteral("1 Quiet Lane"), frame1));
    contact->addWidget(centredLine(QStringLiteral("Stillwater, EX 01234"), frame1));
    auto *addresses = new QFormLayout;
    addresses->setLabelAlignment(Qt::AlignRight);
    addresses->setHorizontalSpacing(6);
    addresses->setVerticalSpacing(0);
    addresses->addRow(QStringLiteral("EMail:"), new QLabel(QStringLiteral("calmora@example.org"), frame1));
    addresses->addRow(QStringLiteral("Website URL:"),
                      new QLabel(QStringLiteral("calmora.example.org"), frame1));
    contact->addSpacing(4);
    contact->addLayout(addresses);

    auto *line1 = named(new QFrame(this), "Line1");
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    line1->setGeometry(twipsRect(0, 2490, 5730, 45));

    auto *lblDisclaimer = named(new QLabel(this), "lblDisclaimer");
    lblDisclaimer->setText(QStringLiteral("Calmora comes as it is, without warranty of any kind. "
                                          "You use it at your own risk."));
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setGeometry(twipsRect(255, 2625, 3870, 465));

    // Enter and Escape both press OK.
    m_cmdOK->setDefault(true);
    m_cmdOK->setGeometry(twipsRect(4245, 2625, 1260, 345));
    m_cmdSysInfo->setAutoDefault(false);
    m_cmdSysInfo->setGeometry(twipsRect(4260, 3075, 1245, 345));

    connect(m_cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(m_cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);
}

void frmAbout::Form_Load()
{
    centreOnScreen(this);
    setWindowTitle(QLatin1String("About ") + appTitle());
    m_lblVersion->setText(QStringLiteral("Version ") + appVersion());
    m_lblTitle->setText(appTitle());
}

void frmAbout::StartSysInfo()
{
    QString program;
    if (const std::optional<QString> direct = m_systemInfo.toolProgram()) {
        program = *direct;
    } else if (const std::optional<QString> folder = m_systemInfo.toolFolder()) {
        const QString candidate = *folder + QLatin1Char('/') + m_systemInfo.toolFileName();
        if (QFileInfo(candidate).isFile())
            program = candidate;
    }
    if (program.isEmpty() || m_launcher.start(program, {}) == 0)
        m_dialogs.message(this, QStringLiteral("System Information Is Unavailable At This Time"));
}

} // namespace calmora
