#include "list/soundlist.h"

#include "app/appstate.h"

#include <QListWidget>

#include <algorithm>

namespace calmora {

namespace {

// Sorts as people read file names: letter case ignored, with a case-sensitive
// tie-break so every new entry lands at one definite place.
class SoundItem final : public QListWidgetItem
{
public:
    explicit SoundItem(const QString &text) : QListWidgetItem(text, nullptr, QListWidgetItem::UserType)
    {
        setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    }

    bool operator<(const QListWidgetItem &other) const override
    {
        return SoundList::sortsBefore(text(), other.text());
    }
};

} // namespace

SoundList::SoundList(QListWidget *list1, AppState &state, QObject *parent)
    : QObject(parent), m_list1(list1), m_state(state)
{
    m_list1->setSortingEnabled(true);
    m_list1->setUniformItemSizes(true);
    connect(m_list1, &QListWidget::itemChanged, this, [this] { List1_ItemCheck(); });
}

int SoundList::count() const
{
    return m_list1->count();
}

QListWidgetItem *SoundList::itemAt(int index) const
{
    return m_list1->item(index);
}

QString SoundList::text(int index) const
{
    const QListWidgetItem *item = itemAt(index);
    return item ? item->text() : QString();
}

bool SoundList::isTicked(int index) const
{
    const QListWidgetItem *item = itemAt(index);
    return item && item->checkState() == Qt::Checked;
}

int SoundList::currentIndex() const
{
    const QList<QListWidgetItem *> selected = m_list1->selectedItems();
    return selected.isEmpty() ? -1 : m_list1->row(selected.constFirst());
}

QString SoundList::currentText() const
{
    return text(currentIndex());
}

int SoundList::addEntry(const QString &text, bool ticked)
{
    if (count() >= kMaxEntries)
        return -1;
    auto *item = new SoundItem(text);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    m_list1->addItem(item); // sorting is on: the item lands at its place
    List1_ItemCheck();
    return m_list1->row(item);
}

void SoundList::setTicked(int index, bool ticked)
{
    if (QListWidgetItem *item = itemAt(index))
        item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked); // runs List1_ItemCheck
}

void SoundList::removeAt(int index)
{
    {
        // The view would highlight a neighbour; the user has not chosen one.
        const QSignalBlocker blocker(m_list1);
        delete m_list1->takeItem(index);
        m_list1->setCurrentRow(-1);
        m_list1->clearSelection();
    }
    Get_SelectedWavs();
}

void SoundList::clear()
{
    m_list1->clear();
    m_list2.clear();
}

void SoundList::Get_SelectedWavs()
{
    if (m_batchDepth > 0) {
        m_rebuildPending = true;
        return;
    }
    m_list2.clear();
    const int n = count();
    for (int i = 0; i < n; ++i) {
        const QListWidgetItem *item = itemAt(i);
        if (item->checkState() == Qt::Checked)
            m_list2.append(item->text());
    }
}

bool SoundList::sortsBefore(const QString &a, const QString &b)
{
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a.compare(b, Qt::CaseSensitive) < 0;
}

int SoundList::addSoundFiles(const QStringList &paths, Qt::CaseSensitivity fileNames)
{
    QStringList texts;
    texts.reserve(paths.size());
    for (const QString &path : paths) {
        if (isSoundFileName(path))
            texts.append(entryText(path, fileNames));
    }
    // The first ones in the given order get the room that is left.
    const qsizetype room = std::max(0, kMaxEntries - count());
    const int notAdded = int(std::max<qsizetype>(0, texts.size() - room));
    texts.resize(texts.size() - notAdded);
    // Each entry ends up at its sorted place whatever the order of inserting;
    // in sorted order each lands at or near the end instead of shifting the rest.
    std::stable_sort(texts.begin(), texts.end(), sortsBefore);
    const Batch batch(*this);
    for (const QString &text : std::as_const(texts))
        addEntry(text, true);
    return notAdded;
}

bool SoundList::isSoundFileName(const QString &name)
{
    return name.endsWith(QLatin1String(".wav"), Qt::CaseInsensitive)
           || name.endsWith(QLatin1String(".avi"), Qt::CaseInsensitive);
}

QString SoundList::entryText(const QString &path, Qt::CaseSensitivity fileNames)
{
    return fileNames == Qt::CaseInsensitive ? path.toLower() : path;
}

QString SoundList::listFullMessage(int notAdded)
{
    return QStringLiteral("The sound list is full: it holds at most %1 files. %2 not added.")
        .arg(kMaxEntries)
        .arg(notAdded == 1 ? QStringLiteral("1 file was") : QStringLiteral("%1 files were").arg(notAdded));
}

void SoundList::List1_ItemCheck()
{
    Get_SelectedWavs();
    m_state.SettingsChanged = true;
    Q_EMIT ticksChanged();
}

SoundList::Batch::Batch(SoundList &list) : m_list(list)
{
    if (m_list.m_batchDepth++ == 0)
        m_list.m_list1->setUpdatesEnabled(false);
}

SoundList::Batch::~Batch()
{
    if (--m_list.m_batchDepth > 0)
        return;
    m_list.m_list1->setUpdatesEnabled(true);
    if (m_list.m_rebuildPending) {
        m_list.m_rebuildPending = false;
        m_list.Get_SelectedWavs();
    }
}

} // namespace calmora
