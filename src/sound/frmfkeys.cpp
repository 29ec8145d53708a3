#include "sound/frmfkeys.h"

#include "core/appstate.h"
#include "core/settings.h"
#include "list/soundlist.h"
#include "platform/dialogs.h"
#include "widgets/centre.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace calmora {

namespace {

const QString kNoneSelected = QStringLiteral("None Selected");

QString keyName(int n)
{
    return QLatin1Char('F') + QString::number(n);
}

} // namespace

frmFKeys::frmFKeys(AppState &state, const SoundList &list, SettingsStore &store, Dialogs &dialogs,
                   QWidget *parent)
    : QDialog(parent), m_state(state), m_list(list), m_store(store), m_dialogs(dialogs),
      m_tbsOptions(new QTabBar(this)), m_frmWave(new QGroupBox(QStringLiteral("Assigned WAV File"), this)),
      m_cmbWaves(new QComboBox(m_frmWave)), m_cmdOK(new QPushButton(QStringLiteral("OK"), this)),
      m_cmdCancel(new QPushButton(QStringLiteral("Cancel"), this)),
      m_cmdApply(new QPushButton(QStringLiteral("Apply"), this))
{
    setObjectName(QStringLiteral("frmFKeys"));
    setWindowTitle(QStringLiteral("Function Key Assignments"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    m_tbsOptions->setObjectName(QStringLiteral("tbsOptions"));
    m_frmWave->setObjectName(QStringLiteral("frmWave"));
    m_cmbWaves->setObjectName(QStringLiteral("cmbWaves"));
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdApply->setObjectName(QStringLiteral("cmdApply"));

    m_tbsOptions->setExpanding(false);
    m_tbsOptions->setUsesScrollButtons(false);
    for (int n = 1; n <= AppState::kFunctionKeys; ++n) {
        const int tab = m_tbsOptions->addTab(keyName(n));
        m_tbsOptions->setTabToolTip(tab, QStringLiteral("Assign WAV file to F%1 Key").arg(n));
    }
    m_cmbWaves->setEditable(true);
    m_cmbWaves->setInsertPolicy(QComboBox::NoInsert);
    m_cmbWaves->setMinimumWidth(360);
    m_cmbWaves->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cmbWaves->setAccessibleName(QStringLiteral("Assigned WAV File"));
    for (QPushButton *b : {m_cmdOK, m_cmdCancel, m_cmdApply})
        b->setAutoDefault(false);

    auto *waveLayout = new QVBoxLayout(m_frmWave);
    waveLayout->addWidget(m_cmbWaves);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    buttons->addWidget(m_cmdApply);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tbsOptions);
    layout->addWidget(m_frmWave);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_tbsOptions, &QTabBar::currentChanged, this, [this] { tbsOptions_Click(); });
    connect(m_cmbWaves, &QComboBox::activated, this, [this] { cmbWaves_Click(); });
    connect(m_cmbWaves, &QComboBox::editTextChanged, this, &frmFKeys::cmbWaves_Change);
    connect(m_cmdApply, &QPushButton::clicked, this, &frmFKeys::cmdApply_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmFKeys::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::close); // closeEvent cancels

    // Ctrl+Tab must reach the dialog whichever control has the focus.
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
    installEventFilter(this);
}

void frmFKeys::Form_Load()
{
    centreOnScreen(this);
    {
        const QSignalBlocker blocker(m_cmbWaves);
        m_cmbWaves->clear();
        m_cmbWaves->addItem(kNoneSelected);
        m_cmbWaves->addItem(QStringLiteral("Random"));
        for (int i = 0; i < m_list.count(); ++i)
            m_cmbWaves->addItem(m_list.text(i));
    }
    readFunctionKeys(m_store, m_state);
    if (m_tbsOptions->currentIndex() != 0)
        m_tbsOptions->setCurrentIndex(0); // runs tbsOptions_Click
    else
        tbsOptions_Click();
}

void frmFKeys::tbsOptions_Click()
{
    m_selectedKey = m_tbsOptions->currentIndex() + 1;
    // Showing the stored assignment is not an edit.
    const QSignalBlocker blocker(m_cmbWaves);
    const QString &entry = m_state.FunctionKeyTable[m_selectedKey];
    if (entry.isEmpty())
        m_cmbWaves->setCurrentIndex(0);
    else
        m_cmbWaves->setEditText(entry);
}

void frmFKeys::cmbWaves_Click()
{
    const QString text = m_cmbWaves->currentText();
    m_state.FunctionKeyTable[m_selectedKey] = text == kNoneSelected ? QString() : text;
}

void frmFKeys::cmbWaves_Change(const QString &text)
{
    m_state.FunctionKeyTable[m_selectedKey] = text;
}

void frmFKeys::saveTable()
{
    if (!saveFunctionKeys(m_store, m_state))
        m_dialogs.message(this, saveFailedMessage(m_store));
}

void frmFKeys::cmdApply_Click()
{
    saveTable();
}

void frmFKeys::cmdOK_Click()
{
    saveTable();
    m_keepEdits = true;
    close();
}

void frmFKeys::closeEvent(QCloseEvent *event)
{
    // Cancel and the close box take back what was not applied: the keys play
    // what is stored again, and nothing is left unsaved by the dialog.
    if (!m_keepEdits)
        readFunctionKeys(m_store, m_state);
    QDialog::closeEvent(event);
}

bool frmFKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            m_tbsOptions->setCurrentIndex((m_tbsOptions->currentIndex() + 1) % m_tbsOptions->count());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace calmora
