#include "platform/device_settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <csignal>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class DeviceSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "korvani-settings-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        path_ = folder_ / "device.ini";
    }
    void TearDown() override { fs::remove_all(folder_); }

    void Write(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }

    std::string Read() const {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path folder_;
    fs::path path_;
};

TEST_F(DeviceSettingsTest, MissingFileGivesEmptySettings) {
    DeviceSettings settings;
    EXPECT_EQ(settings.Load(path_), 0);
    EXPECT_FALSE(settings.Get(u"Owner", u"Name"));
}

TEST_F(DeviceSettingsTest, ValuesAreFoundWithoutRegardToCase) {
    Write("; owner\n[owner]\n  NAME =  Ann Smith  \r\n# E-mail=no\nE-mail=a@b.org\n");
    DeviceSettings settings;
    ASSERT_EQ(settings.Load(path_), 0);
    EXPECT_EQ(settings.Get(u"Owner", u"Name"), u"Ann Smith");
    EXPECT_EQ(settings.Get(u"OWNER", u"e-mail"), u"a@b.org");
    EXPECT_FALSE(settings.Get(u"Owner", u"Phone"));
    EXPECT_FALSE(settings.Get(u"Messaging", u"Name"));
}

TEST_F(DeviceSettingsTest, KeyOfAnotherSectionIsNotFound) {
    Write("[Messaging]\nName=store\n[Owner]\nE-mail=x@y\n");
    DeviceSettings settings;
    ASSERT_EQ(settings.Load(path_), 0);
    EXPECT_FALSE(settings.Get(u"Owner", u"Name"));
}

TEST_F(DeviceSettingsTest, Latin1ValueIsReadAsWindows1252) {
    Write("[Owner]\nName=Jos\xe9\n");
    DeviceSettings settings;
    ASSERT_EQ(settings.Load(path_), 0);
    EXPECT_EQ(settings.Get(u"Owner", u"Name"), u"Jos\u00e9");
}

struct SaveCase {
    const char* name;
    std::string before;
    std::u16string section;
    std::u16string key;
    std::u16string value;
    std::string after;
};

void PrintTo(const SaveCase& c, std::ostream* out) {
    *out << c.name;
}

class DeviceSettingsSaveTest : public DeviceSettingsTest,
                               public ::testing::WithParamInterface<SaveCase> {};

