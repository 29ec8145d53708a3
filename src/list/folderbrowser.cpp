#include "list/folderbrowser.h"

#include "platform/dialogs.h"
#include "widgets/centre.h"
#include "widgets/dialogkeys.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace calmora {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

// "" when the folder can be listed, otherwise the platform's text for why not.
QString folderError(const QString &path)
{
    std::error_code error;
    const std::filesystem::directory_iterator probe(std::filesystem::path(path.toStdU16String()), error);
    return error ? QString::fromStdString(error.message()) : QString();
}

bool isInside(const QString &path, const QString &root)
{
    if (path == root)
        return true;
    if (root.endsWith(QLatin1Char('/')))
        return path.startsWith(root);
    return path.startsWith(root) && path.at(root.size()) == QLatin1Char('/');
}

QString childPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

// The top of the file system a path lies on: "/" or a drive's "c:/".
QString topRoot(const QString &path)
{
    return path.left(path.indexOf(QLatin1Char('/')) + 1);
}

QPushButton *chooserButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QString absoluteClean(const QString &path)
{
    return QDir::cleanPath(QDir(QDir::fromNativeSeparators(path)).absolutePath());
}

} // namespace

FolderBrowser::FolderBrowser(QDialog *dialog, Dialogs &dialogs, const QStringList &drives)
    : QObject(dialog), m_dialog(dialog), m_dialogs(dialogs)
{
    m_dirList = new QTreeWidget(dialog);
    m_dirList->setObjectName(QStringLiteral("dirList"));
    m_dirList->setHeaderHidden(true);
    m_dirList->setColumnCount(1);
    m_dirList->setSelectionMode(QAbstractItemView::SingleSelection);
    // Deep folders scroll sideways rather than lose their names to an ellipsis.
    m_dirList->setIndentation(12);
    m_dirList->header()->setStretchLastSection(false);
    m_dirList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_dirList->setAccessibleName(QStringLiteral("Folders"));
    connect(m_dirList, &QTreeWidget::itemExpanded, this, &FolderBrowser::fillChildren);
    connect(m_dirList, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { currentItemChanged(current); });

    m_label1 = new QLabel(QStringLiteral("Drives:"), dialog);
    m_label1->setObjectName(QStringLiteral("label1"));
    m_drive1 = new QComboBox(dialog);
    m_drive1->setObjectName(QStringLiteral("Drive1"));
    m_label1->setBuddy(m_drive1);
    for (const QString &root : drives)
        m_drive1->addItem(QDir::toNativeSeparators(root), QDir::fromNativeSeparators(root));
    // Only the user's choice runs the drive step; the program setting the
    // drive list to follow the tree must not move the tree away again.
    connect(m_drive1, &QComboBox::activated, this, &FolderBrowser::Drive1_Change);

    m_cmdOK = chooserButton(dialog, "cmdOK", QStringLiteral("OK"));
    m_cmdCancel = chooserButton(dialog, "cmdCancel", QStringLiteral("Cancel"));
    QWidget::setTabOrder(m_dirList, m_drive1);
    QWidget::setTabOrder(m_drive1, m_cmdOK);
    QWidget::setTabOrder(m_cmdOK, m_cmdCancel);

    ignoreEnterAndEscape(dialog);
}

QStringList FolderBrowser::mountedDrives()
{
    QStringList roots;
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &volume : volumes) {
        const QString root = volume.rootPath();
        // Container bind mounts of single files are no drives.
        if (volume.isValid() && !roots.contains(root) && QFileInfo(root).isDir())
            roots.append(root);
    }
    std::sort(roots.begin(), roots.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    const QString systemRoot = QStorageInfo::root().rootPath();
    roots.removeAll(systemRoot);
    roots.prepend(systemRoot);
    return roots;
}

QString FolderBrowser::folder() const
{
    return QDir::toNativeSeparators(m_folder);
}

void FolderBrowser::openAt(const QString &browsePath)
{
    centreOnScreen(m_dialog);
    m_dirList->setFocus();
    if (!browsePath.isEmpty()) {
        if (const QString error = setFolder(browsePath); !error.isEmpty()) {
            report(browsePath, error);
        } else {
            const QSignalBlocker blocker(m_drive1);
            const int drive = driveIndexFor(absoluteClean(browsePath));
            if (drive < 0)
                report(browsePath,
                       QString::fromStdString(std::make_error_code(std::errc::no_such_device).message()));
            m_drive1->setCurrentIndex(drive);
            return;
        }
    }
    // The program's current drive and folder; the first drive's top when
    // the current folder has gone.
    QString here = QDir::currentPath();
    if (!setFolder(here).isEmpty() && m_drive1->count() > 0) {
        here = m_drive1->itemData(0).toString();
        setFolder(here);
    }
    const QSignalBlocker blocker(m_drive1);
    m_drive1->setCurrentIndex(driveIndexFor(here));
}

