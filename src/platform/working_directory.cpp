#include "platform/working_directory.h"

#include <filesystem>
#include <system_error>

#include "platform/registry.h"

namespace veltrin {

WorkingDirectoryChoice selectWorkingDirectory(const Registry& registry, const std::string& settingsFileName)
{
    WorkingDirectoryChoice choice;
    std::error_code ec;
    if (std::filesystem::exists(settingsFileName, ec))
        return choice;

    registry.ensureExists();
    auto dir = registry.readString("DefaultDir");
    if (!dir || dir->empty())
        return choice;
    std::filesystem::current_path(*dir, ec);
    if (ec)
        return choice;
    choice.changed = true;
    choice.dir = *dir;
    return choice;
}

std::string workingDirectoryNotice(const std::string& dir)
{
    return "Working directory was changed to default directory\r\n" + dir + "\r\n";
}

std::string absolutePath(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.string();
}

}  // namespace veltrin
