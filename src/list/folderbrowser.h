#pragma once

#include <QObject>
#include <QStringList>

class QComboBox;
class QDialog;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace calmora {

class Dialogs;

// What both choosers share: the drive list ("Drives:" with Drive1), the
// folder tree dirList showing the current drive's folders down to the current
// folder, and the "OK" and "Cancel" buttons. On Linux the drives are the
// mounted file systems, "/" first.
class FolderBrowser final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderBrowser)

public:
    // Creates the controls in dialog, in the tab order dirList, Drive1, cmdOK,
    // cmdCancel, and keeps Enter and Escape from closing it: neither button
    // is the default or the cancel button.
    FolderBrowser(QDialog *dialog, Dialogs &dialogs, const QStringList &drives);

    static QStringList mountedDrives();

    QTreeWidget *dirList() const { return m_dirList; }
    QLabel *label1() const { return m_label1; }
    QComboBox *Drive1() const { return m_drive1; }
    QPushButton *cmdOK() const { return m_cmdOK; }
    QPushButton *cmdCancel() const { return m_cmdCancel; }

    // The folder tree's current folder, as the platform writes it.
    QString folder() const;

    // Opening: centres the dialog; with a starting folder, the tree goes there
    // and the drive list follows. A folder that cannot be shown is reported; the lists then stay
    // at the program's current drive and folder.
    void openAt(const QString &browsePath);

    // Moves the tree to path; returns the platform's text for the error, or ""
    // on success.
    QString setFolder(const QString &path);

    // The user picked the drive at index.
    void Drive1_Change(int index);

Q_SIGNALS:
    // The tree's current folder changed, by the user or by the program.
    void dirList_Change(const QString &folder);

private:
    int driveIndexFor(const QString &path) const;
    QString driveCurrentFolder(int index) const;
    void showDrive(const QString &root);
    void fillChildren(QTreeWidgetItem *item);
    QTreeWidgetItem *childNamed(QTreeWidgetItem *item, const QString &name);
    void currentItemChanged(QTreeWidgetItem *item);
    void report(const QString &path, const QString &error);

    QDialog *m_dialog;
    Dialogs &m_dialogs;
    QTreeWidget *m_dirList;
    QLabel *m_label1;
    QComboBox *m_drive1;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
    QString m_folder; // "/"-separated
};

} // namespace calmora
