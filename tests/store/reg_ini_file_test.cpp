// The store on a real settings file: where it lives, what a first run does,
// what reaches the file, hand-edited files, and the four errors from real
// causes. The rules every backend shares are in store_rules_test.cpp.
#include "store/reg_ini_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "store/ini_file_format.h"
#include "support/temp_config.h"

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

class StoreTest : public testing::Test {
 protected:
  std::string File() const { return config_.SettingsFile(); }
  std::string Folder() const { return config_.Path() + "/Tidewell"; }
  // What a hand edit of the whole file looks like.
  void HandEdit(const std::string& bytes) const { WriteFileBytes(File(), bytes); }

  TempConfigDir config_;
};

// Sets or unsets one environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SettingsFileLocation, KeyPathMapsBelowTheConfigFolder) {
  ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
  EXPECT_EQ(SettingsFileForKey(kProductKeyPath), "/cfg/Tidewell/Aerolume.ini");
  EXPECT_EQ(SettingsFileForKey("SOFTWARE\\Tidewell\\Aerolume"), "/cfg/Tidewell/Aerolume.ini");
  EXPECT_EQ(SettingsFileForKey("Other\\Maker\\Thing"), "/cfg/Other/Maker/Thing.ini");
}

TEST(SettingsFileLocation, FallsBackToHomeConfig) {
  ScopedEnv home("HOME", "/home/someone");
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(SettingsFileForKey(kProductKeyPath), "/home/someone/.config/Tidewell/Aerolume.ini");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "");
    EXPECT_EQ(SettingsFileForKey(kProductKeyPath), "/home/someone/.config/Tidewell/Aerolume.ini");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/dir");
    EXPECT_EQ(SettingsFileForKey(kProductKeyPath), "/home/someone/.config/Tidewell/Aerolume.ini");
  }
}

TEST_F(StoreTest, FirstRunCreatesAnEmptyFileAndReadsCreateNothing) {
  ASSERT_FALSE(fs::exists(Folder()));
  TRegIniFile store(kProductKeyPath);
  EXPECT_EQ(store.FileName(), File());
  ASSERT_TRUE(fs::is_regular_file(File()));
  EXPECT_EQ(fs::file_size(File()), 0u);

  EXPECT_EQ(store.ReadNumber("window", "left", 10), 10);
  EXPECT_TRUE(store.ReadFlag("window", "bold", true));
  EXPECT_FALSE(store.ReadFlag("window", "showtask", false));
  EXPECT_EQ(store.ReadText("weather", "last forecast", "Getting Forecast..."),
            "Getting Forecast...");
  EXPECT_EQ(ReadFileBytes(File()), "");
  EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), fs::directory_iterator()), 1);

  // Reads on a file that has gone away do not bring it back.
  fs::remove(File());
  EXPECT_EQ(store.ReadNumber("scroll", "rate", 150), 150);
  EXPECT_FALSE(fs::exists(File()));

  store.WriteNumber("window", "left", 10);
  EXPECT_EQ(ReadFileBytes(File()), "[window]\nleft=\"10\"\n");
  store.WriteText("weather", "last forecast", "Fog");
  EXPECT_EQ(ReadFileBytes(File()), "[window]\nleft=\"10\"\n[weather]\nlast forecast=\"Fog\"\n");
}

TEST_F(StoreTest, ConstructionKeepsAnExistingFile) {
  HandEdit("[scroll]\nrate=200\n");
  TRegIniFile store(kProductKeyPath);
  EXPECT_EQ(ReadFileBytes(File()), "[scroll]\nrate=200\n");
  EXPECT_EQ(store.ReadNumber("scroll", "rate", 150), 200);
}

TEST_F(StoreTest, NumbersAndFlagsLandInTheFileAsQuotedText) {
  TRegIniFile store(kProductKeyPath);
  store.WriteNumber("window", "left", -5);
  store.WriteNumber("window", "left", 150);
  store.WriteFlag("window", "bold", false);
  EXPECT_EQ(ReadFileBytes(File()), "[window]\nleft=\"150\"\nbold=\"0\"\n");
}

