#pragma once

#include "list/folderbrowser.h"

#include <QDialog>

class QListWidget;
class QPushButton;

namespace calmora {

struct AppState;
class Dialogs;
class SoundList;

// "Select Sound Files": browse to a folder and add the chosen sound files to
// the sound list, ticked.
class frmFiles final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmFiles)

public:
    frmFiles(AppState &state, SoundList &list, Dialogs &dialogs, Qt::CaseSensitivity fileNames,
             QWidget *parent = nullptr, const QStringList &drives = FolderBrowser::mountedDrives());

    FolderBrowser &browser() const { return *m_browser; }
    // The folder the file list shows.
    QString fileListFolder() const { return m_fileFolder; }

    void cmdOK_Click();
    void cmdCancel_Click();

    // The full path of a file in folder, the folder path taken as it stands.
    static QString fullPath(const QString &folder, const QString &name);

private:
    void Form_Load();
    void dirList_Change(const QString &folder);

    AppState &m_state;
    SoundList &m_list;
    Dialogs &m_dialogs;
    Qt::CaseSensitivity m_fileNames;
    FolderBrowser *m_browser;
    QListWidget *m_file1;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
    QString m_fileFolder;
};

} // namespace calmora
