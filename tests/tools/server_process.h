// The sample server program run as a child process of a test, its standard
// output (and on Windows its standard error too) read through a pipe, with
// the requests to stop the program answers: SIGINT and SIGTERM on POSIX
// systems, Ctrl+C and Ctrl+Break in its console on Windows. A child that is
// still running when the object goes is killed.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

// How the child is started.
struct ServerLaunch {
  // POSIX systems: a launcher found on PATH and its arguments, which runs
  // the program ("launcher -x program args...").
  std::vector<std::string> wrapper;
  // The test will call AskToStop. On Windows the child then gets a console
  // of its own, the one way for Ctrl+C to reach it alone; else it runs
  // without one, since under Wine the console's host may hold the test's
  // output open for many seconds after the child is gone, which ctest
  // counts as the test's own time.
  bool stop_requests = false;
};

class ServerProcess {
 public:
  ServerProcess(const std::string& program, const std::vector<std::string>& args,
                const ServerLaunch& launch = {});
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  bool Started() const;
  // The process id.
  long Id() const;

  // Adds the child's output to `out` until `marker` shows in it, the child
  // closes its output, or `limit` has passed.
  void ReadUntil(std::string& out, const std::string& marker,
                 std::chrono::seconds limit = std::chrono::seconds(20));

  enum class Request {
    kInterrupt,  // SIGINT; Ctrl+C
    kTerminate,  // SIGTERM; Ctrl+Break
  };
  void AskToStop(Request request);

  // Waits for the child's end; kills it after `limit`, which fails the test.
  // Its exit status, or -1 when it did not exit by itself.
  int Finish(std::chrono::seconds limit = std::chrono::seconds(20));

 private:
  struct Child;  // the platform's handles
  std::unique_ptr<Child> child_;
};
