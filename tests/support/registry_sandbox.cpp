#include "support/registry_sandbox.h"

#include <windows.h>

#include "store/reg_ini_file.h"

namespace {

void RemoveProductKey() {
  // ERROR_FILE_NOT_FOUND is the usual answer: the key is not there yet. The
  // tree call takes the key itself with it; the second call is for systems
  // that leave the emptied key behind.
  RegDeleteTreeA(HKEY_CURRENT_USER, kProductKeyPath);
  RegDeleteKeyA(HKEY_CURRENT_USER, kProductKeyPath);
}

}  // namespace

RegistrySandbox::RegistrySandbox() { RemoveProductKey(); }

RegistrySandbox::~RegistrySandbox() { RemoveProductKey(); }

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
