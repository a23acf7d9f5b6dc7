#include "strip_fixture.h"

#include <commctrl.h>
#include <objbase.h>

#include <chrono>

#include "store/reg_ini_file.h"
#include "strip/main_form.h"

void StripTest::SetUp() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
}

void StripTest::TearDown() {
  strip_.reset();
  app_.reset();
  CoUninitialize();
}

void StripTest::Store(const char* section, const char* entry, const std::string& value) {
  TRegIniFile store(kProductKeyPath);
  store.WriteText(section, entry, value);
  store.UpdateFile();
}

std::string StripTest::Stored(const char* section, const char* entry) {
  return TRegIniFile(kProductKeyPath).ReadText(section, entry, "<none>");
}

void StripTest::Create(bool update_at_start) {
  if (!update_at_start) Store("settings", "onstart", "0");
  app_ = std::make_unique<ObservedApplication>(GetModuleHandleA(nullptr));
  app_->SetTitle(kApplicationTitle);
  strip_ = std::make_unique<TWin32Strip>(*app_);
  RunGuarded(*strip_, [&] { strip_->frmMain.FormCreate(); });
}

bool StripTest::ServeUntil(const std::function<bool()>& done, int seconds) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return true;
}

std::string StripTest::Text(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

void StripTest::MakeStoreUnwritable() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kProductKeyPath);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kProductKeyPath, 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
}
