#include "platform/device_group.h"

#include <grp.h>
#include <sys/stat.h>

std::string DeviceGroup(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return "unknown";
    if (const group* g = ::getgrgid(st.st_gid))
        return g->gr_name;
    return std::to_string(st.st_gid);
}

std::string GroupPermissionHint(const std::string& path, const std::string& usualGroup) {
    std::string group = DeviceGroup(path);
    if (group == "unknown")
        group = usualGroup;
    return path + " belongs to group " + group + ": add yourself to it (sudo usermod -aG " + group +
           " $USER), then log in again.";
}
