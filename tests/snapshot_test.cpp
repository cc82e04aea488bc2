#include <png.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fractal/escape_test.h"
#include "tests/reference_picture.h"

namespace fs = std::filesystem;

namespace {

struct ToolRun {
  int status;
  std::string err;
};

// The path in single quotes, for the shell.
std::string quoted(const fs::path& path) {
  std::string text = "'";
  text += path.string();
  text += '\'';
  return text;
}

class Snapshot : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("snapshot-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    fs::remove_all(dir);
    fs::remove(errFile());
  }
  fs::path errFile() const { return dir.string() + ".stderr"; }

  // Runs the snapshot tool with the given arguments, already quoted.
  ToolRun snapshot(const std::string& arguments) const {
    const std::string command =
        std::string(SNAPSHOT_TOOL) + " " + arguments + " 2>" + quoted(errFile()) + " >/dev/null";
    const int raw = std::system(command.c_str());
    std::ifstream in(errFile());
    std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, err};
  }

  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
      names.push_back(entry.path().filename());
    return names;
  }
  fs::path dir;
};

TEST_F(Snapshot, WritesTheExactPicture) {
  const fs::path file = dir / "picture.png";
  ASSERT_EQ(snapshot(quoted(file)).status, 0);

  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  ASSERT_NE(png_image_begin_read_from_file(&image, file.c_str()), 0) << image.message;
  ASSERT_EQ(image.width, static_cast<png_uint_32>(kGridSize));
  ASSERT_EQ(image.height, static_cast<png_uint_32>(kGridSize));
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_NE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), 0) << image.message;

  const std::vector<COLORREF>& reference = referencePicture();
  for (std::size_t i = 0; i < reference.size(); ++i) {
    ASSERT_EQ(RGB(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]), reference[i]) << "pixel " << i;
  }
  EXPECT_EQ(entries(), std::vector<std::string>{"picture.png"});
}

TEST_F(Snapshot, WrongUsageExitsTwo) {
  for (const char* arguments : {"", "a.png b.png", "''", "--bogus"}) {
    const ToolRun run = snapshot(arguments);
    EXPECT_EQ(run.status, 2) << arguments;
    EXPECT_NE(run.err.find("usage: mandelbrot-snapshot FILE.png"), std::string::npos) << arguments;
  }
  EXPECT_EQ(snapshot("--help").status, 0);
}

TEST_F(Snapshot, UnwritablePathNamesThePathAndLeavesNothing) {
  const fs::path missing = dir / "no-such-folder" / "p.png";
  ToolRun run = snapshot(quoted(missing));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(missing.string()), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("No such file or directory"), std::string::npos) << run.err;

  // The rename onto a folder fails after the image was written: the folder
  // survives and no temporary file is left beside it.
  const fs::path folder = dir / "taken.png";
  fs::create_directory(folder);
  std::ofstream(folder / "keep") << "x";
  run = snapshot(quoted(folder));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(folder.string()), std::string::npos) << run.err;
  EXPECT_TRUE(fs::exists(folder / "keep"));
  EXPECT_EQ(entries(), std::vector<std::string>{"taken.png"});
}

TEST_F(Snapshot, ReplacesAnExistingFileWhole) {
  const fs::path file = dir / "old.png";
  std::ofstream(file) << "not a picture";
  ASSERT_EQ(snapshot(quoted(file)).status, 0);
  EXPECT_GT(fs::file_size(file), 1000u);
  EXPECT_EQ(entries(), std::vector<std::string>{"old.png"});
}

}  // namespace
