#include "platform/posixfilesystem.h"

namespace calmora {

// As the program's platform factory does; linking that factory would pull in every service.
std::shared_ptr<FileSystem> systemFileSystem()
{
    static const std::shared_ptr<FileSystem> files = std::make_shared<PosixFileSystem>();
    return files;
}

} // namespace calmora
