// The real program on a private headless weston and a private headless sway,
// beside a minimal client: the time from starting each to the compositor
// presenting its first frame (wp_presentation feedback), which for the
// program holds the picture; peak memory; on weston with and without
// libdecor's decoration plugin, on sway with the compositor's own frame; and
// the program's CPU use once idle. As root, sway runs as the user
// scripts/test creates, as it refuses root.
// Usage: mandelbrot-wayland-bench [RUNS]

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Run {
  double startMs = -1;  // exec to the first frame presented, or to the window shown
  double rssMb = 0;     // peak resident memory
};

// sway's IPC: a message is "i3-ipc", the payload's length and its type, then
// the payload.
bool swaySend(int ipc, std::uint32_t type, const std::string& payload) {
  std::string m = "i3-ipc";
  const std::uint32_t header[2] = {static_cast<std::uint32_t>(payload.size()), type};
  m.append(reinterpret_cast<const char*>(header), sizeof header);
  m += payload;
  return write(ipc, m.data(), m.size()) == static_cast<ssize_t>(m.size());
}
std::string swayReceive(int ipc) {
  char head[14];
  std::uint32_t length = 0;
  pollfd p = {ipc, POLLIN, 0};
  if (poll(&p, 1, 10000) <= 0 || recv(ipc, head, sizeof head, MSG_WAITALL) != sizeof head)
    return "";
  std::memcpy(&length, head + 6, sizeof length);
  std::string payload(length, '\0');
  return recv(ipc, payload.data(), length, MSG_WAITALL) == length ? payload : "";
}
// A connection that hears of windows being shown; -1 when there is none.
int swaySubscribe(const std::string& socketPath) {
  const int ipc = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
  if (connect(ipc, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      !swaySend(ipc, 2, "[\"window\"]") || swayReceive(ipc).find("true") == std::string::npos) {
    close(ipc);
    return -1;
  }
  return ipc;
}

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
    setsid();
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

// Starts a client, waits for its first frame and kills it: for the line
// "presented CLOCK SECONDS" it prints or, with `swayIpc` set, for sway to say
// that its window is shown (mapped, on its first buffer), as sway's headless
// outputs give no presentation times. With `idle` set, first measures its CPU
// use over five idle seconds.
Run runClient(const std::string& path, const std::vector<std::string>& env, int swayIpc,
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
  std::string line;
  char c = 0;
  unsigned clock = 0;
  double seconds = 0;
  if (swayIpc >= 0) {
    for (std::string event; (event = swayReceive(swayIpc)) != "";) {
      if (event.find("\"change\": \"new\"") == std::string::npos) continue;
      timespec now = {};
      clock_gettime(CLOCK_MONOTONIC, &now);
      clock = CLOCK_MONOTONIC;
      seconds = now.tv_sec + now.tv_nsec * 1e-9;
      break;
    }
  } else {
    while (line.find('\n') == std::string::npos && poll(&p, 1, 10000) > 0 &&
           read(fds[0], &c, 1) == 1)
      line += c;
    std::sscanf(line.c_str(), "presented %u %lf", &clock, &seconds);
  }
  if (seconds > 0 && clock < 8) {
    run.startMs = (seconds - started[clock].tv_sec - started[clock].tv_nsec * 1e-9) * 1e3;
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

struct Client {
  const char* name;
  std::string path;
  std::vector<std::string> env;
};

// The socket the compositor made in its runtime folder, once it is there.
std::string waitForSocket(const std::string& dir, const std::string& prefix) {
  for (int i = 0; i < 200; ++i) {
    if (DIR* d = opendir(dir.c_str())) {
      std::string found;
      while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name.rfind(prefix, 0) == 0 && !name.ends_with(".lock")) found = name;
      }
      closedir(d);
      if (!found.empty()) return found;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return "";
}

// Each client `runs` times, interleaved; the medians of the first frame and
// of peak memory, the first frame also as a multiple of the last client's.
void measure(const char* compositor, const std::vector<Client>& clients, int runs, int swayIpc,
             double* idle) {
  std::vector<std::vector<double>> start(clients.size()), rss(clients.size());
  for (int i = 0; i < runs; ++i) {
    for (std::size_t k = 0; k < clients.size(); ++k) {
      const Run r =
          runClient(clients[k].path, clients[k].env, swayIpc, i == 0 && k == 0 ? idle : nullptr);
      if (r.startMs >= 0) start[k].push_back(r.startMs);
      rss[k].push_back(r.rssMb);
    }
  }
  for (std::size_t k = 0; k < clients.size(); ++k) {
    std::printf(
        "%-6s %-32s picture %6.1f ms (%zu of %d runs), %.2f x the minimal client's; peak "
        "memory %5.1f MB\n",
        compositor, clients[k].name, median(start[k]), start[k].size(), runs,
        median(start[k]) / median(start.back()), median(rss[k]));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
  char dirTemplate[] = "/tmp/mandelbrot-wayland-bench-XXXXXX";
  const std::string dir = mkdtemp(dirTemplate);
  const std::string noPlugins = dir + "/no-plugins";
  mkdir(noPlugins.c_str(), 0700);
  // Apart, as sway's user must own it.
  char swayTemplate[] = "/tmp/mandelbrot-wayland-bench-XXXXXX";
  const std::string swayDir = mkdtemp(swayTemplate);
  const std::string runtime = "XDG_RUNTIME_DIR=" + dir;
  const pid_t weston = spawn({"/usr/bin/weston", "--backend=headless-backend.so", "--use-pixman",
                              "--socket=bench", "--width=1024", "--height=768", "--idle-time=0"},
                             {runtime}, -1);
  waitForSocket(dir, "bench");
  const std::vector<std::string> ours = {runtime, "WAYLAND_DISPLAY=bench",
                                         "MANDELBROT_REPORT_PRESENTED=1"};
  std::vector<std::string> undecorated = ours;
  undecorated.push_back("LIBDECOR_PLUGIN_DIR=" + noPlugins);
  double idle = 0;
  measure("weston",
          {{"mandelbrot, libdecor's plugin", MANDELBROT_PROGRAM, ours},
           {"mandelbrot, no plugin", MANDELBROT_PROGRAM, undecorated},
           {"minimal undecorated client", MINIMAL_CLIENT, {runtime, "WAYLAND_DISPLAY=bench"}}},
          runs, -1, &idle);
  kill(-weston, SIGTERM);
  waitpid(weston, nullptr, 0);
  std::printf("CPU over 5 s idle after the picture: %.2f %% of a core\n", idle);

  // Windows float at the size they choose, as on weston.
  const std::string config = swayDir + "/config";
  std::ofstream(config) << "xwayland disable\nfor_window [title=\".*\"] floating enable\n";
  chmod(config.c_str(), 0644);
  std::vector<std::string> sway = {"/usr/bin/env",
                                   "-i",
                                   "XDG_RUNTIME_DIR=" + swayDir,
                                   "WLR_BACKENDS=headless",
                                   "WLR_LIBINPUT_NO_DEVICES=1",
                                   "WLR_RENDERER=pixman",
                                   "/usr/bin/sway",
                                   "-c",
                                   config};
  if (getuid() == 0) {
    const passwd* user = getpwnam("mandelbrot-test");
    if (user == nullptr || chown(swayDir.c_str(), user->pw_uid, user->pw_gid) != 0) {
      std::printf("sway: no user mandelbrot-test to run it as\n");
      std::system(("rm -rf " + dir + " " + swayDir).c_str());
      return 1;
    }
    sway.insert(sway.begin(), {"/usr/sbin/runuser", "-u", "mandelbrot-test", "--"});
  }
  const pid_t swayPid = spawn(sway, {}, -1);
  const std::string swaySocket = "WAYLAND_DISPLAY=" + waitForSocket(swayDir, "wayland-");
  const int swayIpc = swaySubscribe(swayDir + "/" + waitForSocket(swayDir, "sway-ipc."));
  const std::string swayRuntime = "XDG_RUNTIME_DIR=" + swayDir;
  measure("sway",
          {{"mandelbrot, sway's frame",
            MANDELBROT_PROGRAM,
            {swayRuntime, swaySocket, "MANDELBROT_REPORT_PRESENTED=1"}},
           {"minimal undecorated client", MINIMAL_CLIENT, {swayRuntime, swaySocket}}},
          runs, swayIpc, nullptr);
  close(swayIpc);
  kill(-swayPid, SIGTERM);
  waitpid(swayPid, nullptr, 0);
  std::system(("rm -rf " + dir + " " + swayDir).c_str());
  return 0;
}
