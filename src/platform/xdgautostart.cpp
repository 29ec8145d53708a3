#include "platform/xdgautostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <utility>

namespace calmora {

namespace {

// A path as one quoted argument of an Exec key: inside the quotes \, ", `
// and $ are escaped, and every \ is then escaped once more for the key's value.
QString execArgument(const QString &path)
{
    QString quoted;
    for (const QChar c : path) {
        if (c == u'\\' || c == u'"' || c == u'`' || c == u'$')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    return u'"' + quoted + u'"';
}

} // namespace

XdgAutostart::XdgAutostart(QString program, QString baseName)
    : m_program(std::move(program)), m_baseName(std::move(baseName))
{
}

QString XdgAutostart::entryPath() const
{
    // Desktop file names take letters, digits, "-", "_" and ".".
    QString name = m_baseName;
    for (QChar &c : name) {
        if (!c.isLetterOrNumber() || c.unicode() > 0x7f)
            c = u'_';
    }
    const QString id = name == QLatin1String("calmora") ? QStringLiteral("org.calmora.Calmora")
                                                        : QStringLiteral("org.calmora.Calmora-") + name;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/") + id + QStringLiteral(".desktop");
}

QString XdgAutostart::entry() const
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Calmora\n"
                          "Comment=Plays sounds at random from the notification area\n"
                          "Exec=%1\n"
                          "Icon=org.calmora.Calmora\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(m_program));
}

bool XdgAutostart::isEnabled() const
{
    return QFile::exists(entryPath());
}

QString XdgAutostart::setEnabled(bool enabled)
{
    const QString path = entryPath();
    if (!enabled) {
        QFile file(path);
        return !file.exists() || file.remove() ? QString() : file.errorString();
    }
    if (!QDir().mkpath(QFileInfo(path).path()))
        return QStringLiteral("%1 cannot be created.").arg(QDir::toNativeSeparators(QFileInfo(path).path()));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entry().toUtf8()) < 0 || !file.commit())
        return file.errorString();
    return {};
}

} // namespace calmora
