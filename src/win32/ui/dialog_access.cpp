#include "win32/ui/dialog_access.h"

#include <initguid.h>
#include <objbase.h>
#include <oleacc.h>

#include <string>
#include <utility>

namespace {

// The annotation service, or none; released by the caller.
IAccPropServices* Services() {
  IAccPropServices* services = nullptr;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
    return nullptr;
  }
  return services;
}

std::wstring Wide(std::string_view text) {
  if (text.empty()) return {};
  const int length =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

const MSAAPROPID& PropertyOf(AccessibleText what) {
  switch (what) {
    case AccessibleText::kName:
      return PROPID_ACC_NAME;
    case AccessibleText::kValue:
      return PROPID_ACC_VALUE;
    case AccessibleText::kDescription:
      return PROPID_ACC_DESCRIPTION;
  }
  return PROPID_ACC_NAME;
}

AccessibleTextWatcher& Watcher() {
  static AccessibleTextWatcher watcher;
  return watcher;
}

}  // namespace

DialogComScope::DialogComScope()
    // S_FALSE (already initialised here) is to be balanced as well;
    // RPC_E_CHANGED_MODE (the thread chose the other model) is not.
    : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

DialogComScope::~DialogComScope() {
  if (initialised_) CoUninitialize();
}

void WatchAccessibleTexts(AccessibleTextWatcher watcher) { Watcher() = std::move(watcher); }

void SetAccessibleText(HWND control, AccessibleText what, std::string_view text) {
  if (Watcher()) Watcher()(control, what, text);
  IAccPropServices* services = Services();
  if (services == nullptr) return;
  const std::wstring wide = Wide(text);
  services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                           PropertyOf(what), wide.c_str());
  services->Release();
}

void HideFromScreenReaders(HWND control) {
  IAccPropServices* services = Services();
  if (services == nullptr) return;
  VARIANT state;
  VariantInit(&state);
  state.vt = VT_I4;
  state.lVal = STATE_SYSTEM_INVISIBLE;
  services->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_STATE,
                        state);
  services->Release();
}

void ClearAccessibleTexts(HWND control) {
  if (control == nullptr) return;
  IAccPropServices* services = Services();
  if (services == nullptr) return;
  MSAAPROPID properties[] = {PROPID_ACC_NAME, PROPID_ACC_VALUE, PROPID_ACC_DESCRIPTION,
                             PROPID_ACC_STATE};
  services->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, properties, 4);
  services->Release();
}