TEST_F(StoreTest, EveryByteIsWrittenAsPlainAscii) {
  TRegIniFile store(kProductKeyPath);
  std::string all;
  for (int b = 1; b <= 255; ++b) all += static_cast<char>(b);
  store.WriteText("bytes", "all", all);
  EXPECT_EQ(store.ReadText("bytes", "all", "default"), all);
  // What the writer puts in the file is plain ASCII lines, whatever the text.
  for (const char c : ReadFileBytes(File())) {
    EXPECT_TRUE(c == '\n' || (c >= 0x20 && c <= 0x7E)) << static_cast<int>(c);
  }
}

TEST_F(StoreTest, HandEditedFileReadsAndSurvivesRewrites) {
  const std::string original =
      "; Marrowby Weather, tidied by hand\n"
      "orphan=above every section\n"
      "[Window]\n"
      "  Left = 200   \n"
      "TOP=  \"  spaced  \"\n"
      "garbage line without equals\n"
      "left=999\n"
      "\n"
      "# the ticker\n"
      "  [scroll]  \n"
      "rate=0x20\n"
      "[Weather]\r\n"
      "last forecast=\"Rain\\r\\nlater\"\r\n"
      "Last Marrowby=expand:\"%USERNAME%\"\r\n"
      "[custom]\n"
      "unknown=kept as it is\n"
      "[window]\n"
      "bold=0\n"
      "left=1";
  HandEdit(original);
  TRegIniFile store(kProductKeyPath);
  EXPECT_EQ(store.ReadNumber("window", "left", 10), 200);
  EXPECT_EQ(store.ReadText("window", "top", "x"), "  spaced  ");
  EXPECT_FALSE(store.ReadFlag("window", "bold", true));
  EXPECT_EQ(store.ReadNumber("scroll", "rate", 150), 32);
  EXPECT_EQ(store.ReadText("weather", "last forecast", "x"), "Rain\r\nlater");
  EXPECT_EQ(store.ReadText("weather", "last marrowby", "x"), "%USERNAME%");
  EXPECT_EQ(store.ReadText("", "orphan", "none"), "none");

  store.WriteNumber("window", "left", 5);
  store.WriteText("weather", "last forecast", "Sun");
  store.WriteNumber("window", "width", 340);
  store.WriteFlag("settings", "onstart", true);
  EXPECT_EQ(ReadFileBytes(File()),
            "; Marrowby Weather, tidied by hand\n"
            "orphan=above every section\n"
            "[Window]\n"
            "  Left = \"5\"\n"
            "TOP=  \"  spaced  \"\n"
            "garbage line without equals\n"
            "left=999\n"
            "width=\"340\"\n"
            "\n"
            "# the ticker\n"
            "  [scroll]  \n"
            "rate=0x20\n"
            "[Weather]\r\n"
            "last forecast=\"Sun\"\r\n"
            "Last Marrowby=expand:\"%USERNAME%\"\r\n"
            "[custom]\n"
            "unknown=kept as it is\n"
            "[window]\n"
            "bold=0\n"
            "left=1\n"
            "[settings]\n"
            "onstart=\"1\"\n");
  EXPECT_EQ(store.ReadNumber("window", "left", 10), 5);
  EXPECT_EQ(store.ReadNumber("window", "width", 10), 340);
  EXPECT_TRUE(store.ReadFlag("settings", "onstart", false));
}

TEST_F(StoreTest, CrLfFileStaysCrLf) {
  HandEdit("[window]\r\nleft=10\r\n");
  TRegIniFile store(kProductKeyPath);
  store.WriteNumber("window", "top", 40);
  store.WriteText("weather", "last update", "Last Updated 1:00");
  EXPECT_EQ(ReadFileBytes(File()),
            "[window]\r\nleft=10\r\ntop=\"40\"\r\n"
            "[weather]\r\nlast update=\"Last Updated 1:00\"\r\n");
}

