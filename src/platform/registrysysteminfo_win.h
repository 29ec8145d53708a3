#pragma once

#include "platform/systeminfolookup.h"

namespace calmora {

// Windows: the system information tool as registered under HKEY_LOCAL_MACHINE,
// first by its full path, then by the folder it is kept in.
class RegistrySystemInfo final : public SystemInfoLookup
{
public:
    std::optional<QString> toolProgram() override;
    std::optional<QString> toolFolder() override;
    QString toolFileName() const override;
};

} // namespace calmora
