#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace calmora {

struct AppState;
struct Services;
class Dialogs;
class FolderListing;
class SettingsStore;

// This computer's name as the platform reports it, or "".
QString Get_ComputerName(const Services &services);

// "Network Settings": this computer's name on the shared folder, the folder,
// whether messages are received, and the users messages can be sent to.
class frmNetwork final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmNetwork)

public:
    frmNetwork(AppState &state, const Services &services, FolderListing &File1, QWidget *parent = nullptr);

    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdBrowse_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

Q_SIGNALS:
    // OK chose whether messages are received; the tray's "Enable Network"
    // shows this choice, even when the folder then turns out unreachable.
    void activeChosen(bool active);

private:
    void Form_Load();

    AppState &m_state;
    const Services &m_services;
    Dialogs &m_dialogs;
    SettingsStore &m_store;
    FolderListing &m_file1;
    QLabel *m_label1;
    QLineEdit *m_txtNetName;
    QLabel *m_label2;
    QLineEdit *m_txtNetPath;
    QPushButton *m_cmdBrowse;
    QLabel *m_label3;
    QListWidget *m_lstUsers;
    QPushButton *m_cmdAdd;
    QPushButton *m_cmdDelete;
    QCheckBox *m_chkActive;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
};

} // namespace calmora
