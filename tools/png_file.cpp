#include "tools/png_file.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::vector<png_byte> rgbBytes(const HWND__& window) {
  std::vector<png_byte> rgb;
  rgb.reserve(window.pixels.size() * 3);
  for (const Pixel pixel : window.pixels) {
    rgb.push_back(static_cast<png_byte>(pixel >> 16));
    rgb.push_back(static_cast<png_byte>(pixel >> 8));
    rgb.push_back(static_cast<png_byte>(pixel));
  }
  return rgb;
}

// Encodes the image into an open file and makes sure it reached the disk.
std::string encode(const HWND__& window, std::FILE* file) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(window.width);
  image.height = static_cast<png_uint_32>(window.height);
  image.format = PNG_FORMAT_RGB;
  const std::vector<png_byte> rgb = rgbBytes(window);
  if (png_image_write_to_stdio(&image, file, 0, rgb.data(), 0, nullptr) == 0) {
    return image.message;
  }
  if (std::fflush(file) != 0 || fsync(fileno(file)) != 0) return std::strerror(errno);
  return "";
}

// Makes a rename in path's folder durable: until the folder itself reaches
// the disk, a crash can bring back the old entry, or none. A file system that
// can't sync a folder (EINVAL) leaves nothing more to do.
std::string syncFolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return std::strerror(errno);
  const std::string reason = fsync(fd) == 0 || errno == EINVAL ? "" : std::strerror(errno);
  close(fd);
  return reason;
}

mode_t creationMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::string writePng(const HWND__& window, const std::string& path) {
  std::string temporary = path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return std::strerror(errno);
  std::FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    const std::string reason = std::strerror(errno);
    close(fd);
    unlink(temporary.c_str());
    return reason;
  }
  std::string reason = encode(window, file);
  if (reason.empty() && fchmod(fd, creationMode()) != 0) reason = std::strerror(errno);
  if (std::fclose(file) != 0 && reason.empty()) reason = std::strerror(errno);
  if (reason.empty() && std::rename(temporary.c_str(), path.c_str()) != 0) {
    reason = std::strerror(errno);
  }
  if (!reason.empty()) {
    unlink(temporary.c_str());
    return reason;
  }
  return syncFolderOf(path);
}
