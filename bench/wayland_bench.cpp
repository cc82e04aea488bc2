// The real program beside a minimal client on a private headless weston, with
// and without libdecor's plugin, and sway (as the user scripts/test creates,
// since sway refuses root), watched through their protocol logs.
//   mandelbrot-wayland-bench [RUNS]

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>

#include <ctime>
#include <fstream>
#include <sstream>

#include "bench/harness.h"

namespace {

// The stamp of the first commit of the client's first surface after a buffer
// was attached to it, as WAYLAND_DEBUG writes it: "[ms.us]" of the realtime
// clock's microseconds cut to 32 bits; false while the log shows none.
bool pictureCommitted(const std::string& log, std::uint32_t& stamp) {
  const std::string created = "create_surface(new id ";
  std::size_t at = log.find(created);
  if (at == std::string::npos) return false;
  at += created.size();
  const std::string surface = log.substr(at, log.find(')', at) - at) + ".";
  at = log.find(surface + "attach(wl_buffer@", at);
  if (at != std::string::npos) at = log.find(surface + "commit()", at);
  unsigned ms = 0, us = 0;
  if (at == std::string::npos || std::sscanf(&log[log.rfind('[', at)], "[%u.%u]", &ms, &us) != 2)
    return false;
  stamp = ms * 1000 + us;
  return true;
}

struct Client {
  const char* name;
  std::string path;
  std::vector<std::string> env;
  Series series = {};
};

// Each client `runs` times, interleaved, each run until its picture is in its
// log (at most 10 s); the last client is the yardstick.
void measure(std::vector<Client> clients, int runs, const std::string& log) {
  for (int i = 0; i < runs; ++i) {
    for (Client& client : clients) {
      const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
      timespec now = {};
      clock_gettime(CLOCK_REALTIME, &now);
      const auto started = static_cast<std::uint32_t>(now.tv_sec * 1000000 + now.tv_nsec / 1000);
      const pid_t pid = spawn({client.path}, client.env, fd);
      close(fd);
      std::uint32_t stamp = 0;
      bool shown = false;
      for (const double deadline = nowMs() + 10000; nowMs() < deadline && !shown; sleepMs(2)) {
        std::stringstream text;
        text << std::ifstream(log).rdbuf();
        shown = pictureCommitted(text.str(), stamp);
      }
      if (shown) record(client.series, pid, (stamp - started) / 1000.0);
      kill(pid, SIGTERM);
      if (const double peakMb = reap(pid, 5000); shown) client.series.peakMb.push_back(peakMb);
    }
  }
  for (const Client& client : clients)
    print(client.name, client.series, clients.back().series);
}

// Waits for a compositor's socket; a fresh runtime folder makes its name known.
std::string socketAt(const std::string& path) {
  for (const double deadline = nowMs() + 10000;
       nowMs() < deadline && !std::filesystem::exists(path);)
    sleepMs(20);
  return "WAYLAND_DISPLAY=" + path;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
  setenv("WAYLAND_DEBUG", "client", 1);  // for the clients, not the compositors
  char westonDir[] = "/tmp/mandelbrot-wayland-bench-XXXXXX",
       swayDir[] = "/tmp/mandelbrot-sway-XXXXXX";
  const std::string dir = mkdtemp(westonDir), runtime = "XDG_RUNTIME_DIR=" + dir;
  mkdir((dir + "/no-plugins").c_str(), 0700);
  const pid_t weston = spawn({"weston", "--backend=headless-backend.so", "--use-pixman",
                              "--socket=bench", "--width=1024", "--height=768", "--idle-time=0"},
                             {runtime});
  const std::string bench = socketAt(dir + "/bench");
  measure({{"weston, libdecor's plugin", MANDELBROT_PROGRAM, {runtime, bench}},
           {"weston, no plugin",
            MANDELBROT_PROGRAM,
            {runtime, bench, "LIBDECOR_PLUGIN_DIR=" + dir + "/no-plugins"}},
           {"weston, minimal client", WAYLAND_MINIMAL_CLIENT, {runtime, bench}}},
          runs, dir + "/log");
  kill(-weston, SIGTERM);
  reap(weston, 5000);

  // Apart, as sway's user must own it; windows float at the size they choose.
  const std::string sway = mkdtemp(swayDir), swayRuntime = "XDG_RUNTIME_DIR=" + sway;
  std::ofstream(sway + "/config") << "xwayland disable\nfor_window [title=.*] floating enable\n";
  std::vector<std::string> command = {"env", "-i", swayRuntime, "WLR_BACKENDS=headless"};
  command.insert(command.end(), {"WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1"});
  command.insert(command.end(), {"sway", "-c", sway + "/config"});
  const passwd* user = getpwnam("mandelbrot-test");
  if (getuid() == 0 && user != nullptr && chown(sway.c_str(), user->pw_uid, user->pw_gid) == 0 &&
      chmod((sway + "/config").c_str(), 0644) == 0)
    command.insert(command.begin(), {"runuser", "-u", "mandelbrot-test", "--"});
  const pid_t swayPid = spawn(command);
  const std::string swaySocket = socketAt(sway + "/wayland-1");
  measure({{"sway, its own frame", MANDELBROT_PROGRAM, {swayRuntime, swaySocket}},
           {"sway, minimal client", WAYLAND_MINIMAL_CLIENT, {swayRuntime, swaySocket}}},
          runs, dir + "/log");
  kill(-swayPid, SIGTERM);
  reap(swayPid, 5000);
  std::filesystem::remove_all(dir);
  std::filesystem::remove_all(sway);
}
