// A temporary folder that stands in for the user's configuration folder
// (XDG_CONFIG_HOME) while it lives, and is removed afterwards.
#pragma once

#include <string>

class TempConfigDir {
 public:
  TempConfigDir();
  ~TempConfigDir();
  TempConfigDir(const TempConfigDir&) = delete;
  TempConfigDir& operator=(const TempConfigDir&) = delete;

  const std::string& Path() const { return path_; }
  // The settings file of the program's key path inside this folder.
  std::string SettingsFile() const { return path_ + "/Tidewell/Aerolume.ini"; }

 private:
  std::string path_;
  std::string previous_;
  bool had_previous_ = false;
};

// Whole-file helpers for tests.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
