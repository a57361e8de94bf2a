#include "platform/device_settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/pgn_test_support.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own, removed with the object.
struct Folder {
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "korvani-settings-XXXXXX").string();
        path = ::mkdtemp(pattern.data()) ? pattern : "";
    }
    ~Folder() { fs::remove_all(path); }
    fs::path path;
};

TEST(DeviceSettings, FindsValuesWithoutRegardToCaseAndKeepsEveryByte) {
    const std::string text =
        "\xef\xbb\xbf[owner]\r\n  NAME =  Ann Smith  \r\r\n# E-mail=no\nE-mail=a@b.org\n; note\n"
        "  [ Odd ] trailing\n=x\nno equals\n\n\t# tab\n[Messaging]\nName=s\nCity=Jos\xe9 "
        "\x80\nlast\r";
    DeviceSettings settings;
    settings.ReadText(text);
    EXPECT_EQ(settings.Text(), text);
    EXPECT_EQ(settings.Get(u"Owner", u"Name"), u"Ann Smith");  // after a byte order mark
    EXPECT_EQ(settings.Get(u"OWNER", u"e-mail"), u"a@b.org");  // not the commented one
    EXPECT_FALSE(settings.Get(u"Owner", u"Phone"));
    EXPECT_FALSE(settings.Get(u"Other", u"Name"));
    EXPECT_FALSE(settings.Get(u"Odd", u"Name"));  // only in the sections around it
    EXPECT_EQ(settings.Get(u"Odd", u""), u"x");
    EXPECT_EQ(settings.Get(u"Messaging", u"City"), u"Jos\u00e9 \u20ac");  // Windows-1252
}

struct SaveRow {
    const char* name;
    std::string before;  // "" for no file
    std::u16string section, key, value;
    std::string after;
    std::optional<std::u16string> read = std::nullopt;  // when Get gives other than `value`
    bool linked = false;                                // the path is a link to the file
};

TEST(DeviceSettings, SavesOnlyTheValueSetThroughATemporaryFile) {
    const std::string odd = "# mine\n[Owner]\nname = Old\n; note\nE-mail=o@x\n[Other]\nk=v\n";
    const std::vector<SaveRow> rows = {
        {"KeepsKeySpellingAndComments", odd, u"Owner", u"Name", u"New",
         "# mine\n[Owner]\nname = New\n; note\nE-mail=o@x\n[Other]\nk=v\n"},
        {"AddsKeyAtEndOfItsSection", "[Owner]\nName=A\n\n[Messaging]\nStores=/m\n", u"Owner",
         u"E-mail", u"a@b", "[Owner]\nName=A\nE-mail=a@b\n\n[Messaging]\nStores=/m\n"},
        {"AddsSectionAtEndOfFile", "[Messaging]\nStores=/m", u"Owner", u"Name", u"Ann",
         "[Messaging]\nStores=/m\n\n[Owner]\nName=Ann\n"},
        {"CreatesFileAndFolder", "", u"Owner", u"Name", u"Ann", "[Owner]\nName=Ann\n"},
        {"KeepsCrLfWritesUtf8", "[Owner]\r\nName=A\r\n", u"Owner", u"E-mail", u"\u00e9@x",
         "[Owner]\r\nName=A\r\nE-mail=\xc3\xa9@x\r\n"},
        {"WritesEmptyValue", "[Owner]\nName=Ann\n", u"Owner", u"Name", u"", "[Owner]\nName=\n"},
        {"KeepsByteOrderMark", "\xef\xbb\xbf[Owner]\nName=Ann\n", u"Owner", u"Name", u"Bob",
         "\xef\xbb\xbf[Owner]\nName=Bob\n"},
        {"LineBreakInValueCannotAddAKey", "", u"Owner", u"Name", u"A\r\n[Messaging]\nSend=rm ~",
         "[Owner]\nName=A  [Messaging] Send=rm ~\n", u"A  [Messaging] Send=rm ~"},
        {"LinkStaysALink", "; mine\n[Owner]\nName=Old\n", u"Owner", u"Name", u"Ann",
         "; mine\n[Owner]\nName=Ann\n", std::nullopt, true},
    };
    const fs::perms shared = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    for (const SaveRow& row : rows) {
        SCOPED_TRACE(row.name);
        const Folder folder;
        const fs::path file = folder.path / "config" / "device.ini";
        const fs::path path = row.linked ? folder.path / "device.ini" : file;
        if (!row.before.empty()) {  // with permissions other than a new file's
            fs::create_directories(file.parent_path());
            std::ofstream(file, std::ios::binary) << row.before;
            fs::permissions(file, shared);
        }
        if (row.linked) {
            fs::create_symlink("config/device.ini", path);
        }
        DeviceSettings settings;
        ASSERT_EQ(settings.Load(path), 0);
        settings.Set(row.section, row.key, row.value);
        ASSERT_EQ(settings.Save(), 0);
        EXPECT_EQ(ReadWholeFile(path), row.after);
        EXPECT_EQ(fs::is_symlink(path), row.linked);
        EXPECT_TRUE(row.before.empty() || fs::status(path).permissions() == shared);
        EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1);
        DeviceSettings again;
        ASSERT_EQ(again.Load(path), 0);
        EXPECT_EQ(again.Get(row.section, row.key), row.read.value_or(row.value));
    }
}

TEST(DeviceSettings, RefusesWhatItCannotReadOrWriteAndKeepsTheOldFile) {
    const Folder folder;
    const fs::path path = folder.path / "device.ini";
    std::ofstream(path) << "[Owner]\nName=" << std::string(DeviceSettings::kMaxFileSize, 'a');
    DeviceSettings settings;
    EXPECT_EQ(settings.Load(path), EFBIG);
    EXPECT_FALSE(settings.Get(u"Owner", u"Name"));

    const std::string before = "[Owner]\nName=Old\n";
    std::ofstream(path) << before;
    ASSERT_EQ(settings.Load(path), 0);
    settings.Set(u"Owner", u"Name", std::u16string(500, u'n'));
    // No file of the process may grow past 64 bytes: the write fails halfway.
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    const rlimit limit{64, previous.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const int result = settings.Save();
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(result, EFBIG);
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), 1);

    // A file where the folder should be: the folder cannot be made.
    EXPECT_EQ(settings.Load(path / "device.ini"), ENOTDIR);
    settings.Set(u"Owner", u"Name", u"Ann");
    EXPECT_NE(settings.Save(), 0);
    EXPECT_EQ(ReadWholeFile(path), before);
}

TEST(DeviceSettings, PathsFollowXdgVariablesAndHome) {
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    ::setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: HOME's is taken
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(DeviceSettings::DefaultPath(), fs::path("/cfg/korvani/device.ini"));
    EXPECT_EQ(DeviceSettings::DataFolder(), fs::path("/home/u/.local/share/korvani"));
}

}  // namespace
