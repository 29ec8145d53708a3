#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace calmora {

class Dialogs;
class Launcher;
class SystemInfoLookup;

// "About Calmora": title, version, who makes it, and a way into the
// desktop's system information tool.
class frmAbout final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmAbout)

public:
    frmAbout(Dialogs &dialogs, Launcher &launcher, SystemInfoLookup &systemInfo, QWidget *parent = nullptr);

    void Form_Load();
    // Finds and starts the system information tool, or says it cannot.
    void StartSysInfo();

private:
    Dialogs &m_dialogs;
    Launcher &m_launcher;
    SystemInfoLookup &m_systemInfo;
    QLabel *m_lblTitle;
    QLabel *m_lblVersion;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdSysInfo;
};

} // namespace calmora
