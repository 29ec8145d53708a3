#include "platform/desktopsysteminfo.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <utility>

namespace calmora {

namespace {

// Each desktop's own view of the computer's hardware and software.
struct DesktopTool
{
    const char *desktop;
    const char *program;
};
constexpr DesktopTool kDesktopTools[] = {
    {"KDE", "kinfocenter"},
    {"XFCE", "xfce4-about"},
    {"MATE", "mate-system-monitor"},
    {"GNOME", "gnome-system-monitor"},
    {"Cinnamon", "gnome-system-monitor"},
    {"Unity", "gnome-system-monitor"},
    {"Budgie", "gnome-system-monitor"},
};

// Runs on any desktop.
const QString kNeutralTool = QStringLiteral("hardinfo");

} // namespace

DesktopSystemInfo::DesktopSystemInfo() : DesktopSystemInfo(qEnvironmentVariable("XDG_CURRENT_DESKTOP"), {}) {}

DesktopSystemInfo::DesktopSystemInfo(const QString &desktops, QStringList searchPath)
    : m_desktops(desktops.split(QLatin1Char(':'), Qt::SkipEmptyParts)), m_searchPath(std::move(searchPath))
{
}

QString DesktopSystemInfo::findProgram(const QString &name) const
{
    return QStandardPaths::findExecutable(name, m_searchPath);
}

std::optional<QString> DesktopSystemInfo::toolProgram()
{
    for (const QString &desktop : m_desktops) {
        for (const DesktopTool &tool : kDesktopTools) {
            if (desktop.compare(QLatin1String(tool.desktop), Qt::CaseInsensitive) != 0)
                continue;
            const QString program = findProgram(QLatin1String(tool.program));
            if (!program.isEmpty())
                return program;
        }
    }
    return std::nullopt;
}

std::optional<QString> DesktopSystemInfo::toolFolder()
{
    const QString program = findProgram(kNeutralTool);
    if (program.isEmpty())
        return std::nullopt;
    return QFileInfo(program).absolutePath();
}

QString DesktopSystemInfo::toolFileName() const
{
    return kNeutralTool;
}

} // namespace calmora
