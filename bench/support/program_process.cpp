#include "support/program_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace kestrova::bench {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The test's environment, with the program's per-user folders moved into `home`.
std::vector<std::string> EnvironmentFor(const std::filesystem::path& home) {
  const std::vector<std::pair<std::string, std::string>> own = {
      {"XDG_CACHE_HOME", (home / "cache").string()},
      {"XDG_CONFIG_HOME", (home / "config").string()},
      {"XDG_DATA_HOME", (home / "data").string()},
      // No session bus here: keep GTK's file chooser from trying to save its settings through one.
      {"GSETTINGS_BACKEND", "memory"},
  };
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    if (std::none_of(own.begin(), own.end(), [&](const auto& pair) { return pair.first == name; })) {
      environment.push_back(text);
    }
  }
  for (const auto& [name, value] : own) environment.push_back(name + "=" + value);
  return environment;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (auto& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

std::string ExitStatus::Describe() const {
  return exited ? "exit status " + std::to_string(code) : "killed by signal " + std::to_string(signal);
}

ProgramProcess::ProgramProcess(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                               const std::filesystem::path& home)
    : home_(home) {
  std::filesystem::create_directories(home);
  // Everything the child needs is made before fork: the test server's threads may hold the
  // allocator's lock at the moment of the fork.
  std::vector<std::string> argv_texts{executable.string()};
  argv_texts.insert(argv_texts.end(), arguments.begin(), arguments.end());
  std::vector<std::string> env_texts = EnvironmentFor(home);
  std::vector<char*> argv = Pointers(argv_texts);
  std::vector<char*> envp = Pointers(env_texts);
  const int out = open((home / "stdout.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int err = open((home / "stderr.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int null_fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (out < 0 || err < 0 || null_fd < 0) throw std::runtime_error("cannot open the program's log files");
  const pid_t parent = getpid();

  started_ = Clock::now();
  pid_ = fork();
  if (pid_ == 0) {
    setpgid(0, 0);
    // If the test itself dies, the program goes with it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(126);
    dup2(null_fd, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(out);
  close(err);
  close(null_fd);
  if (pid_ < 0) throw std::runtime_error("cannot fork the program");
  // Either side may run first; both put the child in its own group.
  setpgid(pid_, pid_);
}

ProgramProcess::~ProgramProcess() { Kill(); }

std::optional<ExitStatus> ProgramProcess::WaitForExit(Clock::duration timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!status_) {
    siginfo_t info{};
    // WNOWAIT leaves the ended program unreaped, so that its id and its process group's id
    // cannot be given to another process before the teardown has killed what is left.
    if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid_) {
      exited_at_ = Clock::now();
      ExitStatus status;
      status.exited = info.si_code == CLD_EXITED;
      status.code = status.exited ? info.si_status : 0;
      status.signal = status.exited ? 0 : info.si_status;
      status_ = status;
      break;
    }
    if (Clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return status_;
}

bool ProgramProcess::Running() { return !WaitForExit(Clock::duration::zero()); }

std::string ProgramProcess::Stdout() const { return ReadFile(home_ / "stdout.log"); }
std::string ProgramProcess::Stderr() const { return ReadFile(home_ / "stderr.log"); }

void ProgramProcess::AddHelpers(const std::vector<ProcessInfo>& found) {
  for (const auto& process : found) {
    const bool known = std::any_of(helpers_.begin(), helpers_.end(), [&](const ProcessInfo& helper) {
      return helper.pid == process.pid && helper.start_ticks == process.start_ticks;
    });
    if (!known && process.state != 'Z') helpers_.push_back(process);
  }
}

void ProgramProcess::NoteHelpers() {
  AddHelpers(Descendants(pid_));
  AddHelpers(GroupMembers(pid_));
}

std::vector<ProcessInfo> ProgramProcess::HelpersStillRunningAfter(Clock::duration grace) {
  // Once the program has ended its children belong to another parent, but keep its group.
  AddHelpers(GroupMembers(pid_));
  const auto deadline = Clock::now() + grace;
  std::vector<ProcessInfo> running;
  for (;;) {
    running.clear();
    std::copy_if(helpers_.begin(), helpers_.end(), std::back_inserter(running), StillRunning);
    if (running.empty() || Clock::now() >= deadline) return running;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void ProgramProcess::Kill() {
  if (pid_ <= 0 || reaped_) return;
  NoteHelpers();
  kill(-pid_, SIGKILL);
  for (const auto& helper : helpers_) {
    if (StillRunning(helper)) kill(helper.pid, SIGKILL);
  }
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  reaped_ = true;
}

}  // namespace kestrova::bench
