// The real program beside a minimal client on private headless weston (with and
// without libdecor's plugin) and sway, watched through their protocol logs.
//   mandelbrot-wayland-bench [RUNS]

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <iterator>

#include "bench/harness.h"

// The stamp ([ms.us], realtime in 32 bits) of the first commit of a buffer on the first surface.
static bool pictureCommitted(const std::string& path, std::uint32_t& stamp) {
  const std::string log(std::istreambuf_iterator<char>(std::ifstream(path).rdbuf()), {}),
      created = "create_surface(new id ";
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
  const char* path;
  Strings env = {};
  Series series = {};
};

// Each client `runs` times, interleaved, once `command` has its socket; the last is the yardstick.
static void measure(const Strings& command, const std::string& runtime, const std::string& socket,
                    std::vector<Client> clients, int runs) {
  using namespace std::chrono;
  const pid_t compositor = spawn(command, {"XDG_RUNTIME_DIR=" + runtime});
  waitFor(10000, [&] { return std::filesystem::exists(runtime + "/" + socket); });
  const std::string log = runtime + "/log";
  for (int i = 0; i < runs; ++i)
    for (Client& client : clients) {
      const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
      const auto started = static_cast<std::uint32_t>(
          duration_cast<microseconds>(system_clock::now().time_since_epoch()).count());
      Strings env = {"XDG_RUNTIME_DIR=" + runtime, "WAYLAND_DISPLAY=" + socket,
                     "WAYLAND_DEBUG=client"};
      env.insert(env.end(), client.env.begin(), client.env.end());
      const pid_t pid = spawn({client.path}, env, fd);
      close(fd);
      std::uint32_t stamp = 0;
      const bool shown = waitFor(10000, [&] { return pictureCommitted(log, stamp); });
      record(client.series, pid, shown ? (stamp - started) / 1000.0 : -1,
             [pid] { return reap(pid, 0); });
    }
  for (const Client& client : clients)
    print(client.name, client.series, clients.back().series);
  reap(compositor, 0);
}

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
  char westonDir[] = "/tmp/mandelbrot-weston-XXXXXX", swayDir[] = "/tmp/mandelbrot-sway-XXXXXX";
  const std::string weston = mkdtemp(westonDir), sway = mkdtemp(swayDir);
  mkdir((weston + "/no-plugins").c_str(), 0700);
  const std::string noPlugins = "LIBDECOR_PLUGIN_DIR=" + weston + "/no-plugins";
  measure({"weston", "--backend=headless-backend.so", "--use-pixman", "--socket=bench",
           "--width=1024", "--height=768", "--idle-time=0"},
          weston, "bench",
          {{"weston, libdecor's plugin", MANDELBROT_PROGRAM},
           {"weston, no plugin", MANDELBROT_PROGRAM, {noPlugins}},
           {"weston, minimal client", WAYLAND_MINIMAL_CLIENT}},
          runs);
  // Sway refuses root: headless, as the user scripts/test makes, in its own folder; windows float.
  const std::string config = sway + "/config";
  setenv("WLR_BACKENDS", "headless", 1);
  setenv("WLR_RENDERER", "pixman", 1);
  setenv("WLR_LIBINPUT_NO_DEVICES", "1", 1);
  std::ofstream(config) << "xwayland disable\nfor_window [title=.*] floating enable\n";
  Strings command = {"sway", "-c", config};
  const passwd* user = getpwnam("mandelbrot-test");
  if (getuid() == 0 && user != nullptr && chown(sway.c_str(), user->pw_uid, user->pw_gid) == 0 &&
      chmod(config.c_str(), 0644) == 0)
    command.insert(command.begin(), {"runuser", "-u", "mandelbrot-test", "--"});
  measure(command, sway, "wayland-1",
          {{"sway, its own frame", MANDELBROT_PROGRAM},
           {"sway, minimal client", WAYLAND_MINIMAL_CLIENT}},
          runs);
  std::filesystem::remove_all(weston);
  std::filesystem::remove_all(sway);
}
