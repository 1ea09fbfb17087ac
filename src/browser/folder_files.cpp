#include "browser/folder_files.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "browser/file_names.h"

namespace veltrin {

namespace fs = std::filesystem;

namespace {

// Regular files of a folder, whatever their names; symbolic links to files
// count as files (the link is what a delete removes).
template <typename Visit>
void forEachFile(const std::string& folder, Visit visit)
{
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return;
    for (const fs::directory_entry& entry : it) {
        std::error_code typeError;
        if (entry.is_regular_file(typeError))
            visit(entry.path());
    }
}

}  // namespace

std::vector<std::string> messageFileNames(const std::string& folder)
{
    std::vector<std::string> names;
    forEachFile(folder, [&](const fs::path& path) {
        std::string name = path.filename().string();
        if (matchesMessageMask(name))
            names.push_back(std::move(name));
    });
    return names;
}

int countMessageFiles(const std::string& folder)
{
    if (!isFolder(folder))
        return -2;
    return static_cast<int>(messageFileNames(folder).size());
}

void deleteFolderFiles(const std::string& folder)
{
    std::vector<fs::path> files;
    forEachFile(folder, [&](const fs::path& path) { files.push_back(path); });
    std::error_code ec;
    for (const fs::path& file : files)
        fs::remove(file, ec);
    fs::remove(folder, ec);  // only succeeds when it is empty now
}

bool isFolder(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool isFile(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

int readTextPieces(const std::string& path, std::string& out)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return -1;
    char piece[256];
    std::size_t n;
    while ((n = std::fread(piece, 1, sizeof piece, file)) > 0) {
        const void* zero = std::memchr(piece, 0, n);
        out.append(piece, zero ? static_cast<const char*>(zero) - piece : n);
    }
    return std::fclose(file) == 0 ? 0 : -2;
}

}  // namespace veltrin
