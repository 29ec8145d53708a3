#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QPushButton;
class QTabBar;

namespace calmora {

struct AppState;
class Dialogs;
class SettingsStore;
class SoundList;

// "Function Key Assignments": edits FunctionKeyTable in place, so a change is
// in force for key presses at once; Apply and OK store it, Cancel takes back
// what was not stored. The store always holds what the dialog leaves behind,
// so its edits never count as unsaved changes.
class frmFKeys final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmFKeys)

public:
    frmFKeys(AppState &state, const SoundList &list, SettingsStore &store, Dialogs &dialogs,
             QWidget *parent = nullptr);

    // Fills the dialog: the choices, then the table as stored.
    void Form_Load();

    QTabBar *tbsOptions() const { return m_tbsOptions; }
    QComboBox *cmbWaves() const { return m_cmbWaves; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void tbsOptions_Click();
    void cmbWaves_Click();
    void cmbWaves_Change(const QString &text);
    void cmdApply_Click();
    void cmdOK_Click();
    void saveTable();

    AppState &m_state;
    const SoundList &m_list;
    SettingsStore &m_store;
    Dialogs &m_dialogs;
    QTabBar *m_tbsOptions;
    QGroupBox *m_frmWave;
    QComboBox *m_cmbWaves;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdCancel;
    QPushButton *m_cmdApply;
    int m_selectedKey = 1;
    bool m_keepEdits = false;
};

} // namespace calmora