TEST_F(StoreTest, AWriteKeepsTheFilesPermissions) {
  HandEdit("[window]\nleft=1\n");
  ASSERT_EQ(chmod(File().c_str(), 0640), 0);
  TRegIniFile(kProductKeyPath).WriteNumber("window", "left", 2);
  EXPECT_EQ(fs::status(File()).permissions(), fs::perms(0640));
}

// The four errors, each from a cause that also holds for root.
TEST_F(StoreTest, FolderThatCannotBeCreatedFailsTheWrite) {
  WriteFileBytes(Folder(), "a file where the folder should be");
  TRegIniFile store(kProductKeyPath);  // reports nothing
  EXPECT_EQ(store.ReadNumber("window", "left", 10), 10);
  try {
    store.WriteNumber("window", "left", 5);
    FAIL() << "no error";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Failed to create key window");
  }
  EXPECT_EQ(ReadFileBytes(Folder()), "a file where the folder should be");
}

TEST_F(StoreTest, FileThatCannotBeReplacedFailsTheWrite) {
  fs::create_directories(File());  // a folder where the file should be
  TRegIniFile store(kProductKeyPath);
  EXPECT_EQ(store.ReadText("weather", "last update", "Last Update Unknown"), "Last Update Unknown");
  try {
    store.WriteText("weather", "last update", "Last Updated");
    FAIL() << "no error";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'last update'");
  }
  EXPECT_TRUE(fs::is_directory(File()));
  EXPECT_FALSE(fs::exists(File() + ".tmp"));
}

TEST_F(StoreTest, DwordValueIsTheWrongType) {
  HandEdit("[window]\nleft=dword:0000000a\ntop=40\n");
  TRegIniFile store(kProductKeyPath);
  EXPECT_EQ(store.ReadNumber("window", "top", 0), 40);
  try {
    store.ReadNumber("window", "left", 10);
    FAIL() << "no error";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'left'");
  }
  EXPECT_THROW(store.ReadText("window", "LEFT", ""), ERegistryException);
  EXPECT_THROW(store.ReadFlag("window", "left", true), ERegistryException);
  // Writing the entry makes it a text again, as the registry would.
  store.WriteNumber("window", "left", 12);
  EXPECT_EQ(store.ReadNumber("window", "left", 10), 12);
}

TEST_F(StoreTest, BrokenQuoteFailsOnlyItsOwnRead) {
  HandEdit(
      "[weather]\nlast forecast=\"Rain all day\nlast marrowby=\"bad \\q\"\n"
      "last wendmoore=\"x\" y\nlast update=\"fine\"\n");
  TRegIniFile store(kProductKeyPath);
  EXPECT_EQ(store.ReadText("weather", "last update", ""), "fine");
  for (const char* entry : {"last forecast", "last marrowby", "last wendmoore"}) {
    try {
      store.ReadText("weather", entry, "");
      ADD_FAILURE() << "no error for " << entry;
    } catch (const ERegistryException& e) {
      EXPECT_EQ(e.what(), "Failed to get data for '"s + entry + "'");
    }
  }
  EXPECT_THROW(store.ReadNumber("weather", "last forecast", 1), ERegistryException);
}

TEST_F(StoreTest, NamesTheFileCannotHoldAreRefusedWithoutDamage) {
  HandEdit("[window]\nleft=1\n");
  TRegIniFile store(kProductKeyPath);
  for (const char* entry : {"a=b", "two\nlines", " padded", "; comment", "[section"}) {
    try {
      store.WriteText("window", entry, "v");
      ADD_FAILURE() << "no error for " << entry;
    } catch (const ERegistryException& e) {
      EXPECT_EQ(e.what(), "Failed to set data for '"s + entry + "'");
    }
  }
  EXPECT_THROW(store.WriteText("two\nlines", "k", "v"), ERegistryException);
  EXPECT_THROW(store.WriteText(" window", "k", "v"), ERegistryException);
  EXPECT_EQ(ReadFileBytes(File()), "[window]\nleft=1\n");
}

