#include "messages/data_folders.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "platform/ui_ports.h"

namespace veltrin {

namespace {
bool isFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

std::string dayFolderName(const CalendarTime& t)
{
    char name[32];
    std::snprintf(name, sizeof name, "%02d%02d%02d", t.year % 100, t.month, t.day);
    return name;
}

std::string dayFolderPath(const CalendarTime& t)
{
    return std::string(kDataFolder) + "/" + dayFolderName(t);
}

bool ensureDataFolder(const std::string& path, MessageBoxes& boxes)
{
    if (isFolder(path))
        return true;
    // Another program may create it at the same moment; that is success too.
    if (::mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && isFolder(path)))
        return true;
    boxes.showMessage("Can not create directory!", "Error");
    return false;
}

}  // namespace veltrin
