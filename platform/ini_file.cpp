#include "platform/ini_file.h"

#include "platform/file_target.h"

#include <SimpleIni.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

struct CIniFile::Impl {
    Impl() {
        // Keep every occurrence of a repeated key so that the first one is what a read sees.
        ini.SetMultiKey(true);
        ini.SetSpaces(false);
    }
    CSimpleIniA ini;
};

namespace {
// Reads a whole regular file; false when it cannot be opened or read.
bool ReadRegularFile(const std::string& path, std::string& contents) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char buffer[65536];
    while (ok) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0)
            contents.append(buffer, size_t(n));
        else if (n == 0)
            break;
        else if (errno != EINTR)
            ok = false;
    }
    close(fd);
    return ok;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data.remove_prefix(size_t(n));
    }
    return true;
}

// SimpleIni reads a section name up to the next ']' even across line ends, so a header that
// does not close on its own line would swallow the lines after it. Such a line is ignored
// instead (turned into a comment, so a save still keeps it).
std::string CommentOutBrokenSectionHeaders(std::string_view text) {
    std::string fixed;
    fixed.reserve(text.size());
    size_t start = 0;
    while (start < text.size()) {
        const size_t lineEnd = std::min(text.find_first_of("\r\n", start), text.size());
        const std::string_view line = text.substr(start, lineEnd - start);
        const size_t first = line.find_first_not_of(" \t");
        if (first != std::string_view::npos && line[first] == '[' &&
            line.find(']') == std::string_view::npos)
            fixed.push_back(';');
        fixed.append(text.substr(start, lineEnd + 1 - start));
        start = lineEnd + 1;
    }
    return fixed;
}

bool ReportSaveFailure(const std::string& path, const char* step, int error) {
    std::fprintf(stderr, "tavro: cannot save settings file %s: %s: %s\n", path.c_str(), step,
                 std::strerror(error));
    return false;
}
} // namespace

CIniFile::CIniFile() : impl_(std::make_unique<Impl>()) {}
CIniFile::~CIniFile() = default;
CIniFile::CIniFile(CIniFile&&) noexcept = default;
CIniFile& CIniFile::operator=(CIniFile&&) noexcept = default;

bool CIniFile::Load(const std::string& path) {
    std::string contents;
    const bool read = ReadRegularFile(path, contents);
    LoadText(read ? contents : std::string());
    return read;
}

void CIniFile::LoadText(std::string_view text) {
    impl_->ini.Reset();
    if (impl_->ini.LoadData(CommentOutBrokenSectionHeaders(text)) < 0)
        impl_->ini.Reset();
}

int CIniFile::GetInt(const std::string& section, const std::string& key, int defaultValue) const {
    const char* value = impl_->ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return value ? ParseProfileInt(value) : defaultValue;
}

std::string CIniFile::GetText(const std::string& section, const std::string& key,
                              const std::string& defaultValue) const {
    const char* value = impl_->ini.GetValue(section.c_str(), key.c_str(), nullptr);
    std::string_view text = value ? std::string_view(value) : std::string_view(defaultValue);
    if (text.size() > kMaxTextLength) {
        text = text.substr(0, kMaxTextLength);
        // The file drops the blanks at the end of a value, so a cut that ends in blanks would
        // not read back the same once written; they go here instead.
        text = text.substr(0, text.find_last_not_of(" \t") + 1);
    }
    return std::string(text);
}

std::optional<std::string> CIniFile::Find(const std::string& section,
                                          const std::string& key) const {
    const char* value = impl_->ini.GetValue(section.c_str(), key.c_str(), nullptr);
    if (!value)
        return std::nullopt;
    return value;
}

std::vector<CIniFile::Value> CIniFile::Values() const {
    std::vector<Value> values;
    CSimpleIniA::TNamesDepend sections;
    impl_->ini.GetAllSections(sections);
    sections.sort(CSimpleIniA::Entry::LoadOrder());
    for (const auto& section : sections) {
        CSimpleIniA::TNamesDepend keys;
        impl_->ini.GetAllKeys(section.pItem, keys);
        keys.sort(CSimpleIniA::Entry::LoadOrder());
        for (const auto& key : keys)
            values.push_back(
                {section.pItem, key.pItem, impl_->ini.GetValue(section.pItem, key.pItem, "")});
    }
    return values;
}

void CIniFile::SetInt(const std::string& section, const std::string& key, int value) {
    SetText(section, key, std::to_string(value));
}

void CIniFile::SetText(const std::string& section, const std::string& key, std::string_view value) {
    std::string line(value);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    // Replacing a key keeps the spelling it has in the file.
    std::string storedKey = key;
    if (const auto* keys = impl_->ini.GetSection(section.c_str())) {
        const auto found = keys->find(CSimpleIniA::Entry(key.c_str()));
        if (found != keys->end())
            storedKey = found->first.pItem;
    }
    impl_->ini.SetValue(section.c_str(), storedKey.c_str(), line.c_str(), nullptr, true);
}

std::string CIniFile::ToText() const {
    std::string text;
    impl_->ini.Save(text);
    return text;
}

bool CIniFile::Save(const std::string& path) const {
    const std::optional<std::string> target = FinalLinkTarget(path);
    if (!target)
        return ReportSaveFailure(path, "follow link", errno);
    const std::string& file = *target;
    const std::string text = ToText();
    std::string temporary = file + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return ReportSaveFailure(file, "create", errno);
    const char* failedStep = nullptr;
    int error = 0;
    auto check = [&](bool ok, const char* step) {
        if (!ok && !failedStep) {
            failedStep = step;
            error = errno;
        }
    };
    check(fchmod(fd, 0600) == 0, "chmod");
    check(failedStep || WriteAll(fd, text), "write");
    check(failedStep || fsync(fd) == 0, "sync");
    check(close(fd) == 0, "close");
    check(failedStep || rename(temporary.c_str(), file.c_str()) == 0, "rename");
    if (failedStep) {
        unlink(temporary.c_str());
        return ReportSaveFailure(file, failedStep, error);
    }
    // Make the rename itself durable; the new file is complete whether or not this succeeds.
    const int dir = open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

int ParseProfileInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const long long limit = negative ? -(long long)INT_MIN : INT_MAX;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(limit, value * 10 + (text[i] - '0'));
    return int(negative ? -value : value);
}
