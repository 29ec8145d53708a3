#pragma once

#include <QObject>

namespace calmora {

// One running copy per user and settings file. The first copy listens on a
// local socket named after them; a second start finds it there, asks it to
// come forward, and ends. A socket left by a copy that crashed is found dead
// and taken over, so a stale one never stops the program from starting.
class InstanceGuard final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InstanceGuard)

public:
    // key: what makes copies the same one, such as the settings file.
    explicit InstanceGuard(const QString &key, QObject *parent = nullptr);
    ~InstanceGuard() override;

    // True when this is the only copy (it now listens); false after a running
    // copy was asked to come forward.
    bool claim();

    QString socketName() const { return m_name; }

Q_SIGNALS:
    // Another start asked this copy to show its window.
    void activationRequested();

private:
    bool askRunningCopy() const;
    bool listen();

    QString m_name;
    QObject *m_listener = nullptr; // owns the listening socket; a child
};

} // namespace calmora
