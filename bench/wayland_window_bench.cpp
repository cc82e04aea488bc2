// The real program on a private headless weston, beside a minimal client:
// the time from starting each to the compositor presenting its first frame
// (wp_presentation feedback), and for the program also its second, the one
// with the picture; peak memory with and without libdecor's decoration
// plugin, and the program's CPU use once idle.
// Usage: mandelbrot-wayland-bench [RUNS]

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Run {
  double startMs[2] = {-1, -1};  // exec to the first and the second frame presented
  double rssMb = 0;              // peak resident memory
};

double cpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string field;
  double ticks = 0;
  for (int i = 1; i <= 15 && stat >> field; ++i) {
    if (i >= 14) ticks += std::stod(field);
  }
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, int out) {
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, STDIN_FILENO);
    dup2(out >= 0 ? out : devnull, STDOUT_FILENO);
    dup2(devnull, STDERR_FILENO);
    for (const std::string& e : env)
      putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv)
      args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  return pid;
}

// Starts a client, reads `frames` lines "presented CLOCK SECONDS" and kills
// it; with `idle` set, first measures its CPU use over five idle seconds.
Run runClient(const std::string& path, const std::vector<std::string>& env, int frames,
              double* idle) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return {};
  timespec started[8] = {};
  for (clockid_t c = 0; c < 8; ++c)
    clock_gettime(c, &started[c]);
  const pid_t pid = spawn({path}, env, fds[1]);
  close(fds[1]);
  Run run;
  pollfd p = {fds[0], POLLIN, 0};
  for (int frame = 0; frame < frames; ++frame) {
    std::string line;
    char c = 0;
    while (line.find('\n') == std::string::npos && poll(&p, 1, 10000) > 0 &&
           read(fds[0], &c, 1) == 1)
      line += c;
    unsigned clock = 0;
    double seconds = 0;
    if (std::sscanf(line.c_str(), "presented %u %lf", &clock, &seconds) == 2 && clock < 8) {
      run.startMs[frame] = (seconds - started[clock].tv_sec - started[clock].tv_nsec * 1e-9) * 1e3;
    }
  }
  close(fds[0]);
  if (idle != nullptr) {
    const double before = cpuSeconds(pid);
    std::this_thread::sleep_for(std::chrono::seconds(5));
    *idle = (cpuSeconds(pid) - before) / 5 * 100;
  }
  kill(pid, SIGTERM);
  int status = 0;
  rusage usage = {};
  wait4(pid, &status, 0, &usage);
  run.rssMb = usage.ru_maxrss / 1024.0;
  return run;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
  char dirTemplate[] = "/tmp/mandelbrot-wayland-bench-XXXXXX";
  const std::string dir = mkdtemp(dirTemplate);
  const std::string noPlugins = dir + "/no-plugins";
  mkdir(noPlugins.c_str(), 0700);
  const std::string runtime = "XDG_RUNTIME_DIR=" + dir, socket = "WAYLAND_DISPLAY=bench";
  const pid_t weston = spawn({"/usr/bin/weston", "--backend=headless-backend.so", "--use-pixman",
                              "--socket=bench", "--width=1024", "--height=768", "--idle-time=0"},
                             {runtime}, -1);
  for (int i = 0; i < 100 && access((dir + "/bench").c_str(), F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

  const std::vector<std::string> ours = {runtime, socket, "MANDELBROT_REPORT_PRESENTED=1"};
  std::vector<std::string> undecorated = ours;
  undecorated.push_back("LIBDECOR_PLUGIN_DIR=" + noPlugins);
  std::vector<double> start[3][2], rss[3];
  double idle = 0;
  for (int i = 0; i < runs; ++i) {
    const Run r[3] = {runClient(MANDELBROT_PROGRAM, ours, 2, i == 0 ? &idle : nullptr),
                      runClient(MANDELBROT_PROGRAM, undecorated, 2, nullptr),
                      runClient(MINIMAL_CLIENT, {runtime, socket}, 1, nullptr)};
    for (int k = 0; k < 3; ++k) {
      for (int f = 0; f < 2; ++f) {
        if (r[k].startMs[f] >= 0) start[k][f].push_back(r[k].startMs[f]);
      }
      rss[k].push_back(r[k].rssMb);
    }
  }
  kill(weston, SIGTERM);
  waitpid(weston, nullptr, 0);
  std::system(("rm -rf " + dir).c_str());

  const char* names[3] = {"mandelbrot, libdecor's plugin", "mandelbrot, no plugin",
                          "minimal undecorated client"};
  for (int k = 0; k < 3; ++k) {
    std::printf("%-30s first frame %6.1f ms", names[k], median(start[k][0]));
    if (k < 2) std::printf(", the picture %6.1f ms", median(start[k][1]));
    std::printf(" (%zu of %d runs), peak memory %5.1f MB\n", start[k][0].size(), runs,
                median(rss[k]));
  }
  std::printf("first frame against the minimal client's: %.2f decorated, %.2f undecorated\n",
              median(start[0][0]) / median(start[2][0]), median(start[1][0]) / median(start[2][0]));
  std::printf("CPU over 5 s idle after the first frame: %.2f %% of a core\n", idle);
  return start[0][1].empty() || start[2][0].empty() ? 1 : 0;
}
