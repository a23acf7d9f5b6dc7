#include "store/reg_ini_file.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "store/ini_file_format.h"

namespace {

// Closes its descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  // Closes now, so that a failing close can be noticed.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

std::string ConfigHome() {
  // Only an absolute XDG_CONFIG_HOME counts; a relative one would depend on
  // where the program happened to be started.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    return xdg;
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    return std::string(home) + "/.config";
  }
  if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) {
    return std::string(user->pw_dir) + "/.config";
  }
  return {};
}

// The whole file into `bytes`, and its identity into `info`; 0, or the
// errno of what failed. Only a regular file is read: a FIFO or device put in
// its place must not hang the program.
int ReadWholeFile(const std::string& path, std::string* bytes, struct stat* info) {
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.Valid()) return errno;
  if (fstat(fd.Get(), info) != 0) return errno;
  if (!S_ISREG(info->st_mode)) return S_ISDIR(info->st_mode) ? EISDIR : EINVAL;
  // Sized for what the file holds now; it may still grow or shrink.
  bytes->assign(static_cast<std::size_t>(info->st_size) + 1, '\0');
  std::size_t have = 0;
  for (;;) {
    if (have == bytes->size()) bytes->resize(bytes->size() * 2);
    const ssize_t got = read(fd.Get(), bytes->data() + have, bytes->size() - have);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    have += static_cast<std::size_t>(got);
  }
  bytes->resize(have);
  return 0;
}

// Which file a path names and when it last changed.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = -1;
  timespec modified = {};
  timespec changed = {};

  static FileIdentity Of(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
  }
  bool operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
           changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
  }
};

// The settings file as this process last read it, with the raw values looked
// up in it so far. Reused only while the file's identity (device, inode,
// size, modification and change times) is what it was: every writer replaces
// the file by a rename (a new inode), and a hand edit changes its times, so
// what any other writer did is always seen. A file changed less than a
// second before it was read is not kept: an edit within the same tick of the
// file system's clock could leave its times as they were. Large files are
// where this counts: each read would otherwise read and search them whole.
struct KeptCopy {
  std::string path;
  FileIdentity identity;
  std::shared_ptr<const std::string> bytes;
  std::map<std::string, std::optional<std::string>> raw_values;  // by "section\nentry", folded
};

std::mutex g_kept_mutex;
KeptCopy g_kept;

bool OldEnoughToKeep(const struct stat& info) {
  timespec now = {};
  clock_gettime(CLOCK_REALTIME, &now);
  const long long ns_since =
      (now.tv_sec - info.st_ctim.tv_sec) * 1000000000LL + (now.tv_nsec - info.st_ctim.tv_nsec);
  return ns_since > 1000000000LL;
}

std::string FoldedKey(std::string_view section, std::string_view entry) {
  std::string key;
  key.reserve(section.size() + entry.size() + 1);
  for (const char c : section) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  key += '\n';
  for (const char c : entry) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  return key;
}

// The file's bytes, from the kept copy while the file is unchanged; 0, or
// the errno of what failed.
int LoadSettingsFile(const std::string& path, std::shared_ptr<const std::string>* bytes) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0) {
    std::lock_guard lock(g_kept_mutex);
    if (g_kept.bytes && g_kept.path == path && g_kept.identity == FileIdentity::Of(info)) {
      *bytes = g_kept.bytes;
      return 0;
    }
  }
  auto fresh = std::make_shared<std::string>();
  if (const int error = ReadWholeFile(path, fresh.get(), &info); error != 0) return error;
  *bytes = fresh;
  std::lock_guard lock(g_kept_mutex);
  if (OldEnoughToKeep(info)) {
    g_kept = KeptCopy{path, FileIdentity::Of(info), std::move(fresh), {}};
  } else if (g_kept.path == path) {
    g_kept = KeptCopy{};
  }
  return 0;
}