TEST_P(DeviceSettingsSaveTest, ChangesOnlyTheValueSet) {
    const SaveCase& c = GetParam();
    if (!c.before.empty()) {
        Write(c.before);
    }
    DeviceSettings settings;
    ASSERT_EQ(settings.Load(path_), 0);
    settings.Set(c.section, c.key, c.value);
    ASSERT_EQ(settings.Save(), 0);
    EXPECT_EQ(Read(), c.after);
    DeviceSettings again;
    ASSERT_EQ(again.Load(path_), 0);
    EXPECT_EQ(again.Get(c.section, c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeviceSettingsSaveTest,
    ::testing::Values(SaveCase{"ReplacesValueKeepingKeySpellingAndComments",
                               "# mine\n[Owner]\nname = Old\n; note\nE-mail=o@x\n[Other]\nk=v\n",
                               u"Owner", u"Name", u"New",
                               "# mine\n[Owner]\nname = New\n; note\nE-mail=o@x\n[Other]\nk=v\n"},
                      SaveCase{"AddsKeyAtEndOfItsSection",
                               "[Owner]\nName=A\n\n[Messaging]\nStores=/m\n", u"Owner", u"E-mail",
                               u"a@b", "[Owner]\nName=A\nE-mail=a@b\n\n[Messaging]\nStores=/m\n"},
                      SaveCase{"AddsSectionAtEndOfFile", "[Messaging]\nStores=/m", u"Owner",
                               u"Name", u"Ann", "[Messaging]\nStores=/m\n\n[Owner]\nName=Ann\n"},
                      SaveCase{"CreatesFile", "", u"Owner", u"Name", u"Ann", "[Owner]\nName=Ann\n"},
                      SaveCase{"KeepsCrLfLineBreaks", "[Owner]\r\nName=A\r\n", u"Owner", u"E-mail",
                               u"\u00e9@x", "[Owner]\r\nName=A\r\nE-mail=\xc3\xa9@x\r\n"},
                      SaveCase{"WritesEmptyValue", "[Owner]\nName=Ann\n", u"Owner", u"Name", u"",
                               "[Owner]\nName=\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceSettingsText, IsKeptByteForByte) {
    const std::string text =
        "\xef\xbb\xbf; hand-made\r\n[Owner]\nName = A\r\r\n  [ Odd ] trailing\n=x\nno equals\n\n"
        "\t# tab\nlast\r";
    DeviceSettings settings;
    settings.ReadText(text);
    EXPECT_EQ(settings.Text(), text);
    EXPECT_EQ(settings.Get(u"Odd", u""), u"x");
    EXPECT_EQ(settings.Get(u"Owner", u"Name"), u"A");
}

TEST(DeviceSettingsText, ByteOrderMarkDoesNotHideTheFirstSection) {
    DeviceSettings settings;
    settings.ReadText("\xef\xbb\xbf[Owner]\nName=Ann\n");
    EXPECT_EQ(settings.Get(u"Owner", u"Name"), u"Ann");
    settings.Set(u"Owner", u"Name", u"Bob");
    EXPECT_EQ(settings.Text(), "\xef\xbb\xbf[Owner]\nName=Bob\n");
}

TEST_F(DeviceSettingsTest, LineBreakInValueCannotAddAKey) {
    DeviceSettings settings;
    ASSERT_EQ(settings.Load(path_), 0);
    settings.Set(u"Owner", u"Name", u"Ann\r\n[Messaging]\nSendCommand=rm -rf ~");
    ASSERT_EQ(settings.Save(), 0);
    DeviceSettings again;
    ASSERT_EQ(again.Load(path_), 0);
    EXPECT_FALSE(again.Get(u"Messaging", u"SendCommand"));
    EXPECT_EQ(again.Get(u"Owner", u"Name"), u"Ann  [Messaging] SendCommand=rm -rf ~");
}

TEST_F(DeviceSettingsTest, SaveCreatesMissingFolderAndLeavesNoTemporaryFile) {
    path_ = folder_ / "config" / "korvani" / "device.ini";
    DeviceSettings settings;
    ASSERT_EQ(settings.Load(path_), 0);
    settings.Set(u"Owner", u"Name", u"Ann");
    ASSERT_EQ(settings.Save(), 0);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(path_.parent_path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(DeviceSettingsTest, FailedSaveReportsErrorAndKeepsNothingHalfWritten) {
    // A regular file where the folder should be: the folder cannot be made.
    std::ofstream(folder_ / "blocked") << "x";
    path_ = folder_ / "blocked" / "device.ini";
    DeviceSettings settings;
    EXPECT_NE(settings.Load(path_), 0);
    settings.Set(u"Owner", u"Name", u"Ann");
    EXPECT_NE(settings.Save(), 0);
    EXPECT_EQ(fs::file_size(folder_ / "blocked"), 1u);
}

TEST_F(DeviceSettingsTest, WriteFailureLeavesTheOldFileWhole) {
    const std::string before = "[Owner]\nName=Old\n";
    Write(before);
    DeviceSettings settings;
    ASSERT_EQ(settings.Load(path_), 0);
    settings.Set(u"Owner", u"Name", std::u16string(500, u'n'));
    // No file of the process may grow past 64 bytes: the write fails halfway.
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limit = previous;
    limit.rlim_cur = 64;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const int result = settings.Save();
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(result, EFBIG);
    EXPECT_EQ(Read(), before);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder_)) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(DeviceSettingsTest, LinkedFileStaysALinkWithItsPermissions) {
    const fs::path kept = folder_ / "dotfiles" / "device.ini";
    fs::create_directories(kept.parent_path());
    std::ofstream(kept) << "; mine\n[Owner]\nName=Old\n";
    fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
    fs::create_symlink(fs::path("dotfiles") / "device.ini", path_);
    DeviceSettings settings;
    ASSERT_EQ(settings.Load(path_), 0);
    settings.Set(u"Owner", u"Name", u"Ann");
    ASSERT_EQ(settings.Save(), 0);
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(Read(), "; mine\n[Owner]\nName=Ann\n");
    EXPECT_EQ(fs::status(kept).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
}

TEST_F(DeviceSettingsTest, OversizedFileIsRefused) {
    Write("[Owner]\nName=" + std::string(DeviceSettings::kMaxFileSize, 'a') + "\n");
    DeviceSettings settings;
    EXPECT_EQ(settings.Load(path_), EFBIG);
    EXPECT_FALSE(settings.Get(u"Owner", u"Name"));
}

TEST(DeviceSettingsPaths, FollowXdgVariablesAndHome) {
    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    const char* savedData = std::getenv("XDG_DATA_HOME");
    const std::string config = savedConfig ? savedConfig : "";
    const std::string data = savedData ? savedData : "";
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    ::setenv("XDG_DATA_HOME", "relative", 1);
    ::setenv("HOME", std::getenv("HOME") ? std::getenv("HOME") : "/home/u", 1);
    const fs::path home = std::getenv("HOME");
    EXPECT_EQ(DeviceSettings::DefaultPath(), fs::path("/cfg/korvani/device.ini"));
    EXPECT_EQ(DeviceSettings::DataFolder(), home / ".local/share/korvani");
    savedConfig ? ::setenv("XDG_CONFIG_HOME", config.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
    savedData ? ::setenv("XDG_DATA_HOME", data.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
