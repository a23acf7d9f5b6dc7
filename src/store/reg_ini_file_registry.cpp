// The settings store on the Windows registry: the key path below
// HKEY_CURRENT_USER, one subkey per section, one REG_SZ value per entry.
// Section keys are opened for each read or write and closed before it
// returns; only the product key stays open while the store lives.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "store/reg_ini_file.h"

namespace {

// Closes its key when it goes out of scope, also when a read raises.
class OpenKey {
 public:
  OpenKey() = default;
  ~OpenKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

HKEY Product(void* key) { return static_cast<HKEY>(key); }

// A name as the registry takes it. A NUL inside would silently shorten it to
// another name, so such a name is none.
bool AsRegistryName(std::string_view name, std::string* out) {
  if (name.find('\0') != std::string_view::npos) return false;
  out->assign(name);
  return true;
}

ERegistryException GetFailed(std::string_view entry) {
  return ERegistryException("Failed to get data for '" + std::string(entry) + "'");
}

ERegistryException WrongType(std::string_view entry) {
  return ERegistryException("Invalid data type for '" + std::string(entry) + "'");
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// The entry's text, or false when the section or the entry does not exist.
// Nothing is created: the section key is only opened, and only to query it.
bool ReadStoredText(void* product_key, std::string_view section, std::string_view entry,
                    std::string* text) {
  std::string section_name, entry_name;
  if (product_key == nullptr || !AsRegistryName(section, &section_name) ||
      !AsRegistryName(entry, &entry_name)) {
    return false;
  }
  OpenKey key;
  if (RegOpenKeyExA(Product(product_key), section_name.c_str(), 0, KEY_QUERY_VALUE, key.Out()) !=
      ERROR_SUCCESS) {
    return false;
  }
  DWORD type = REG_NONE;
  DWORD size = 0;
  LONG status = RegQueryValueExA(key.Get(), entry_name.c_str(), nullptr, &type, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) return false;
  if (status != ERROR_SUCCESS) throw GetFailed(entry);
  // A value that holds nothing is the empty text, whatever its type says.
  text->clear();
  if (size == 0) return true;
  if (!IsText(type)) throw WrongType(entry);

  // Another program may change the value between the two queries; a value
  // that grew is asked for again with room for its new size.
  std::string data;
  for (int attempt = 0; attempt < 4; ++attempt) {
    data.assign(static_cast<std::size_t>(size) + 1, '\0');
    DWORD got = size;
    status = RegQueryValueExA(key.Get(), entry_name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &got);
    if (status == ERROR_MORE_DATA) {
      size = got;
      continue;
    }
    if (status != ERROR_SUCCESS) throw GetFailed(entry);
    if (got == 0) return true;
    if (!IsText(type)) throw WrongType(entry);
    data.resize(got);
    // The text ends at its first NUL: the terminator, when the value has one.
    *text = data.substr(0, data.find('\0'));
    return true;
  }
  throw GetFailed(entry);
}

void WriteStoredText(void* product_key, std::string_view section, std::string_view entry,
                     std::string_view value) {
  std::string section_name, entry_name;
  if (!AsRegistryName(section, &section_name)) {
    throw ERegistryException("Failed to create key " + std::string(section));
  }
  const ERegistryException set_failed("Failed to set data for '" + std::string(entry) + "'");
  if (!AsRegistryName(entry, &entry_name)) throw set_failed;

  OpenKey key;
  if (product_key == nullptr || RegCreateKeyExA(Product(product_key), section_name.c_str(), 0,
                                                nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                                nullptr, key.Out(), nullptr) != ERROR_SUCCESS) {
    throw ERegistryException("Failed to create key " + section_name);
  }
  // A text reads back up to its first NUL, so that is all there is to keep.
  // The value carries its terminating NUL, as other readers of REG_SZ expect.
  std::string data(value.substr(0, value.find('\0')));
  if (data.size() >= MAXDWORD) throw set_failed;
  if (RegSetValueExA(key.Get(), entry_name.c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(data.c_str()),
                     static_cast<DWORD>(data.size() + 1)) != ERROR_SUCCESS) {
    throw set_failed;
  }
}

}  // namespace

TRegIniFile::TRegIniFile(std::string_view key_path)
    : file_name_("HKEY_CURRENT_USER\\" + std::string(key_path)) {
  std::string path;
  if (!AsRegistryName(key_path, &path)) return;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    product_key_ = key;
    return;
  }
  // A key the user may only read (set so by an administrator) still gives
  // its settings; writes to it then fail as they should.
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
    product_key_ = key;
  }
}

TRegIniFile::~TRegIniFile() {
  if (product_key_ != nullptr) RegCloseKey(Product(product_key_));
}

// Every write reached the registry when it was made; nothing is held back.
void TRegIniFile::UpdateFile() {}

std::optional<std::string> TRegIniFile::ReadStored(std::string_view section,
                                                   std::string_view entry) const {
  std::string text;
  if (!ReadStoredText(product_key_, section, entry, &text)) return std::nullopt;
  return text;
}

void TRegIniFile::WriteStored(std::string_view section, std::string_view entry,
                              std::string_view text) {
  WriteStoredText(product_key_, section, entry, text);
}
