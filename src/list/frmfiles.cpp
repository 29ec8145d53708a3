#include "list/frmfiles.h"

#include "core/appstate.h"
#include "list/soundlist.h"
#include "platform/dialogs.h"
#include "widgets/twips.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

namespace calmora {

namespace {

const QStringList &soundPatterns()
{
    static const QStringList patterns = QStringLiteral("*.wav;*.avi").split(QLatin1Char(';'));
    return patterns;
}

} // namespace

frmFiles::frmFiles(AppState &state, SoundList &list, Dialogs &dialogs, Qt::CaseSensitivity fileNames,
                   QWidget *parent, const QStringList &drives)
    : QDialog(parent), m_state(state), m_list(list), m_dialogs(dialogs), m_fileNames(fileNames)
{
    setObjectName(QStringLiteral("frmFiles"));
    setWindowTitle(QStringLiteral("Select Sound Files"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twipsSize(5760, 3810));

    m_browser = new FolderBrowser(this, dialogs, drives);
    m_browser->dirList()->setGeometry(twipsRect(240, 300, 2475, 2340));
    m_file1 = new QListWidget(this);
    m_file1->setObjectName(QStringLiteral("File1"));
    m_file1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_file1->setAccessibleName(QStringLiteral("Files"));
    m_file1->setGeometry(twipsRect(3120, 300, 2235, 2235));
    m_browser->label1()->setGeometry(twipsRect(240, 2880, 1035, 195));
    m_browser->Drive1()->setGeometry(twipsRect(240, 3120, 2235, 315));
    m_cmdOK = m_browser->cmdOK();
    m_cmdOK->setGeometry(twipsRect(2880, 3060, 1095, 375));
    m_cmdCancel = m_browser->cmdCancel();
    m_cmdCancel->setGeometry(twipsRect(4200, 3060, 1095, 375));

    setTabOrder(m_cmdCancel, m_file1);

    connect(m_browser, &FolderBrowser::dirList_Change, this, &frmFiles::dirList_Change);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmFiles::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmFiles::cmdCancel_Click);

    Form_Load();
}

void frmFiles::Form_Load()
{
    m_browser->openAt(m_state.BrowsePath);
}

void frmFiles::dirList_Change(const QString &folder)
{
    m_fileFolder = folder;
    m_file1->clear();
    m_file1->addItems(QDir(folder).entryList(soundPatterns(), QDir::Files, QDir::Name | QDir::IgnoreCase));
}

QString frmFiles::fullPath(const QString &folder, const QString &name)
{
    // The folder is taken as it stands: a root folder, which already ends in a
    // separator, gives two in a row. Both name the same file.
    return folder + QDir::separator() + name;
}

void frmFiles::cmdOK_Click()
{
    QStringList chosen;
    for (int i = 0; i < m_file1->count(); ++i) {
        if (m_file1->item(i)->isSelected())
            chosen.append(fullPath(m_fileFolder, m_file1->item(i)->text()));
    }
    if (const int notAdded = m_list.addSoundFiles(chosen, m_fileNames))
        m_dialogs.message(this, SoundList::listFullMessage(notAdded));
    accept();
}

void frmFiles::cmdCancel_Click()
{
    m_state.BrowsePath.clear();
    reject();
}

} // namespace calmora
