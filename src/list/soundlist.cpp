#include "list/soundlist.h"

#include "core/appstate.h"

#include <algorithm>

namespace calmora {

SoundList::SoundList(AppState &state, QObject *parent) : QAbstractListModel(parent), m_state(state) {}

int SoundList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant SoundList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !contains(index.row()))
        return {};
    const Entry &entry = m_entries[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole: return entry.text;
    case Qt::CheckStateRole: return entry.ticked ? Qt::Checked : Qt::Unchecked;
    default: return {};
    }
}

bool SoundList::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || !contains(index.row()))
        return false;
    setTicked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags SoundList::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}

QString SoundList::text(int index) const
{
    return contains(index) ? m_entries[size_t(index)].text : QString();
}

bool SoundList::isTicked(int index) const
{
    return contains(index) && m_entries[size_t(index)].ticked;
}

int SoundList::addEntry(const QString &text, bool ticked)
{
    if (count() >= kMaxEntries)
        return -1;
    // After any equal texts, as a sorted list control inserts.
    const auto at = std::upper_bound(m_entries.begin(), m_entries.end(), text,
                                     [](const QString &t, const Entry &e) { return sortsBefore(t, e.text); });
    const int row = int(at - m_entries.begin());
    beginInsertRows(QModelIndex(), row, row);
    m_entries.insert(at, Entry{text, ticked});
    endInsertRows();
    List1_ItemCheck();
    return row;
}

void SoundList::setTicked(int index, bool ticked)
{
    if (!contains(index))
        return;
    m_entries[size_t(index)].ticked = ticked;
    const QModelIndex changed = this->index(index);
    Q_EMIT dataChanged(changed, changed, {Qt::CheckStateRole});
    List1_ItemCheck();
}

void SoundList::removeAt(int index)
{
    if (!contains(index))
        return;
    beginRemoveRows(QModelIndex(), index, index);
    m_entries.erase(m_entries.begin() + index);
    endRemoveRows();
    Get_SelectedWavs();
}

void SoundList::clear()
{
    beginResetModel();
    m_entries.clear();
    m_list2.clear();
    endResetModel();
}

void SoundList::Get_SelectedWavs()
{
    if (m_batchDepth > 0) {
        m_rebuildPending = true;
        return;
    }
    m_list2.clear();
    for (const Entry &entry : m_entries) {
        if (entry.ticked)
            m_list2.append(entry.text);
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
    ++m_list.m_batchDepth;
}

SoundList::Batch::~Batch()
{
    if (--m_list.m_batchDepth > 0)
        return;
    if (m_list.m_rebuildPending) {
        m_list.m_rebuildPending = false;
        m_list.Get_SelectedWavs();
    }
}

} // namespace calmora
