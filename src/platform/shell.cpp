#include "platform/shell.h"

#include <filesystem>
#include <system_error>

namespace veltrin {

std::string helpFilePath(const std::string& executableDir)
{
    std::string dir = executableDir;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    const std::string besideProgram = dir + "/Veltrin.html";
    // Normalised, so that the desktop is handed a path without "..".
    const std::filesystem::path installed =
        (std::filesystem::path(dir) / "../share/veltrin/Veltrin.html").lexically_normal();
    std::error_code ec;
    if (std::filesystem::is_regular_file(besideProgram, ec))
        return besideProgram;
    if (std::filesystem::is_regular_file(installed, ec))
        return installed.string();
    return besideProgram;
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
