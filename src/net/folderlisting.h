#pragma once

#include <QObject>
#include <QStringList>

#include <memory>
#include <system_error>

namespace calmora {

class FileSystem;
class ShareJobs;

// File1: the names in one folder that match a name pattern. Patterns are
// wildcards ("*", "?"), several separated by ";", matched ignoring letter case
// as on the shared folders the program's peers use.
//
// The folder is usually the shared one, which may lie on a network mount that
// hangs; the listing never waits for it longer than waitLimit().
class FolderListing final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderListing)

public:
    // Long enough for a slow share to answer, short enough not to look frozen.
    static constexpr int kDefaultWaitMs = 2000;

    explicit FolderListing(std::shared_ptr<FileSystem> files, QObject *parent = nullptr);
    ~FolderListing() override;

    void setWaitLimit(int milliseconds) { m_waitMs = milliseconds; }
    int waitLimit() const { return m_waitMs; }

    // Binds the listing to a folder; refresh() reads it. On failure the listing
    // keeps the folder it had and the error says why; a folder that does not
    // answer in time fails with timed_out. An empty path binds to nothing: the
    // listing is empty until it is bound again.
    std::error_code setPath(const QString &path);
    QString path() const { return m_path; }

    void setPattern(const QString &pattern);
    QString pattern() const { return m_pattern; }

    // Reads the folder again, sorted by name. A folder that cannot be read, or
    // does not answer in time, lists nothing.
    void refresh();
    int count() const { return int(m_names.size()); }
    QString item(int index) const { return m_names.value(index); }
    const QStringList &names() const { return m_names; }

    // Whether an error means the folder's device cannot be reached (an absent
    // or hanging network share) rather than that something is wrong with the path.
    static bool isDeviceUnavailable(const std::error_code &error);

private:
    std::shared_ptr<FileSystem> m_files;
    ShareJobs *m_jobs;
    int m_waitMs = kDefaultWaitMs;
    QString m_path;
    QString m_pattern = QStringLiteral("playnow.wav");
    QStringList m_names;
};

} // namespace calmora
