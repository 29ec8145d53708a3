#include "net/frmnetwork.h"

#include "core/appstate.h"
#include "core/settings.h"
#include "net/dropfolder.h"
#include "net/folderlisting.h"
#include "net/frmpath.h"
#include "platform/dialogs.h"
#include "platform/services.h"
#include "platform/settingsstore.h"
#include "widgets/captionfit.h"
#include "widgets/centre.h"
#include "widgets/dialogkeys.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace calmora {

namespace {

template <typename T>
T *named(T *widget, const char *name, const QRect &geometry, const char *tip = nullptr)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    if (tip)
        widget->setToolTip(QLatin1String(tip));
    return widget;
}

} // namespace

QString Get_ComputerName(const Services &services)
{
    return services.program.computerName;
}

frmNetwork::frmNetwork(AppState &state, const Services &services, FolderListing &File1, QWidget *parent)
    : QDialog(parent), m_state(state), m_services(services), m_dialogs(*services.dialogs),
      m_store(*services.store), m_file1(File1)
{
    setObjectName(QStringLiteral("frmNetwork"));
    setWindowTitle(QStringLiteral("Network Settings"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twipsSize(5355, 3270));

    m_label1 =
        named(new QLabel(QStringLiteral("Computer Name"), this), "Label1", twipsRect(120, 180, 1575, 255));
    m_txtNetName = named(new QLineEdit(this), "txtNetName", twipsRect(1800, 120, 3375, 315),
                         "Unique name for your computer");
    m_label1->setBuddy(m_txtNetName);
    m_label2 = named(new QLabel(QStringLiteral("Shared Network Path"), this), "Label2",
                     twipsRect(120, 600, 1575, 255));
    m_txtNetPath = named(new QLineEdit(this), "txtNetPath", twipsRect(1800, 540, 2475, 315),
                         "Network path where all users have access");
    m_label2->setBuddy(m_txtNetPath);
    m_cmdBrowse =
        named(new QPushButton(QStringLiteral("Browse"), this), "cmdBrowse", twipsRect(4320, 540, 855, 315));
    m_label3 = named(new QLabel(QStringLiteral("Users"), this), "Label3", twipsRect(120, 1020, 1575, 255));
    m_lstUsers = named(new QListWidget(this), "lstUsers", twipsRect(1800, 960, 2475, 1455),
                       "Add computer name of other users");
    m_lstUsers->setSelectionMode(QAbstractItemView::SingleSelection);
    m_label3->setBuddy(m_lstUsers);
    m_cmdAdd = named(new QPushButton(QStringLiteral("Add"), this), "cmdAdd", twipsRect(4320, 960, 855, 315),
                     "Add a user");
    m_cmdDelete = named(new QPushButton(QStringLiteral("Del"), this), "cmdDelete",
                        twipsRect(4320, 1380, 855, 315), "Delete a user");
    m_chkActive = named(new QCheckBox(QStringLiteral("Activate Network Stress"), this), "chkActive",
                        twipsRect(120, 2760, 2535, 315), "Allow network messages to be sent to you");
    m_cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK", twipsRect(2880, 2700, 1095, 375));
    m_cmdCancel =
        named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel", twipsRect(4080, 2700, 1095, 375));
    for (QPushButton *button : {m_cmdBrowse, m_cmdAdd, m_cmdDelete, m_cmdOK, m_cmdCancel})
        button->setAutoDefault(false);
    for (QLabel *label : {m_label1, m_label2, m_label3})
        wrapIfCut(label);

    QWidget *order[] = {m_txtNetName, m_txtNetPath, m_cmdBrowse, m_cmdOK,    m_cmdCancel,
                        m_chkActive,  m_lstUsers,   m_cmdAdd,    m_cmdDelete};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_cmdAdd, &QPushButton::clicked, this, &frmNetwork::cmdAdd_Click);
    connect(m_cmdDelete, &QPushButton::clicked, this, &frmNetwork::cmdDelete_Click);
    connect(m_cmdBrowse, &QPushButton::clicked, this, &frmNetwork::cmdBrowse_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmNetwork::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmNetwork::cmdCancel_Click);
    ignoreEnterAndEscape(this);
    Form_Load();
}

void frmNetwork::Form_Load()
{
    centreOnScreen(this);
    if (m_state.NetName.isEmpty())
        m_state.NetName = Get_ComputerName(m_services);
    m_txtNetName->setText(m_state.NetName.toLower());
    m_txtNetPath->setText(m_state.NetPath);
    m_chkActive->setChecked(m_state.NetActive);
    const int count = std::clamp(m_state.UserCount, 0, AppState::kMaxUsers);
    for (int i = 1; i <= count; ++i)
        m_lstUsers->addItem(m_state.Users[i]);
}

void frmNetwork::cmdAdd_Click()
{
    if (m_lstUsers->count() >= AppState::kMaxUsers) {
        m_dialogs.message(this,
                          QStringLiteral("No more than %1 users can be added.").arg(AppState::kMaxUsers));
        return;
    }
    const QString name = m_dialogs.inputText(this, QStringLiteral("Enter the computer name of the user."));
    // Cancel, or OK on an empty field, adds nobody.
    if (name.isEmpty())
        return;
    if (const QString problem = nameProblem(name); !problem.isEmpty()) {
        m_dialogs.message(this, problem);
        return;
    }
    m_lstUsers->addItem(name);
}

void frmNetwork::cmdDelete_Click()
{
    const QList<QListWidgetItem *> selected = m_lstUsers->selectedItems();
    if (!selected.isEmpty())
        delete selected.first();
}

void frmNetwork::cmdBrowse_Click()
{
    // The chooser starts at the folder in force, not at what the field shows.
    m_state.BrowsePath = m_state.NetPath;
    {
        frmPath chooser(m_state, m_dialogs, this);
        chooser.exec();
    }
    if (!m_state.BrowsePath.isEmpty())
        m_txtNetPath->setText(m_state.BrowsePath);
}

void frmNetwork::cmdOK_Click()
{
    if (const QString problem = nameProblem(m_txtNetName->text()); !problem.isEmpty()) {
        m_dialogs.message(this, problem);
        m_txtNetName->setFocus();
        return;
    }
    m_state.NetName = m_txtNetName->text();
    m_state.NetPath = m_txtNetPath->text();
    m_state.NetActive = m_chkActive->isChecked();
    Q_EMIT activeChosen(m_state.NetActive);
    m_state.UserCount = std::min(m_lstUsers->count(), AppState::kMaxUsers);
    for (int i = 1; i <= m_state.UserCount; ++i)
        m_state.Users[i] = m_lstUsers->item(i - 1)->text();
    // A failed save is said; the values stay in force, and SettingsChanged
    // (below) offers to save them again at the end.
    if (!saveNetworkSettings(m_store, m_state))
        m_dialogs.message(this, saveFailedMessage(m_store));

    // The one check of the folder: can the listing be bound to it?
    if (const std::error_code error = m_file1.setPath(m_state.NetPath)) {
        if (FolderListing::isDeviceUnavailable(error)) {
            m_dialogs.message(this, QStringLiteral("Network Device is not available..."));
            m_state.NetActive = false;
        } else {
            m_dialogs.message(this, QString::fromLocal8Bit(error.message()));
        }
    }
    m_state.SettingsChanged = true;
    accept();
}

void frmNetwork::cmdCancel_Click()
{
    reject();
}

} // namespace calmora
