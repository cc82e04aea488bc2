// The real program against a real X server.

// GoogleTest and the project's headers first: Xlib's macros (None, Complex,
// ...) would break them.
#include <gtest/gtest.h>

#include "fractal/escape_test.h"
#include "render/gdi/window_surface.h"
#include "shell/windowing/stock_icon.h"
#include "tests/reference_picture.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <unistd.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "bench/x_harness.h"

namespace {

constexpr Pixel kBackground = 0xC8C8C8;  // the class brush's scroll-bar grey

class X11Window : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server = startXServer();
    if (server) display = XOpenDisplay(server->display.c_str());
  }
  static void TearDownTestSuite() {
    if (display != nullptr) XCloseDisplay(display);
    display = nullptr;
    if (server) stopXServer(*server);
    server.reset();
  }
  void SetUp() override {
    if (!server || display == nullptr) GTEST_SKIP() << "Xvfb is not available";
  }
  void TearDown() override {
    if (program.pid > 0) {
      kill(program.pid, SIGKILL);
      waitForExit(program, 2000);
    }
  }

  // Starts the program and waits for its window and the complete picture.
  ::Window startAndShow(const std::vector<std::string>& arguments = {}) {
    program = startProgram(MANDELBROT_PROGRAM, arguments, server->display);
    const ::Window window = findWindowOf(display, program.pid, 5000);
    EXPECT_NE(window, 0u) << "no window appeared";
    if (window != 0) {
      EXPECT_TRUE(
          waitForPixels(display, window, referencePixels(), kGridSize, kGridSize, kGridSize, 5000))
          << "the client area never showed the picture";
    }
    return window;
  }

  // Closes the window as a window manager would and returns the exit status.
  std::optional<int> closeAndWait(::Window window) {
    requestClose(display, window);
    return waitForExit(program, 2000);
  }

  static inline std::optional<XServer> server;
  static inline Display* display = nullptr;
  Child program;
};

TEST_F(X11Window, AppearsWithCaptionClassAndSize) {
  const ::Window window = startAndShow();
  ASSERT_NE(window, 0u);
  EXPECT_EQ(textProperty(display, window, "WM_NAME"), "Mandelbrot's Set");
  EXPECT_EQ(textProperty(display, window, "_NET_WM_NAME"), "Mandelbrot's Set");

  XClassHint hint;
  ASSERT_TRUE(XGetClassHint(display, window, &hint));
  EXPECT_STREQ(hint.res_class, "WindowsApp");
  XFree(hint.res_name);
  XFree(hint.res_class);

  // The stock application icon, the same for every program of the layer.
  Atom type;
  int format;
  unsigned long count, remaining;
  unsigned char* data = nullptr;
  ASSERT_EQ(
      XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 16,
                         False, XA_CARDINAL, &type, &format, &count, &remaining, &data),
      Success);
  ASSERT_NE(data, nullptr);
  const long* icon = reinterpret_cast<const long*>(data);
  ASSERT_GE(count, 2u + 16 * 16 + 2 + 32 * 32);
  EXPECT_EQ(icon[0], 16);
  const long* second = icon + 2 + 16 * 16;
  EXPECT_EQ(second[0], 32);
  EXPECT_EQ(second[1], 32);
  const std::vector<std::uint32_t> stock = stockApplicationIcon(32);
  EXPECT_TRUE(std::equal(stock.begin(), stock.end(), second + 2, [](std::uint32_t a, long b) {
    return a == static_cast<std::uint32_t>(b);
  }));
  XFree(data);

  // Without a window manager there is no frame: the client area is the
  // whole outer size.
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(display, window, &attributes));
  EXPECT_EQ(attributes.width, kGridSize);
  EXPECT_EQ(attributes.height, kGridSize);
  EXPECT_EQ(closeAndWait(window), std::optional<int>(0));
}

TEST_F(X11Window, EnlargingKeepsThePictureAndShowsTheBackgroundBeyond) {
  const ::Window window = startAndShow();
  ASSERT_NE(window, 0u);
  constexpr int kWidth = 700, kHeight = 620;
  XResizeWindow(display, window, kWidth, kHeight);
  XSync(display, False);

  std::vector<Pixel> expected(kWidth * kHeight, kBackground);
  const std::vector<Pixel>& picture = referencePixels();
  for (int y = 0; y < kGridSize; ++y) {
    for (int x = 0; x < kGridSize; ++x)
      expected[y * kWidth + x] = picture[y * kGridSize + x];
  }
  EXPECT_TRUE(waitForPixels(display, window, expected, kWidth, kWidth, kHeight, 5000));
  EXPECT_EQ(closeAndWait(window), std::optional<int>(0));
}

TEST_F(X11Window, CloseEndsTheProgramWithZero) {
  const ::Window window = startAndShow();
  ASSERT_NE(window, 0u);
  const double start = nowMs();
  const std::optional<int> status = closeAndWait(window);
  ASSERT_TRUE(status.has_value()) << "still running 2 s after the close request";
  EXPECT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 0);
  EXPECT_LT(nowMs() - start, 2000);
  EXPECT_EQ(readStderr(program), "");
}

