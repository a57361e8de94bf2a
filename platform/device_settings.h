#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The device settings file (device.ini): an INI file the user may edit by hand, which
// holds the owner's identity, the mail stores and the address book. Sections and keys
// are matched without regard to ASCII case. Saving changes only the values that were
// set and keeps every other line (sections, keys, comments, blank lines) in its order.
class DeviceSettings {
public:
    // A larger file is refused rather than read into memory.
    static constexpr std::size_t kMaxFileSize = 1 << 20;

    DeviceSettings() = default;
    ~DeviceSettings() = default;

    // $XDG_CONFIG_HOME/korvani/device.ini, with ~/.config when XDG_CONFIG_HOME is
    // unset or not absolute. Empty when neither it nor HOME is usable.
    static std::filesystem::path DefaultPath();

    // $XDG_DATA_HOME/korvani, with ~/.local/share when XDG_DATA_HOME is unset or not
    // absolute: where the default mail store and address book live. Empty when
    // neither it nor HOME is usable.
    static std::filesystem::path DataFolder();

    // Reads `path` and remembers it for Save. A missing file gives empty settings and
    // 0; otherwise returns 0, or an errno value (EFBIG for a file over kMaxFileSize)
    // and leaves the settings empty.
    int Load(const std::filesystem::path& path);

    // Replaces the settings with those of the INI text `bytes` (the path stays).
    void ReadText(std::string_view bytes);

    // The INI text as Save writes it: the lines read, with the changes made since.
    [[nodiscard]] std::string Text() const;

    // The value of `key` in `section`, with blanks around it removed; std::nullopt
    // when the section or the key is missing.
    [[nodiscard]] std::optional<std::u16string> Get(std::u16string_view section,
                                                    std::u16string_view key) const;

    // Sets `key` in `section`, adding the key at the end of the section or the section
    // at the end of the file when missing. Line breaks and NULs in `value` become
    // blanks, so that a value can never add lines of its own.
    void Set(std::u16string_view section, std::u16string_view key, std::u16string_view value);

    // Writes the settings to the path given to Load, through a temporary file in the
    // same folder renamed over the old one, so that a failure leaves the old file
    // whole; the new file keeps the old one's permissions, and a path that is a
    // symbolic link stays one (the file it names is replaced). Creates the folder
    // when missing. Returns 0 or an errno value.
    [[nodiscard]] int Save() const;

    [[nodiscard]] const std::filesystem::path& Path() const { return path_; }

private:
    struct Line {
        std::string text;  // without its line break
        std::string lineBreak;
    };

    // Index of the section header line, or std::nullopt.
    [[nodiscard]] std::optional<std::size_t> FindSection(std::string_view section) const;
    // Index of the key's line inside the section starting at `header`, or std::nullopt.
    [[nodiscard]] std::optional<std::size_t> FindKey(std::size_t header,
                                                     std::string_view key) const;
    // Index just past the last non-blank line of the section starting at `header`.
    [[nodiscard]] std::size_t SectionEnd(std::size_t header) const;
    [[nodiscard]] std::string NewLineBreak() const;

    std::filesystem::path path_;
    std::vector<Line> lines_;
    bool byteOrderMark_ = false;
};
