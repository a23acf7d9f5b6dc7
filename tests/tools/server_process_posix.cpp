// ServerProcess on POSIX systems: fork and exec, a pipe, signals.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "server_process.h"

using Clock = std::chrono::steady_clock;

struct ServerProcess::Child {
  pid_t pid = -1;
  int out = -1;  // its standard output
};

ServerProcess::ServerProcess(const std::string& program, const std::vector<std::string>& args,
                             const ServerLaunch& launch)
    : child_(std::make_unique<Child>()) {
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) return;
  std::vector<std::string> command = launch.wrapper;
  command.push_back(program);
  command.insert(command.end(), args.begin(), args.end());
  pid_t pid = fork();
  if (pid == 0) {
    dup2(pipe_fds[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (std::string& a : command) argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(pipe_fds[1]);
  child_->pid = pid;
  child_->out = pipe_fds[0];
}

ServerProcess::~ServerProcess() {
  if (child_->pid > 0) {
    kill(child_->pid, SIGKILL);
    waitpid(child_->pid, nullptr, 0);
  }
  if (child_->out >= 0) close(child_->out);
}

bool ServerProcess::Started() const { return child_->pid > 0; }

long ServerProcess::Id() const { return child_->pid; }

void ServerProcess::ReadUntil(std::string& out, const std::string& marker,
                              std::chrono::seconds limit) {
  auto until = Clock::now() + limit;
  char chunk[512];
  while (out.find(marker) == std::string::npos && Clock::now() < until) {
    pollfd p{child_->out, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    ssize_t n = read(child_->out, chunk, sizeof chunk);
    if (n <= 0) break;
    out.append(chunk, static_cast<std::size_t>(n));
  }
}

void ServerProcess::AskToStop(Request request) {
  kill(child_->pid, request == Request::kInterrupt ? SIGINT : SIGTERM);
}

int ServerProcess::Finish(std::chrono::seconds limit) {
  int status = 0;
  auto until = Clock::now() + limit;
  while (waitpid(child_->pid, &status, WNOHANG) == 0) {
    if (Clock::now() >= until) {
      kill(child_->pid, SIGKILL);
      waitpid(child_->pid, &status, 0);
      ADD_FAILURE() << "the server did not stop in time";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  child_->pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