TEST_F(StoreTest, SomethingOddInPlaceOfTheFileNeitherHangsNorGetsReplaced) {
  fs::create_directories(Folder());
  ASSERT_EQ(mkfifo(File().c_str(), 0600), 0);
  TRegIniFile store(kProductKeyPath);
  EXPECT_EQ(store.ReadNumber("scroll", "rate", 150), 150);
  EXPECT_THROW(store.WriteNumber("scroll", "rate", 20), ERegistryException);
  EXPECT_TRUE(fs::is_fifo(File()));
}

TEST_F(StoreTest, LinkedSettingsFileIsUpdatedWhereItLives) {
  const std::string kept = config_.Path() + "/dotfiles/weather.ini";
  WriteFileBytes(kept, "[window]\nleft=1\n");
  fs::create_directories(Folder());
  fs::create_symlink(kept, File());
  TRegIniFile store(kProductKeyPath);
  store.WriteNumber("window", "left", 2);
  EXPECT_TRUE(fs::is_symlink(File()));
  EXPECT_EQ(ReadFileBytes(kept), "[window]\nleft=\"2\"\n");
  EXPECT_EQ(store.ReadNumber("window", "left", 0), 2);
}

// A writer killed between writing its copy of a read-only settings file and
// the rename leaves that copy behind with mode 0444. The next write, by the
// file's owner, still goes through. (Root ignores modes, so as root the write
// runs in a child that has become an ordinary user.)
TEST_F(StoreTest, LeftoverReadOnlyTemporaryFileNeverBlocksAWrite) {
  HandEdit("[window]\nleft=1\n");
  WriteFileBytes(File() + ".tmp", "[window]\nleft=\"2\"\n");
  ASSERT_EQ(chmod(File().c_str(), 0444), 0);
  ASSERT_EQ(chmod((File() + ".tmp").c_str(), 0444), 0);
  const uid_t user = geteuid() == 0 ? 65534 : geteuid();
  for (const std::string& path : {config_.Path(), Folder(), File(), File() + ".tmp"}) {
    ASSERT_EQ(lchown(path.c_str(), user, user), 0) << path;
  }
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(user) != 0 || setuid(user) != 0)) _exit(2);
    try {
      TRegIniFile(kProductKeyPath).WriteNumber("window", "left", 3);
    } catch (const ERegistryException&) {
      _exit(1);
    }
    _exit(0);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFileBytes(File()), "[window]\nleft=\"3\"\n");
  EXPECT_EQ(fs::status(File()).permissions(), fs::perms(0444));
  EXPECT_FALSE(fs::exists(File() + ".tmp"));
}

// ---- large files ----

// A file of a few MiB that nobody has touched for a while, so that its copy
// is kept between reads.
class LargeFileTest : public StoreTest {
 protected:
  // Returns what stands before `tail`.
  std::string HandEditLarge(const std::string& tail) const {
    std::string junk = "[junk]\n";
    while (junk.size() < 3 * kLargeSettingsFile)
      junk += "entry=\"a value to fill the file with\"\n";
    HandEdit(junk + tail);
    return junk;
  }
  void HandEditLongAgo(const std::string& tail) const {
    HandEditLarge(tail);
    // Always the same time, so that two edits of the same size differ only
    // in the change time the file system records itself.
    const timespec long_ago[2] = {{1700000000, 0}, {1700000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, File().c_str(), long_ago, 0), 0);
    // A file changed within the last second is never kept; wait that out.
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  }
  static int Left() { return TRegIniFile(kProductKeyPath).ReadNumber("window", "left", 0); }
};

