#pragma once

#include "platform/services.h"

#include <QDialog>
#include <QObject>
#include <QPointer>

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

// "&About" in the Help menu: one modeless box at a time.
class AboutBox final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutBox)

public:
    AboutBox(const Services &services, QWidget *mainWindow);

    void mnuAbout_Click();
    frmAbout *dialog() const { return m_dialog; }

private:
    Services m_services;
    QWidget *m_mainWindow;
    QPointer<frmAbout> m_dialog;
};

// "Version 2.1.2": each part in plain decimal.
QString versionLine(int major, int minor, int revision);

} // namespace calmora
