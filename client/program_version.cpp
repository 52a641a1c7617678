#include "client/program_version.h"

#include "platform/string_format.h"

#include <sys/statvfs.h>

int32_t ProgramVersionNumber() {
    return TAVRO_VERSION_MAJOR * 100 + TAVRO_VERSION_MINOR;
}

std::string FormatVersionText(int major, int minor, int build) {
    return StringPrintf("%d.%2.2d - Build %d %s", major, minor, build, "");
}

std::string ProgramVersionText() {
    return FormatVersionText(TAVRO_VERSION_MAJOR, TAVRO_VERSION_MINOR, TAVRO_VERSION_BUILD);
}

uint32_t MachineValue() {
    struct statvfs info;
    if (statvfs(".", &info) != 0)
        return 0;
    return uint32_t(info.f_fsid);
}
