#include "store/reg_ini_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>

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

// The whole file into `bytes`; 0, or the errno of what failed. Only a
// regular file is read: a FIFO or device put in its place must not hang the
// program.
int ReadWholeFile(const std::string& path, std::string* bytes) {
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.Valid()) return errno;
  struct stat info;
  if (fstat(fd.Get(), &info) != 0) return errno;
  if (!S_ISREG(info.st_mode)) return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
  bytes->clear();
  char chunk[16384];
  for (;;) {
    const ssize_t got = read(fd.Get(), chunk, sizeof chunk);
    if (got == 0) return 0;
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes->append(chunk, static_cast<std::size_t>(got));
  }
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
  std::string file;
  if (file_name.empty() || ReadWholeFile(file_name, &file) != 0) return std::nullopt;
  const std::optional<std::string> raw = FindRawValue(file, section, entry);
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

// Under the lock, re-reads the file, sets the one entry, and replaces the file
// with a complete new copy, so a reader or a crash sees the old file or the
// new one, never a mix.
void WriteStoredText(const std::string& file_name, std::string_view section, std::string_view entry,
                     std::string_view text) {
  const ERegistryException create_failed("Failed to create key " + std::string(section));
  const ERegistryException set_failed("Failed to set data for '" + std::string(entry) + "'");
  if (file_name.empty() || !IsStorableSectionName(section)) throw create_failed;
  if (!IsStorableEntryName(entry)) throw set_failed;

  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(file_name).parent_path(), ignored);

  // The lock file is never removed: removing it would let two writers hold
  // locks on two different files.
  FileDescriptor lock(open((file_name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
  if (!lock.Valid()) throw create_failed;
  while (flock(lock.Get(), LOCK_EX) != 0) {
    if (errno != EINTR) throw create_failed;
  }

  // A settings file that is a link to one kept elsewhere (a dotfiles
  // folder) is replaced where it really lives, so the link stays.
  std::string target = file_name;
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(file_name, ignored))) {
    const std::filesystem::path real = std::filesystem::canonical(file_name, ignored);
    if (!real.empty()) target = real.string();
  }

  // A file that exists but cannot be read is never replaced: that would
  // lose every other entry in it.
  std::string old_bytes;
  if (const int error = ReadWholeFile(target, &old_bytes); error != 0 && error != ENOENT) {
    throw set_failed;
  }
  const std::string new_bytes = SetIniEntry(old_bytes, section, entry, text);

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

TRegIniFile::~TRegIniFile() = default;

std::string TRegIniFile::ReadText(std::string_view section, std::string_view entry,
                                  const std::string& def) const {
  return ReadStoredText(file_name_, section, entry).value_or(def);
}

std::int32_t TRegIniFile::ReadNumber(std::string_view section, std::string_view entry,
                                     std::int32_t def) const {
  const std::optional<std::string> text = ReadStoredText(file_name_, section, entry);
  return text ? StoredTextToNumber(*text, def) : def;
}

bool TRegIniFile::ReadFlag(std::string_view section, std::string_view entry, bool def) const {
  return ReadNumber(section, entry, def ? 1 : 0) != 0;
}

void TRegIniFile::WriteText(std::string_view section, std::string_view entry,
                            std::string_view value) {
  WriteStoredText(file_name_, section, entry, value);
}

void TRegIniFile::WriteNumber(std::string_view section, std::string_view entry,
                              std::int32_t value) {
  WriteStoredText(file_name_, section, entry, std::to_string(value));
}

void TRegIniFile::WriteFlag(std::string_view section, std::string_view entry, bool value) {
  WriteStoredText(file_name_, section, entry, value ? "1" : "0");
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

std::int32_t StoredTextToNumber(std::string_view text, std::int32_t def) {
  std::string s(text);
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.replace(0, 2, "$");
  std::size_t i = s.find_first_not_of(' ');
  if (i == std::string::npos) return def;

  if (s[i] == '$') {
    if (++i == s.size()) return def;
    std::uint32_t value = 0;
    int significant = 0;
    for (; i < s.size(); ++i) {
      const int digit = HexDigit(s[i]);
      if (digit < 0) return def;
      if (significant > 0 || digit != 0) ++significant;
      if (significant > 8) return def;
      value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(value);  // the 32-bit pattern: $FFFFFFFF is -1
  }

  const bool negative = s[i] == '-';
  if (s[i] == '+' || s[i] == '-') ++i;
  if (i == s.size()) return def;
  std::int64_t value = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return def;
    value = value * 10 + (s[i] - '0');
    if (value > 2147483648LL) return def;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return def;
  return static_cast<std::int32_t>(value);
}
