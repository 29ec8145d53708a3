#include "net/frmpath.h"

#include "core/appstate.h"
#include "widgets/twips.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace calmora {

frmPath::frmPath(AppState &state, Dialogs &dialogs, QWidget *parent, const QStringList &drives)
    : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmPath"));
    setWindowTitle(QStringLiteral("Select Path"));
    // No close box: OK and Cancel are the ways out.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twipsSize(4470, 3810));

    m_browser = new FolderBrowser(this, dialogs, drives);
    m_label2 = new QLabel(QStringLiteral("Folders:"), this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setGeometry(twipsRect(120, 120, 2895, 195));
    m_label2->setBuddy(m_browser->dirList());
    m_lblPath = new QLabel(this);
    m_lblPath->setObjectName(QStringLiteral("lblPath"));
    m_lblPath->setGeometry(twipsRect(120, 360, 2895, 195));
    m_lblPath->setTextFormat(Qt::PlainText);
    m_browser->dirList()->setGeometry(twipsRect(120, 600, 2895, 2220));
    m_browser->label1()->setGeometry(twipsRect(120, 2880, 1035, 195));
    m_browser->Drive1()->setGeometry(twipsRect(120, 3120, 2895, 315));
    m_cmdOK = m_browser->cmdOK();
    m_cmdOK->setGeometry(twipsRect(3240, 600, 1095, 375));
    m_cmdCancel = m_browser->cmdCancel();
    m_cmdCancel->setGeometry(twipsRect(3240, 1080, 1095, 375));

    connect(m_browser, &FolderBrowser::dirList_Change, this, &frmPath::dirList_Change);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmPath::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmPath::cmdCancel_Click);

    Form_Load();
}

void frmPath::Form_Load()
{
    m_browser->openAt(m_state.BrowsePath);
}

void frmPath::dirList_Change(const QString &folder)
{
    m_lblPath->setText(folder);
    m_lblPath->setToolTip(folder); // a deep path is wider than the label
}

void frmPath::cmdOK_Click()
{
    m_state.BrowsePath = m_browser->folder();
    accept();
}

void frmPath::cmdCancel_Click()
{
    m_state.BrowsePath.clear();
    reject();
}

} // namespace calmora
