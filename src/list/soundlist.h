#pragma once

#include <QAbstractListModel>
#include <QStringList>

#include <utility>
#include <vector>

namespace calmora {

struct AppState;

// The sound list: List1's entries, each the path of a sound file and a tick,
// kept sorted; and List2, the paths of the ticked entries in list order that
// random sounds are drawn from. A view shows the entries and lets the user tick
// them; every tick change rebuilds List2 and sets SettingsChanged.
class SoundList final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SoundList)

public:
    // Counts and indexes were 16-bit in the stored format; the list never holds more.
    static constexpr int kMaxEntries = 32767;

    SoundList(AppState &state, QObject *parent);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    const QStringList &List2() const { return m_list2; }

    int count() const { return int(m_entries.size()); }
    // "" for an index outside the list (such as -1, no entry).
    QString text(int index) const;
    bool isTicked(int index) const;

    // Inserts text at its sorted place and sets its tick as a user's tick
    // would (List2 rebuilt, SettingsChanged set). Returns the new index, or
    // -1 when the list is full.
    int addEntry(const QString &text, bool ticked);
    void setTicked(int index, bool ticked);
    // Removing also rebuilds List2, so a removed sound never plays at random.
    void removeAt(int index);
    // Empties List1 and List2 without touching SettingsChanged.
    void clear();

    // Rebuilds List2 from the ticked entries of List1.
    void Get_SelectedWavs();

    // Adds, ticked and in the order given, every path whose name ends in
    // ".wav" or ".avi"; other paths are skipped. Returns how many sound files
    // did not fit into the full list.
    int addSoundFiles(const QStringList &paths, Qt::CaseSensitivity fileNames);

    // The order of List1: letter case ignored, with a case-sensitive
    // tie-break so every new entry lands at one definite place.
    static bool sortsBefore(const QString &a, const QString &b);
    // Whether name ends in ".wav" or ".avi", in any letter case.
    static bool isSoundFileName(const QString &name);
    // The text a file gets in the list. Where the file system ignores letter
    // case it is lower-cased; where case matters it must stay as it is, or
    // the entry would name a file that does not exist.
    static QString entryText(const QString &path, Qt::CaseSensitivity fileNames);
    // Tells the user that notAdded files found no room in the list.
    static QString listFullMessage(int notAdded);

    // While a batch is open, tick changes rebuild List2 once, when it closes,
    // instead of once per entry. What they leave behind is the same.
    class Batch
    {
    public:
        explicit Batch(SoundList &list);
        ~Batch();
        Q_DISABLE_COPY_MOVE(Batch)

    private:
        SoundList &m_list;
    };

Q_SIGNALS:
    // A tick changed, by the user or by the program.
    void ticksChanged();

private:
    struct Entry
    {
        QString text;
        bool ticked = false;
    };

    bool contains(int index) const { return index >= 0 && index < count(); }
    void List1_ItemCheck();

    AppState &m_state;
    std::vector<Entry> m_entries;
    QStringList m_list2;
    int m_batchDepth = 0;
    bool m_rebuildPending = false;
};

} // namespace calmora
