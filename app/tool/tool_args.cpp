#include "app/tool/tool_args.h"

#include <charconv>
#include <cstring>

namespace {

bool ParseNumber(const char* text, int min, int max, int& value) {
    const char* end = text + std::strlen(text);
    int parsed = 0;
    const auto [stop, error] = std::from_chars(text, end, parsed);
    if (end == text || error != std::errc() || stop != end || parsed < min || parsed > max)
        return false;
    value = parsed;
    return true;
}

} // namespace

bool ParseToolArgs(int argc, char** argv, std::span<const IntOption> options,
                   std::vector<const char*>& positional) {
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strncmp(arg, "--", 2) != 0) {
            positional.push_back(arg);
            continue;
        }
        const IntOption* option = nullptr;
        for (const IntOption& o : options)
            if (std::strcmp(arg, o.name) == 0)
                option = &o;
        if (!option || i + 1 >= argc ||
            !ParseNumber(argv[i + 1], option->min, option->max, *option->value))
            return false;
        ++i;
    }
    return true;
}
