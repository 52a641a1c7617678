#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An initialisation file in memory: sections of "key=value" lines, section and key names
// compared without regard to case. Everything loaded is kept, so a save writes back the keys
// and comments that this program never reads.
//
// Reading follows the private-profile conventions that the file format comes from: a missing
// key gives the caller's default, a text is cut to what a 4096-character buffer with its
// terminator holds (without the blanks such a cut may leave at its end, which the file could
// not keep), an integer is the value of its leading digits (see ParseProfileInt). Where
// a key occurs twice in a section the first occurrence counts; writing it leaves one.
class CIniFile {
public:
    // Longest text that GetText returns.
    static constexpr std::size_t kMaxTextLength = 4095;

    CIniFile();
    ~CIniFile();
    CIniFile(CIniFile&&) noexcept;
    CIniFile& operator=(CIniFile&&) noexcept;
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    // Replaces the contents with those of the file at `path`. A missing or unreadable file,
    // or one that is not a regular file, leaves the contents empty and gives false; nothing is
    // reported.
    bool Load(const std::string& path);
    // Replaces the contents with `text` in the file's format.
    void LoadText(std::string_view text);

    int GetInt(const std::string& section, const std::string& key, int defaultValue) const;
    std::string GetText(const std::string& section, const std::string& key,
                        const std::string& defaultValue) const;

    // The whole text of a key (not cut to kMaxTextLength); nothing when the key is missing.
    std::optional<std::string> Find(const std::string& section, const std::string& key) const;

    struct Value {
        std::string section, key, text;
    };
    // Every key with its whole text, sections and keys in file order.
    std::vector<Value> Values() const;

    // Integers are written as signed decimal text.
    void SetInt(const std::string& section, const std::string& key, int value);
    // Line breaks in `value` are written as spaces, since a value ends at its line.
    void SetText(const std::string& section, const std::string& key, std::string_view value);

    // The contents in the file's format, as Save writes them.
    std::string ToText() const;

    // Writes the contents to `path` without ever leaving a partly written file there: the text
    // goes to a new file (mode 0600, the file holds passwords) in the same directory, is
    // flushed to the disk and then renamed over `path`. When `path` is a symbolic link, all of
    // this happens to the file at the end of its links (see FinalLinkTarget), so the links
    // stay links. On failure the old file stays as it was, the new one is removed, the reason
    // is written to stderr and false is returned.
    bool Save(const std::string& path) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The integer value of a private-profile text: leading blanks are skipped, an optional sign
// and the decimal digits that follow are taken up to the first other character ("12x" is 12,
// "-5" is -5), and a text that does not start with a digit after the sign is 0. Values
// beyond the range of int are clamped to it.
int ParseProfileInt(std::string_view text);
