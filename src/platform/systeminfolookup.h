#pragma once

#include <QString>

#include <optional>

namespace calmora {

// Where the desktop keeps its system information tool. The About box asks the
// two lookups in order; only the second needs the file test.
class SystemInfoLookup
{
public:
    virtual ~SystemInfoLookup() = default;

    // First lookup: the tool's program itself, started as found (a program
    // named here that does not exist simply fails to start). nullopt when this
    // lookup finds nothing.
    virtual std::optional<QString> toolProgram() = 0;
    // Second lookup: a folder that should hold toolFileName().
    virtual std::optional<QString> toolFolder() = 0;
    virtual QString toolFileName() const = 0;
};

} // namespace calmora
