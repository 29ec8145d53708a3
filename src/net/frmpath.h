#pragma once

#include "list/folderbrowser.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace calmora {

struct AppState;
class Dialogs;

// "Select Path": picks a folder. The caller puts the starting folder in
// state.BrowsePath, runs exec() and reads the chosen folder from BrowsePath,
// "" for Cancel.
class frmPath final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmPath)

public:
    frmPath(AppState &state, Dialogs &dialogs, QWidget *parent = nullptr,
            const QStringList &drives = FolderBrowser::mountedDrives());

    FolderBrowser &browser() const { return *m_browser; }

    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void Form_Load();
    void dirList_Change(const QString &folder);

    AppState &m_state;
    FolderBrowser *m_browser;
    QLabel *m_label2;
    QLabel *m_lblPath;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
};

} // namespace calmora