// A hand edit of the same size with its old modification time put back, and
// another writer's rename, are seen at the next read.
TEST_F(LargeFileTest, AKeptCopyNeverHidesAChange) {
  HandEditLongAgo("[window]\nleft=1\n");
  EXPECT_EQ(Left(), 1);
  EXPECT_EQ(Left(), 1);
  HandEditLongAgo("[window]\nleft=2\n");
  EXPECT_EQ(Left(), 2);
  if (const pid_t child = fork(); child == 0) {
    TRegIniFile(kProductKeyPath).WriteNumber("window", "left", 3);
    _exit(0);
  } else {
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
  }
  EXPECT_EQ(Left(), 3);
}

// A group of writes: the first entry is in the file at once, the rest once
// the store is freed; a bad name still raises at once; every other byte stays.
TEST_F(LargeFileTest, AGroupOfWritesKeepsEveryOtherByte) {
  HandEditLongAgo("[window]\nleft=1\n; the user's note\n");
  const std::string before = ReadFileBytes(File());
  const std::string junk = before.substr(0, before.find("[window]"));
  {
    TRegIniFile store(kProductKeyPath);
    store.WriteNumber("window", "left", 2);
    EXPECT_EQ(ReadFileBytes(File()), junk + "[window]\nleft=\"2\"\n; the user's note\n");
    store.WriteNumber("window", "top", 3);
    store.WriteText("weather", "last update", "now");
    EXPECT_THROW(store.WriteText("weather", "bad\nname", "x"), ERegistryException);
  }
  EXPECT_EQ(ReadFileBytes(File()), junk +
                                       "[window]\nleft=\"2\"\ntop=\"3\"\n; the user's note\n"
                                       "[weather]\nlast update=\"now\"\n");
}

// The group's write that fails at its end: after the group's first write
// (made at once) the folder where the new copy of the file goes gets a
// folder in the way of that copy, which stops root as well.
class FailingGroupTest : public LargeFileTest {
 protected:
  // Makes the group's first write, then the fault, then two writes that are
  // held back. Returns the file as the first write left it.
  std::string StartGroup(TRegIniFile& store) {
    HandEditLarge("[window]\nleft=1\n");
    store.WriteNumber("window", "left", 2);
    const std::string after_first = ReadFileBytes(File());
    EXPECT_NE(after_first.find("[window]\nleft=\"2\"\n"), std::string::npos);
    EXPECT_TRUE(fs::create_directory(File() + ".tmp"));
    store.WriteNumber("window", "top", 3);
    store.WriteText("weather", "last update", "now");
    return after_first;
  }
};

TEST_F(FailingGroupTest, UpdateFileRaisesTheStoresErrorOnce) {
  testing::internal::CaptureStderr();
  {
    TRegIniFile store(kProductKeyPath);
    const std::string after_first = StartGroup(store);
    try {
      store.UpdateFile();
      ADD_FAILURE() << "no error";
    } catch (const ERegistryException& e) {
      EXPECT_STREQ(e.what(), "Failed to create key window");
    }
    EXPECT_EQ(ReadFileBytes(File()), after_first);
    // Reported once: nothing is held back any more.
    store.UpdateFile();
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(fs::is_directory(File() + ".tmp"));
}

// A writer that never ends its group still has the failure said, on
// standard error, once the store is freed.
TEST_F(FailingGroupTest, AStoreFreedUnfinishedSaysSoOnStandardError) {
  std::string after_first;
  testing::internal::CaptureStderr();
  {
    TRegIniFile store(kProductKeyPath);
    after_first = StartGroup(store);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "marrowby-weather: cannot store the settings in " + File() +
                ": Failed to create key window\n");
  EXPECT_EQ(ReadFileBytes(File()), after_first);
}

TEST_F(StoreTest, LeftoverTemporaryFileIsHarmless) {
  WriteFileBytes(File() + ".tmp", "[half written");
  TRegIniFile store(kProductKeyPath);
  store.WriteNumber("window", "left", 3);
  EXPECT_EQ(store.ReadNumber("window", "left", 10), 3);
  EXPECT_FALSE(fs::exists(File() + ".tmp"));
}

}  // namespace
