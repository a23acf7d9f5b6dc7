// Running copies of the program share one settings file: writers in other
// processes, at the same time or killed mid-write, never leave a broken file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "store/ini_file_format.h"
#include "store/reg_ini_file.h"
#include "support/temp_config.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// Runs `body` in a child process; the child exits 0 when it returns normally.
pid_t Spawn(const std::function<void()>& body) {
  const pid_t pid = fork();
  if (pid == 0) {
    int code = 0;
    try {
      body();
    } catch (...) {
      code = 1;
    }
    _exit(code);
  }
  return pid;
}

int ExitCode(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Every line of the file is a header or an entry, and each entry reads as text.
void ExpectWellFormed(const std::string& file, std::size_t entries) {
  std::size_t lines = 0;
  for (const char c : file) lines += (c == '\n');
  EXPECT_TRUE(file.empty() || file.back() == '\n');
  const std::vector<IniEntry> parsed = ParseIniEntries(file);
  EXPECT_EQ(parsed.size(), entries) << file;
  EXPECT_EQ(lines, entries + 1) << file;  // one section header
  for (const IniEntry& entry : parsed) {
    EXPECT_EQ(DecodeStoredValue(entry.raw_value).kind, StoredValue::Kind::kText) << file;
  }
}

TEST(ConcurrentWriters, TwoProcessesWritingDifferentEntriesLoseNothing) {
  TempConfigDir config;
  TRegIniFile{kProductKeyPath};  // the file exists, empty
  constexpr int kWrites = 500;
  auto writer = [](const char* entry) {
    return [entry] {
      for (int i = 1; i <= kWrites; ++i)
        TRegIniFile(kProductKeyPath).WriteNumber("window", entry, i);
    };
  };
  const pid_t first = Spawn(writer("left"));
  const pid_t second = Spawn(writer("top"));
  ASSERT_GT(first, 0);
  ASSERT_GT(second, 0);

  // Meanwhile a reader without a lock sees whole files only: every value it
  // finds is one that was written, and values only grow.
  int last_seen = 0;
  for (int round = 0; round < 2000; ++round) {
    const int left = TRegIniFile(kProductKeyPath).ReadNumber("window", "left", 0);
    EXPECT_GE(left, last_seen);
    EXPECT_LE(left, kWrites);
    last_seen = left;
    if (left == kWrites) break;
    std::this_thread::sleep_for(milliseconds(1));
  }

  EXPECT_EQ(ExitCode(first), 0);
  EXPECT_EQ(ExitCode(second), 0);
  TRegIniFile store(kProductKeyPath);
  EXPECT_EQ(store.ReadNumber("window", "left", 0), kWrites);
  EXPECT_EQ(store.ReadNumber("window", "top", 0), kWrites);
  ExpectWellFormed(ReadFileBytes(config.SettingsFile()), 2);
}

TEST(ConcurrentWriters, WriterKilledMidRunLeavesAFileThatParses) {
  TempConfigDir config;
  // A long text makes each write take long enough to be cut off now and then.
  const std::string forecast(64 * 1024, 'R');
  for (const int stop_after : {1, 3, 10, 30}) {
    const pid_t writer = Spawn([&] {
      for (int i = 1; i < 1000000; ++i) {
        TRegIniFile store(kProductKeyPath);
        store.WriteText("weather", "last forecast", forecast);
        store.WriteNumber("weather", "count", i);
      }
    });
    ASSERT_GT(writer, 0);
    const auto give_up = steady_clock::now() + std::chrono::seconds(60);
    while (TRegIniFile(kProductKeyPath).ReadNumber("weather", "count", 0) < stop_after &&
           steady_clock::now() < give_up) {
      std::this_thread::sleep_for(milliseconds(1));
    }
    ASSERT_EQ(kill(writer, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFSIGNALED(status));

    TRegIniFile store(kProductKeyPath);
    EXPECT_GE(store.ReadNumber("weather", "count", 0), stop_after);
    EXPECT_EQ(store.ReadText("weather", "last forecast", ""), forecast);
    ExpectWellFormed(ReadFileBytes(config.SettingsFile()), 2);
    // The killed writer's lock went with it.
    store.WriteNumber("weather", "count", 0);
    EXPECT_EQ(store.ReadNumber("weather", "count", -1), 0);
  }
}

// Another copy that has taken the settings lock and hangs with it, for the
// life of the object; it ends by itself should the test not get to end it.
class HangingLockHolder {
 public:
  explicit HangingLockHolder(const std::string& settings_file) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = Spawn([&] {
      const int lock = open((settings_file + ".lock").c_str(), O_RDWR | O_CREAT, 0666);
      if (lock < 0 || flock(lock, LOCK_EX) != 0 || write(ready[1], "L", 1) != 1) _exit(1);
      alarm(30);
      pause();
    });
    char mark = 0;
    if (pid_ > 0 && read(ready[0], &mark, 1) != 1) mark = 0;
    holding_ = mark == 'L';
    close(ready[0]);
    close(ready[1]);
  }
  ~HangingLockHolder() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  HangingLockHolder(const HangingLockHolder&) = delete;
  HangingLockHolder& operator=(const HangingLockHolder&) = delete;
  bool Holding() const { return holding_; }

 private:
  pid_t pid_ = -1;
  bool holding_ = false;
};

TEST(ConcurrentWriters, ACopyHangingWithTheLockFailsTheWriteInsteadOfBlockingIt) {
  TempConfigDir config;
  TRegIniFile{kProductKeyPath};
  const std::string before = ReadFileBytes(config.SettingsFile());
  HangingLockHolder holder(config.SettingsFile());
  ASSERT_TRUE(holder.Holding());

  const auto start = steady_clock::now();
  try {
    TRegIniFile(kProductKeyPath).WriteNumber("window", "left", 5);
    ADD_FAILURE() << "no error";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Failed to create key window");
  }
  EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(ReadFileBytes(config.SettingsFile()), before);
}

std::ptrdiff_t EntriesIn(const char* folder) {
  return std::distance(std::filesystem::directory_iterator(folder),
                       std::filesystem::directory_iterator());
}

// A program that cannot store at one close may go on and try again; what the
// waits that gave up left behind would pile up meanwhile.
TEST(ConcurrentWriters, AWriteThatGivesUpLeavesNoThreadOrDescriptorBehind) {
  TempConfigDir config;
  TRegIniFile{kProductKeyPath};
  HangingLockHolder holder(config.SettingsFile());
  ASSERT_TRUE(holder.Holding());
  const std::ptrdiff_t threads = EntriesIn("/proc/self/task");
  const std::ptrdiff_t descriptors = EntriesIn("/proc/self/fd");
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_THROW(TRegIniFile(kProductKeyPath).WriteNumber("window", "left", 5), ERegistryException);
  }
  EXPECT_EQ(EntriesIn("/proc/self/task"), threads);
  EXPECT_EQ(EntriesIn("/proc/self/fd"), descriptors);
}

}  // namespace