// FindRawValue on the file at `path`, answered from the kept copy when it
// has seen the question before. Nothing when the file cannot be read.
std::optional<std::string> FindStoredRawValue(const std::string& path, std::string_view section,
                                              std::string_view entry) {
  std::shared_ptr<const std::string> bytes;
  if (LoadSettingsFile(path, &bytes) != 0) return std::nullopt;
  const std::string key = FoldedKey(section, entry);
  {
    std::lock_guard lock(g_kept_mutex);
    if (g_kept.bytes == bytes) {
      if (const auto it = g_kept.raw_values.find(key); it != g_kept.raw_values.end()) {
        return it->second;
      }
    }
  }
  std::optional<std::string> raw = FindRawValue(*bytes, section, entry);
  std::lock_guard lock(g_kept_mutex);
  if (g_kept.bytes == bytes) g_kept.raw_values.emplace(key, raw);
  return raw;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = write(fd, bytes.data(), bytes.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

// The text of the entry that counts, or nothing when the file, the section or
// the entry is missing (or the file cannot be read at all).
std::optional<std::string> ReadStoredText(const std::string& file_name, std::string_view section,
                                          std::string_view entry) {
  if (file_name.empty()) return std::nullopt;
  const std::optional<std::string> raw = FindStoredRawValue(file_name, section, entry);
  if (!raw) return std::nullopt;
  StoredValue value = DecodeStoredValue(*raw);
  switch (value.kind) {
    case StoredValue::Kind::kText:
      return std::move(value.text);
    case StoredValue::Kind::kBadData:
      throw ERegistryException("Failed to get data for '" + std::string(entry) + "'");
    case StoredValue::Kind::kNotText:
      break;
  }
  throw ERegistryException("Invalid data type for '" + std::string(entry) + "'");
}

ERegistryException CreateFailed(std::string_view section) {
  return ERegistryException("Failed to create key " + std::string(section));
}

ERegistryException SetFailed(std::string_view entry) {
  return ERegistryException("Failed to set data for '" + std::string(entry) + "'");
}

// Raises what a write of (section, entry) raises when the file cannot hold
// those names.
void CheckStorableNames(const std::string& file_name, std::string_view section,
                        std::string_view entry) {
  if (file_name.empty() || !IsStorableSectionName(section)) throw CreateFailed(section);
  if (!IsStorableEntryName(entry)) throw SetFailed(entry);
}

// The exclusive lock on `<file>.lock` that serialises writers between
// running copies, held while the object lives. The lock file is never
// removed: removing it would let two writers hold locks on two different
// files.
//
// The wait for a lock that another copy holds is bounded: one that hangs
// holding it (stopped mid-write) must not keep this one's close from ending.
// A blocking flock could not be given up without leaving something behind
// (a thread blocked in it, with its descriptor), so the lock is asked for
// without blocking: again at every close of the lock file, which is how a
// writer lets go of it and which inotify reports, and in any case every few
// milliseconds. Asking only at intervals would seldom catch the moment
// between two writes of a copy writing entry after entry.
class SettingsLock {
 public:
  SettingsLock(const std::string& lock_name, std::chrono::milliseconds limit)
      : lock_(open(lock_name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
    held_ = lock_.Valid() && LockWithin(lock_name, limit);
  }
  // Lets go of the lock before its file is closed, so that a copy the close
  // wakes finds it free. The watch is closed last, with the lock let go:
  // closing an inotify instance can take milliseconds (the kernel waits out
  // a grace period), which no other copy should wait for.
  ~SettingsLock() {
    if (held_) flock(lock_.Get(), LOCK_UN);
  }
  SettingsLock(const SettingsLock&) = delete;
  SettingsLock& operator=(const SettingsLock&) = delete;
  bool Held() const { return held_; }

 private:
  bool TryLock() const {
    while (flock(lock_.Get(), LOCK_EX | LOCK_NB) != 0) {
      if (errno != EINTR) return false;
    }
    return true;
  }

  bool LockWithin(const std::string& lock_name, std::chrono::milliseconds limit) {
    if (TryLock()) return true;
    if (errno != EWOULDBLOCK) return false;
    // Watched before the next try, so that a close between the two is seen.
    closes_.emplace(inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    if (closes_->Valid()) {
      inotify_add_watch(closes_->Get(), lock_name.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
    }
    constexpr std::chrono::milliseconds kAskAgain(5);
    const auto give_up = std::chrono::steady_clock::now() + limit;
    for (;;) {
      if (TryLock()) return true;
      if (errno != EWOULDBLOCK) return false;
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(give_up - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      // Without a watch (no inotify instance left) the descriptor is -1,
      // which poll passes over: a plain wait.
      pollfd watch{closes_->Get(), POLLIN, 0};
      if (poll(&watch, 1, static_cast<int>(std::min(left, kAskAgain).count())) > 0) {
        char events[4096];
        while (read(closes_->Get(), events, sizeof events) > 0) {
        }
      }
    }
  }

  // Declared first, closed last.
  std::optional<FileDescriptor> closes_;
  FileDescriptor lock_;
  bool held_ = false;
};

// Under the lock, re-reads the file, sets the entries in order, and replaces
// the file with a complete new copy, so a reader or a crash sees the old file
// or the new one, never a mix. Failures raise the error of the first entry.
// Returns the new file's size.
std::size_t WriteStoredTexts(const std::string& file_name,
                             const std::vector<std::array<std::string, 3>>& changes) {
  const ERegistryException create_failed = CreateFailed(changes.front()[0]);
  const ERegistryException set_failed = SetFailed(changes.front()[1]);

  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(file_name).parent_path(), ignored);

  const SettingsLock lock(file_name + ".lock", std::chrono::milliseconds(500));
  if (!lock.Held()) throw create_failed;

  // A settings file that is a link to one kept elsewhere (a dotfiles
  // folder) is replaced where it really lives, so the link stays.
  std::string target = file_name;
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(file_name, ignored))) {
    const std::filesystem::path real = std::filesystem::canonical(file_name, ignored);
    if (!real.empty()) target = real.string();
  }

  // A file that exists but cannot be read is never replaced: that would
  // lose every other entry in it.
  std::shared_ptr<const std::string> old_bytes = std::make_shared<std::string>();
  if (const int error = LoadSettingsFile(target, &old_bytes); error != 0 && error != ENOENT) {
    throw set_failed;
  }
  std::string new_bytes;
  for (const auto& [section, entry, text] : changes) {
    new_bytes = SetIniEntry(new_bytes.empty() ? *old_bytes : new_bytes, section, entry, text);
  }

  // One temporary name is enough: only the lock holder writes it. A copy
  // left by a killed writer may carry any mode (a read-only settings file's
  // 0444, say), so it is removed and every write creates its copy afresh,
  // owner read-write while it is written; the file's mode goes on just
  // before the rename.
  const std::string temp_name = target + ".tmp";
  unlink(temp_name.c_str());
  FileDescriptor out(open(temp_name.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600));
  if (!out.Valid()) throw create_failed;
  mode_t mode = 0;
  if (struct stat old_stat; stat(target.c_str(), &old_stat) == 0 && S_ISREG(old_stat.st_mode)) {
    mode = old_stat.st_mode & 07777;  // keep permissions the user chose
  } else {
    mode = umask(0);  // a new file gets what the user's umask allows
    umask(mode);
    mode = 0666 & ~mode;
  }
  if (!WriteAll(out.Get(), new_bytes) || fchmod(out.Get(), mode) != 0 || fsync(out.Get()) != 0 ||
      !out.Close() || rename(temp_name.c_str(), target.c_str()) != 0) {
    unlink(temp_name.c_str());
    throw set_failed;
  }
  // Make the rename itself durable; the new file is complete either way.
  FileDescriptor folder(open(std::filesystem::path(target).parent_path().c_str(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Valid()) fsync(folder.Get());
  return new_bytes.size();
}

// Writes one entry at once, or, on a large file that this store has written
// before, keeps it for the store's group write (see the header).
void WriteOrKeep(const std::string& file_name, std::vector<std::array<std::string, 3>>& kept,
                 bool& large_file, std::string_view section, std::string_view entry,
                 std::string_view text) {
  CheckStorableNames(file_name, section, entry);
  std::array<std::string, 3> change{std::string(section), std::string(entry), std::string(text)};
  if (large_file) {
    kept.push_back(std::move(change));
    return;
  }
  large_file = WriteStoredTexts(file_name, {std::move(change)}) > kLargeSettingsFile;
}

}  // namespace

TRegIniFile::TRegIniFile(std::string_view key_path) : file_name_(SettingsFileForKey(key_path)) {
  if (file_name_.empty()) return;
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(file_name_).parent_path(), ignored);
  // Read-only with O_CREAT creates a missing file and never changes an
  // existing one.
  const int fd =
      open(file_name_.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  if (fd >= 0) close(fd);
}

TRegIniFile::~TRegIniFile() {
  try {
    UpdateFile();
  } catch (const std::exception& error) {
    // A destructor cannot raise, and the entries must not vanish unseen.
    std::fprintf(stderr, "marrowby-weather: cannot store the settings in %s: %s\n",
                 file_name_.c_str(), error.what());
  }
}

void TRegIniFile::UpdateFile() {
  if (kept_writes_.empty()) return;
  std::vector<std::array<std::string, 3>> group;
  group.swap(kept_writes_);
  WriteStoredTexts(file_name_, group);
}

std::optional<std::string> TRegIniFile::ReadStored(std::string_view section,
                                                   std::string_view entry) const {
  return ReadStoredText(file_name_, section, entry);
}

void TRegIniFile::WriteStored(std::string_view section, std::string_view entry,
                              std::string_view text) {
  WriteOrKeep(file_name_, kept_writes_, large_file_, section, entry, text);
}

std::string SettingsFileForKey(std::string_view key_path) {
  // Registry key names ignore case, so does the leading "Software\".
  constexpr std::string_view kSoftware = "software\\";
  if (SameName(key_path.substr(0, kSoftware.size()), kSoftware)) {
    key_path.remove_prefix(kSoftware.size());
  }
  const std::string home = ConfigHome();
  if (home.empty()) return {};
  std::string file = home + "/";
  for (const char c : key_path) file += (c == '\\') ? '/' : c;
  return file + ".ini";
}
