// The sample data server for the Windows face's tests. Where the Windows
// build has the sample server (MW_SAMPLE_SERVER_EXE), it is started here on
// free ports of 127.0.0.1 and stopped when the object goes; otherwise the
// test command names a sample server it runs on this machine in
// MW_SAMPLE_SOURCES ("<primary host:port> <alternate host:port>").
#pragma once

#include <windows.h>

#include <string>

class SampleSources {
 public:
  SampleSources();
  ~SampleSources();
  SampleSources(const SampleSources&) = delete;
  SampleSources& operator=(const SampleSources&) = delete;

  // Whether both sources are known; why not, otherwise.
  bool Ready() const { return !primary.empty() && !alternate.empty(); }
  std::string problem;
  std::string primary;
  std::string alternate;

 private:
  PROCESS_INFORMATION process_{};
};