int FolderBrowser::driveIndexFor(const QString &path) const
{
    // A drive letter and colon name the drive by themselves.
    static const QRegularExpression driveLetter(QStringLiteral("^[A-Za-z]:"));
    if (driveLetter.match(path).hasMatch()) {
        for (int i = 0; i < m_drive1->count(); ++i) {
            if (m_drive1->itemData(i).toString().startsWith(path.left(2), Qt::CaseInsensitive))
                return i;
        }
        return -1;
    }
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < m_drive1->count(); ++i) {
        const QString root = m_drive1->itemData(i).toString();
        if (root.size() > bestLength && isInside(path, root)) {
            best = i;
            bestLength = root.size();
        }
    }
    return best;
}

QString FolderBrowser::driveCurrentFolder(int index) const
{
    const QString here = QDir::currentPath();
    return driveIndexFor(here) == index ? here : m_drive1->itemData(index).toString();
}

QString FolderBrowser::setFolder(const QString &path)
{
    if (path.isEmpty())
        return QString::fromStdString(std::make_error_code(std::errc::no_such_file_or_directory).message());
    const QString target = absoluteClean(path);
    if (const QString error = folderError(target); !error.isEmpty())
        return error;

    const int drive = driveIndexFor(target);
    const QString root = drive >= 0 ? m_drive1->itemData(drive).toString() : topRoot(target);
    QTreeWidgetItem *item = m_dirList->topLevelItem(0);
    if (!item || item->data(0, kPathRole).toString() != root) {
        showDrive(root);
        item = m_dirList->topLevelItem(0);
    }
    const QStringList names = target.mid(root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &name : names) {
        fillChildren(item);
        item->setExpanded(true);
        item = childNamed(item, name);
    }
    m_dirList->setCurrentItem(item);
    currentItemChanged(item);
    // Show its subfolders too, not just the folder at the bottom edge.
    m_dirList->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    return QString();
}

void FolderBrowser::Drive1_Change(int index)
{
    if (index < 0)
        return;
    const QString target = driveCurrentFolder(index);
    // A drive that cannot be read keeps the tree where it was; the drive list
    // still shows the user's choice.
    if (const QString error = folderError(target); !error.isEmpty()) {
        report(target, error);
        return;
    }
    setFolder(target);
}

void FolderBrowser::showDrive(const QString &root)
{
    m_dirList->clear();
    auto *top = new QTreeWidgetItem(m_dirList, {QDir::toNativeSeparators(root)});
    top->setData(0, kPathRole, root);
    top->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
}

void FolderBrowser::fillChildren(QTreeWidgetItem *item)
{
    if (item->data(0, kFilledRole).toBool())
        return;
    item->setData(0, kFilledRole, true);
    const QString path = item->data(0, kPathRole).toString();
    const QStringList names = QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                   QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QString &name : names) {
        auto *child = new QTreeWidgetItem(item, {name});
        child->setData(0, kPathRole, childPath(path, name));
        // Whether it has subfolders is learnt when it opens, not by reading every folder now.
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    if (names.isEmpty())
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem *FolderBrowser::childNamed(QTreeWidgetItem *item, const QString &name)
{
    for (int i = 0; i < item->childCount(); ++i) {
        if (item->child(i)->text(0) == name)
            return item->child(i);
    }
    // Hidden folders are not listed, but one can still be the way to the target.
    auto *child = new QTreeWidgetItem(item, {name});
    child->setData(0, kPathRole, childPath(item->data(0, kPathRole).toString(), name));
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return child;
}

void FolderBrowser::currentItemChanged(QTreeWidgetItem *item)
{
    if (!item)
        return;
    const QString path = item->data(0, kPathRole).toString();
    if (path == m_folder)
        return;
    m_folder = path;
    fillChildren(item);
    item->setExpanded(true);
    m_dirList->scrollToItem(item);
    Q_EMIT dirList_Change(folder());
}

void FolderBrowser::report(const QString &path, const QString &error)
{
    m_dialogs.message(m_dialog, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), error));
}

} // namespace calmora
