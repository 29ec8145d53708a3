#pragma once

#include <QObject>
#include <QStringList>

#include <system_error>

namespace calmora {

// File1: the names in one folder that match a name pattern. Patterns are
// wildcards ("*", "?"), several separated by ";", matched ignoring letter case
// as on the shared folders the program's peers use.
class FolderListing final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderListing)

public:
    explicit FolderListing(QObject *parent = nullptr);

    // Binds the listing to a folder. On failure the listing keeps the folder it
    // had and the error says why. An empty path binds to nothing: the listing
    // is empty until it is bound again.
    std::error_code setPath(const QString &path);
    QString path() const { return m_path; }

    void setPattern(const QString &pattern);
    QString pattern() const { return m_pattern; }

    // Reads the folder again.
    void refresh();
    int count() const { return int(m_names.size()); }
    QString item(int index) const { return m_names.value(index); }
    const QStringList &names() const { return m_names; }

    // Whether an error means the folder's device cannot be reached (an absent
    // network share) rather than that something is wrong with the path.
    static bool isDeviceUnavailable(const std::error_code &error);

private:
    QString m_path;
    QString m_pattern = QStringLiteral("playnow.wav");
    QStringList m_names;
};

} // namespace calmora
