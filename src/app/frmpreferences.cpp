#include "app/frmpreferences.h"

#include "core/appstate.h"
#include "core/settings.h"
#include "platform/autostart.h"
#include "platform/dialogs.h"
#include "widgets/centre.h"
#include "widgets/named.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace calmora {

namespace {

QTimeEdit *timeEdit(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *edit = named(new QTimeEdit(parent), name);
    edit->setDisplayFormat(QStringLiteral("HH:mm"));
    edit->setAccessibleName(accessibleName);
    return edit;
}

} // namespace

frmPreferences::frmPreferences(AppState &state, SettingsStore &store, Autostart &autostart, Dialogs &dialogs,
                               QWidget *parent)
    : QDialog(parent), m_state(state), m_store(store), m_autostart(autostart), m_dialogs(dialogs),
      m_sldVolume(named(new QSlider(Qt::Horizontal, this), "sldVolume")),
      m_lblVolume(named(new QLabel(this), "lblVolume")),
      m_chkQuietHours(named(new QCheckBox(QStringLiteral("&Quiet hours, from"), this), "chkQuietHours")),
      m_tmeQuietFrom(timeEdit(this, "tmeQuietFrom", QStringLiteral("Quiet from"))),
      m_tmeQuietTo(timeEdit(this, "tmeQuietTo", QStringLiteral("Quiet until"))),
      m_chkQuietWhenLocked(named(new QCheckBox(QStringLiteral("Quiet while the screen is &locked"), this),
                                 "chkQuietWhenLocked")),
      m_chkAutostart(
          named(new QCheckBox(QStringLiteral("Start Calmora when I log in"), this), "chkAutostart"))
{
    setObjectName(QStringLiteral("frmPreferences"));
    setWindowTitle(QStringLiteral("Calmora Preferences"));

    m_sldVolume->setRange(0, 100);
    m_sldVolume->setAccessibleName(QStringLiteral("Volume"));
    m_lblVolume->setMinimumWidth(m_lblVolume->fontMetrics().horizontalAdvance(QStringLiteral("100 %")));
    connect(m_sldVolume, &QSlider::valueChanged, this,
            [this](int value) { m_lblVolume->setText(QStringLiteral("%1 %").arg(value)); });
    connect(m_chkQuietHours, &QCheckBox::toggled, m_tmeQuietFrom, &QWidget::setEnabled);
    connect(m_chkQuietHours, &QCheckBox::toggled, m_tmeQuietTo, &QWidget::setEnabled);

    auto *volume = new QHBoxLayout;
    volume->addWidget(m_sldVolume);
    volume->addWidget(m_lblVolume);
    auto *quietHours = new QHBoxLayout;
    quietHours->addWidget(m_chkQuietHours);
    quietHours->addWidget(m_tmeQuietFrom);
    quietHours->addWidget(new QLabel(QStringLiteral("to"), this));
    quietHours->addWidget(m_tmeQuietTo);
    quietHours->addStretch();
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_cmdOK = named(buttons->button(QDialogButtonBox::Ok), "cmdOK");
    m_cmdCancel = named(buttons->button(QDialogButtonBox::Cancel), "cmdCancel");
    m_cmdOK->setDefault(true);
    // Plain, as on the program's other dialogs; some styles add theme icons.
    m_cmdOK->setIcon(QIcon());
    m_cmdCancel->setIcon(QIcon());
    connect(buttons, &QDialogButtonBox::accepted, this, &frmPreferences::cmdOK_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout;
    auto *volumeLabel = new QLabel(QStringLiteral("&Volume"), this);
    volumeLabel->setBuddy(m_sldVolume);
    form->addRow(volumeLabel, volume);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(quietHours);
    layout->addWidget(m_chkQuietWhenLocked);
    layout->addWidget(m_chkAutostart);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const AppState::Preferences &p = m_state.preferences;
    m_sldVolume->setValue(p.volume);
    m_lblVolume->setText(QStringLiteral("%1 %").arg(p.volume));
    m_chkQuietHours->setChecked(p.quietHours);
    m_tmeQuietFrom->setTime(p.quietFrom);
    m_tmeQuietTo->setTime(p.quietTo);
    m_tmeQuietFrom->setEnabled(p.quietHours);
    m_tmeQuietTo->setEnabled(p.quietHours);
    m_chkQuietWhenLocked->setChecked(p.quietWhenLocked);
    // The desktop's own entry is the only record of this choice.
    m_chkAutostart->setChecked(m_autostart.isEnabled());
    m_chkAutostart->setVisible(m_autostart.isAvailable());
    centreOnScreen(this);
}

void frmPreferences::cmdOK_Click()
{
    AppState::Preferences &p = m_state.preferences;
    p.volume = m_sldVolume->value();
    p.quietHours = m_chkQuietHours->isChecked();
    p.quietFrom = m_tmeQuietFrom->time();
    p.quietTo = m_tmeQuietTo->time();
    p.quietWhenLocked = m_chkQuietWhenLocked->isChecked();
    if (!savePreferences(m_store, m_state))
        m_dialogs.message(this, saveFailedMessage(m_store));
    if (m_chkAutostart->isChecked() != m_autostart.isEnabled()) {
        if (const QString problem = m_autostart.setEnabled(m_chkAutostart->isChecked()); !problem.isEmpty())
            m_dialogs.message(this, QStringLiteral("Starting at login could not be changed: ") + problem);
    }
    accept();
}

} // namespace calmora
