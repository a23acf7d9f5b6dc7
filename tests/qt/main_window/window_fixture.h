// What the Qt main-window tests share: recorded message boxes, an observed end of
// the message loops, a fresh settings folder, both data sources on a loopback
// port that refuses (a test that wants documents serves them itself), and
// helpers to fill the store and to run the event loop for a bounded time.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "store/reg_ini_file.h"
#include "store/stored_entries.h"
#include "strip/main_form.h"
#include "support/loopback_server.h"
#include "support/recording_boxes.h"
#include "support/temp_config.h"
#include "support/test_application.h"

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes `ini` as the whole settings file.
  void StoreFile(const std::string& ini);
  std::string StoredFile() const;
  // Reads one entry back through the store, as the text it is stored as.
  template <class Entry>
  std::string StoredText(const Entry& entry) const {
    return TRegIniFile(kProductKeyPath).ReadText(entry.section, entry.name, "<absent>");
  }

  TempConfigDir config_;
  RefusingPort nowhere_;
  RecordingBoxes boxes_;
  // How often the message loops were told to end.
  int& end_loops_calls_ = TestApplication::Current().end_loops_calls;
};

// The strip's ticker starts `forecast` from its beginning, as at the step
// after a whole pass.
inline void StartTicker(TfrmMain& frm, const std::string& forecast) {
  frm.ForecastText = forecast;
  while (frm.Caption() != forecast) frm.tmrScrollTimer();
}
