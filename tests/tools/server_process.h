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

class ServerProcess {
 public:
  // Runs `program` with `args`; on POSIX systems after `wrapper` (a launcher
  // found on PATH and its arguments: "launcher -x program args..."), if any.
  ServerProcess(const std::string& program, const std::vector<std::string>& args,
                const std::vector<std::string>& wrapper = {});
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
