// netstep's one-shot answer timed against its peers, sipcalc and ipcalc, with
// the same input: each started with posix_spawn, its standard output read
// from a pipe as a script would, and timed from the spawn to the reaped exit.
// The tools take turns within every round, so a busy moment of the shared
// machine falls on all of them alike.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_support.h"

extern char** environ;

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int rounds = 201;
const std::vector<std::string> input = {"192.168.1.10", "255.255.255.0"};

struct Tool {
  std::string name;
  std::string path;           // "" when not installed
  std::string answer;         // a text every correct answer holds
  std::vector<double> times;  // ms per run
  bool answeredEveryTime = true;
};

std::string OnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string rest = path != nullptr ? path : "/usr/bin:/bin";
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    const std::string candidate = rest.substr(0, colon) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
  }
  return "";
}

// One run: the time from the spawn to the exit, and whether the answer came.
double RunOnce(Tool& tool) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) std::abort();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> argv = {tool.path};
  argv.insert(argv.end(), input.begin(), input.end());
  std::vector<char*> pointers;
  for (std::string& arg : argv) pointers.push_back(arg.data());
  pointers.push_back(nullptr);

  const Clock::time_point start = Clock::now();
  pid_t pid = -1;
  const int spawned =
      posix_spawn(&pid, tool.path.c_str(), &actions, nullptr, pointers.data(), environ);
  close(out[1]);
  std::string output;
  char buffer[4096];
  ssize_t n;
  while ((n = read(out[0], buffer, sizeof buffer)) > 0) output.append(buffer, size_t(n));
  int status = 0;
  if (spawned == 0) waitpid(pid, &status, 0);
  const double ms = Ms(Clock::now() - start);
  close(out[0]);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      output.find(tool.answer) == std::string::npos) {
    tool.answeredEveryTime = false;
  }
  return ms;
}

}  // namespace

void CompareOneShot(Results& results) {
  std::vector<Tool> tools = {
      {"netstep", NETSTEP_BINARY, "Broadcast address  - 192.168.1.255", {}, true},
      {"sipcalc", OnPath("sipcalc"), "192.168.1.255", {}, true},
      {"ipcalc", OnPath("ipcalc"), "192.168.1.255", {}, true},
  };
  for (int round = 0; round < rounds; ++round) {
    // Each round starts with another tool, so none always runs first.
    for (size_t i = 0; i < tools.size(); ++i) {
      Tool& tool = tools[(size_t(round) + i) % tools.size()];
      if (!tool.path.empty()) tool.times.push_back(RunOnce(tool));
    }
  }
  const double netstep = Median(tools[0].times);
  results.Add("one-shot answer, launch to exit: netstep", "one_shot_netstep_ms", netstep, "ms",
              "-");
  for (size_t i = 1; i < tools.size(); ++i) {
    const Tool& peer = tools[i];
    if (peer.path.empty()) {
      results.Note("one-shot answer: " + peer.name + " is not installed");
      continue;
    }
    const double median = Median(peer.times);
    results.Add("one-shot answer, launch to exit: " + peer.name, "one_shot_" + peer.name + "_ms",
                median, "ms", "-");
    results.Add("one-shot ratio netstep / " + peer.name, "one_shot_ratio_" + peer.name,
                netstep / median, "x", peer.name == "sipcalc" ? "<= 1.0" : "-");
  }
  for (const Tool& tool : tools) {
    if (!tool.path.empty() && !tool.answeredEveryTime) {
      results.Note("one-shot answer: " + tool.name + " did not always answer as expected");
    }
  }
}

}  // namespace bench
