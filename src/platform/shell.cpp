#include "platform/shell.h"

#include <filesystem>
#include <system_error>

namespace veltrin {

std::string helpFilePath(const std::string& executableDir)
{
    std::string dir = executableDir;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir + "/Veltrin.chm";
}

std::string executableDirectory()
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return ".";
    return exe.parent_path().string();
}

}  // namespace veltrin
