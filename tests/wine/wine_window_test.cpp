// The Windows build of the program, cross-compiled from the same sources, run
// under Wine on a private Xvfb.

// GoogleTest and the project's headers first: Xlib's macros (None, Complex,
// ...) would break them.
#include <gtest/gtest.h>

#include "fractal/escape_test.h"
#include "tests/reference_picture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bench/wine_harness.h"
#include "bench/x_harness.h"

namespace {

const std::string kExe = MANDELBROT_EXE;  // empty without mingw-w64 or Wine

// A cold Wine session starts its own services first.
constexpr int kWindowTimeoutMs = 30000;
constexpr int kPictureTimeoutMs = 10000;
constexpr int kExitTimeoutMs = 10000;

TEST(WindowsExe, IsAGuiProgramNeedingOnlySystemDlls) {
  if (kExe.empty()) GTEST_SKIP() << "needs mingw-w64 and Wine";
  FILE* dump = popen((std::string(MINGW_OBJDUMP) + " -p '" + kExe + "'").c_str(), "r");
  ASSERT_NE(dump, nullptr);
  std::set<std::string> dlls;
  bool gui = false;
  char line[512];
  while (std::fgets(line, sizeof line, dump) != nullptr) {
    std::string text = line;
    if (text.find("Subsystem") != std::string::npos &&
        text.find("(Windows GUI)") != std::string::npos)
      gui = true;
    const std::size_t at = text.find("DLL Name: ");
    if (at == std::string::npos) continue;
    std::string name = text.substr(at + 10);
    name.erase(name.find_last_not_of(" \r\n") + 1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    dlls.insert(name);
  }
  ASSERT_EQ(pclose(dump), 0);
  EXPECT_TRUE(gui) << "not linked for the GUI subsystem";
  // A runtime DLL left dynamic (libstdc++, libgcc, winpthread) would have to
  // ship beside the program.
  const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"};
  for (const std::string& dll : dlls)
    EXPECT_TRUE(system.count(dll)) << dll;
  EXPECT_TRUE(dlls.count("gdi32.dll"));
}

class WineWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (kExe.empty() || std::getenv("WINEPREFIX") == nullptr) return;
    server = startXServer();
    if (server) display = XOpenDisplay(server->display.c_str());
  }
  static void TearDownTestSuite() {
    // Wine first, while its X server is still there to say goodbye to.
    if (server) stopWine();
    if (display != nullptr) XCloseDisplay(display);
    display = nullptr;
    if (server) stopXServer(*server);
    server.reset();
  }
  void SetUp() override {
    if (kExe.empty()) GTEST_SKIP() << "needs mingw-w64 and Wine";
    const char* prefix = std::getenv("WINEPREFIX");
    struct stat info;
    if (prefix == nullptr || stat((std::string(prefix) + "/system.reg").c_str(), &info) != 0)
      GTEST_SKIP() << "no Wine prefix in WINEPREFIX; CTest's wine_prefix fixture makes one";
    if (!server || display == nullptr) GTEST_SKIP() << "Xvfb is not available";
  }
  void TearDown() override {
    if (program.pid > 0) {
      kill(program.pid, SIGKILL);
      waitForExit(program, 2000);
    }
  }

  // Starts the program and waits for its window.
  ::Window start() {
    program = startUnderWine(kExe, server->display);
    return findWindowOf(display, program.pid, kWindowTimeoutMs);
  }

  // Starts the program and waits until its window shows the picture.
  ::Window startAndShow() {
    const ::Window window = start();
    EXPECT_NE(window, 0u) << "no window appeared";
    if (window == 0) return 0;
    const ClientSize client = visibleClientArea(display, window);
    EXPECT_GT(client.width, 0) << "can't tell where the client area is";
    if (client.width == 0) return 0;
    EXPECT_TRUE(waitForPixels(display, window, referencePixels(), kGridSize, client.width,
                              client.height, kPictureTimeoutMs))
        << "the client area never showed the picture";
    return window;
  }

  static inline std::optional<XServer> server;
  static inline Display* display = nullptr;
  Child program;
};

TEST_F(WineWindow, AppearsWithItsCaption) {
  const ::Window window = start();
  ASSERT_NE(window, 0u) << "no window appeared";
  EXPECT_EQ(textProperty(display, window, "WM_NAME"), "Mandelbrot's Set");
  EXPECT_EQ(textProperty(display, window, "_NET_WM_NAME"), "Mandelbrot's Set");
}

TEST_F(WineWindow, ClientAreaShowsThePicture) {
  const ::Window window = start();
  ASSERT_NE(window, 0u) << "no window appeared";
  const ClientSize client = visibleClientArea(display, window);
  // The 554 x 554 outer size less a frame of a few pixels and a caption.
  ASSERT_GT(client.width, kGridSize - 40) << "can't tell where the client area is";
  ASSERT_GT(client.height, kGridSize - 80);
  ASSERT_LT(client.width, kGridSize);
  ASSERT_LT(client.height, kGridSize);
  const std::vector<std::uint32_t> expected = referencePixels();
  if (!waitForPixels(display, window, expected, kGridSize, client.width, client.height,
                     kPictureTimeoutMs)) {
    const std::vector<std::uint32_t> got =
        readClientArea(display, window, client.width, client.height);
    int wrong = 0;
    for (int y = 0; y < client.height && !got.empty(); ++y) {
      for (int x = 0; x < client.width; ++x) {
        wrong += got[y * client.width + x] != expected[y * kGridSize + x];
      }
    }
    ADD_FAILURE() << wrong << " of " << client.width << " x " << client.height
                  << " pixels differ from the picture";
  }
}

TEST_F(WineWindow, IdleOnceDrawn) {
  const ::Window window = startAndShow();
  ASSERT_NE(window, 0u);
  const double before = cpuSeconds(program.pid);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  // A program that kept repainting would use most of a core.
  EXPECT_LT(cpuSeconds(program.pid) - before, 0.075);
}

TEST_F(WineWindow, CloseRequestEndsItWithZero) {
  const ::Window window = startAndShow();
  ASSERT_NE(window, 0u);
  requestClose(display, window);
  const std::optional<int> status = waitForExit(program, kExitTimeoutMs);
  ASSERT_TRUE(status.has_value()) << "still running after the close request";
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 0);
}

}  // namespace