TEST_F(X11Window, ArgumentsChangeNothing) {
  std::vector<std::string> arguments = {"", " ", "\t", "--help", "-x", "\"quoted\"", "a b"};
  std::string bytes;
  for (int c = 1; c < 256; ++c)
    bytes += static_cast<char>(c);
  arguments.push_back(bytes);
  for (int i = 0; i < 500; ++i)
    arguments.push_back("arg" + std::to_string(i));
  const ::Window window = startAndShow(arguments);
  ASSERT_NE(window, 0u);
  EXPECT_EQ(closeAndWait(window), std::optional<int>(0));
}

TEST_F(X11Window, IdleAfterThePictureUsesNoCpu) {
  const ::Window window = startAndShow();
  ASSERT_NE(window, 0u);
  const double before = cpuSeconds(program.pid);
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  // A program that kept repainting would use most of a core.
  EXPECT_LT(cpuSeconds(program.pid) - before, 0.05);
  EXPECT_EQ(closeAndWait(window), std::optional<int>(0));
}

TEST_F(X11Window, AKilledServerEndsTheProgram) {
  std::optional<XServer> own = startXServer();
  ASSERT_TRUE(own.has_value());
  Display* ownDisplay = XOpenDisplay(own->display.c_str());
  ASSERT_NE(ownDisplay, nullptr);
  program = startProgram(MANDELBROT_PROGRAM, {}, own->display);
  const ::Window window = findWindowOf(ownDisplay, program.pid, 5000);
  ASSERT_NE(window, 0u);
  XCloseDisplay(ownDisplay);

  kill(own->pid, SIGKILL);
  waitpid(own->pid, nullptr, 0);
  const std::optional<int> status = waitForExit(program, 2000);
  ASSERT_TRUE(status.has_value()) << "still running after its X server died";
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 1);
  const std::string err = readStderr(program);
  EXPECT_NE(err.find("lost the connection to X display '" + own->display + "'"), std::string::npos)
      << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

// With a window manager that draws a frame, the frame takes its share of the
// outer size, as on Windows, and clips the right and bottom of the picture.
TEST_F(X11Window, AFrameComesOutOfTheOuterSize) {
  const char* const kWindowManager = "/usr/bin/openbox";
  if (access(kWindowManager, X_OK) != 0) GTEST_SKIP() << "openbox is not installed";
  std::optional<XServer> own = startXServer();
  ASSERT_TRUE(own.has_value());
  Display* ownDisplay = XOpenDisplay(own->display.c_str());
  ASSERT_NE(ownDisplay, nullptr);
  // Openbox runs its start-up command once it manages windows.
  const std::string ready = "/tmp/mandelbrot-wm-ready-" + std::to_string(getpid());
  Child manager = startProgram(kWindowManager, {"--startup", "touch " + ready}, own->display);
  const double started = nowMs();
  while (access(ready.c_str(), F_OK) != 0 && nowMs() < started + 5000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const bool managing = unlink(ready.c_str()) == 0;

  if (managing) {
    program = startProgram(MANDELBROT_PROGRAM, {}, own->display);
    const ::Window window = findWindowOf(ownDisplay, program.pid, 5000);
    EXPECT_NE(window, 0u) << readStderr(program);
    ::Window root, frame = 0, *children = nullptr;
    unsigned childCount = 0;
    if (window != 0 && XQueryTree(ownDisplay, window, &root, &frame, &children, &childCount)) {
      if (children != nullptr) XFree(children);
      XWindowAttributes outer, client;
      const double deadline = nowMs() + 5000;
      do {
        XGetWindowAttributes(ownDisplay, frame, &outer);
        XGetWindowAttributes(ownDisplay, window, &client);
      } while ((client.width == kGridSize || outer.width != kGridSize) && nowMs() < deadline);
      EXPECT_EQ(outer.width, kGridSize);
      EXPECT_EQ(outer.height, kGridSize);
      EXPECT_LT(client.width, kGridSize);
      EXPECT_LT(client.height, kGridSize);
      EXPECT_TRUE(waitForPixels(ownDisplay, window, referencePixels(), kGridSize, client.width,
                                client.height, 5000));
      requestClose(ownDisplay, window);
      EXPECT_EQ(waitForExit(program, 2000), std::optional<int>(0));
    }
  }
  XCloseDisplay(ownDisplay);
  kill(manager.pid, SIGKILL);
  waitForExit(manager, 2000);
  stopXServer(*own);
  EXPECT_TRUE(managing) << "the window manager did not start";
}

TEST(NoDisplay, ExitsWithOneAndSaysWhy) {
  for (const std::string display : {"", ":4093"}) {
    Child program = startProgram(MANDELBROT_PROGRAM, {}, display);
    const std::optional<int> status = waitForExit(program, 1000);
    ASSERT_TRUE(status.has_value()) << "DISPLAY '" << display << "': still running after 1 s";
    ASSERT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 1);
    const std::string err = readStderr(program);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find(display.empty() ? "DISPLAY is not set" : "'" + display + "'"),
              std::string::npos)
        << err;
  }
}

}  // namespace
