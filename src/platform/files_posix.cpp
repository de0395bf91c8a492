// The file layer on POSIX systems (Linux, and the web build's in-memory file system).
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/files.hpp"

namespace peltrix {

namespace {

std::string reasonOf(int error) {
  return std::strerror(error);
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// The temporary file sits in the target's own folder, so the final rename never crosses a
// file system; the leading dot keeps it out of ordinary listings while it exists.
std::string temporaryPathFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + name + ".tmp-" + std::to_string(getpid()) + "-" +
         std::to_string(counter.fetch_add(1));
}

// Opens `path` for reading as a regular file, or throws FileReadError saying why not.
int openRegularFile(const std::string& path, uint64_t& size) {
  using Kind = FileReadError::Kind;
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) throw FileReadError(Kind::Open, reasonOf(errno));
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) throw FileReadError(Kind::Read, reasonOf(errno));
  if (S_ISDIR(info.st_mode)) throw FileReadError(Kind::Directory, reasonOf(EISDIR));
  if (!S_ISREG(info.st_mode)) throw FileReadError(Kind::NotRegular, "not a regular file");
  size = static_cast<uint64_t>(info.st_size);
  return file.release();
}

}  // namespace

FileReader::FileReader(const std::string& path) {
  handle_ = openRegularFile(path, size_);
}

FileReader::~FileReader() {
  ::close(static_cast<int>(handle_));
}

std::size_t FileReader::read(uint64_t offset, uint8_t* out, std::size_t count) {
  std::size_t filled = 0;
  while (filled < count) {
    const ssize_t got = ::pread(static_cast<int>(handle_), out + filled, count - filled,
                                static_cast<off_t>(offset + filled));
    if (got < 0) {
      if (errno == EINTR) continue;
      throw FileReadError(FileReadError::Kind::Read, reasonOf(errno));
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  return filled;
}

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
  if (path_.empty()) throw FileWriteError("cannot write a file with an empty name");
  struct stat target {};
  const bool replacing = ::stat(path_.c_str(), &target) == 0;
  if (replacing && S_ISDIR(target.st_mode)) fail(reasonOf(EISDIR));
  for (int attempt = 0; handle_ < 0; ++attempt) {
    tempPath_ = temporaryPathFor(path_);
    handle_ = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (handle_ < 0 && (errno != EEXIST || attempt > 100)) {
      const int error = errno;
      tempPath_.clear();
      fail(reasonOf(error));
    }
  }
  if (replacing) ::fchmod(static_cast<int>(handle_), target.st_mode & 07777);  // best effort
}

AtomicFile::~AtomicFile() {
  discard();
}

void AtomicFile::discard() noexcept {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
}

void AtomicFile::fail(const std::string& reason) {
  discard();
  throw FileWriteError("cannot write " + path_ + ": " + reason);
}

void AtomicFile::write(std::span<const uint8_t> bytes) {
  if (handle_ < 0) fail("the file is already closed");
  while (!bytes.empty()) {
    const ssize_t n = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail(reasonOf(n < 0 ? errno : EIO));
    bytes = bytes.subspan(static_cast<size_t>(n));
  }
}

void AtomicFile::finish() {
  if (handle_ < 0) fail("the file is already closed");
  // A full disk may only show at fsync or close; the target stays untouched until both pass.
  if (::fsync(static_cast<int>(handle_)) != 0 && errno != EINVAL) fail(reasonOf(errno));
  const int fd = static_cast<int>(std::exchange(handle_, -1));
  if (::close(fd) != 0) fail(reasonOf(errno));
}

void AtomicFile::commit() {
  if (handle_ >= 0) finish();
  if (tempPath_.empty()) fail("the file is already closed");
  if (::rename(tempPath_.c_str(), path_.c_str()) != 0) fail(reasonOf(errno));
  tempPath_.clear();
}

void AtomicFile::commitNew() {
  if (handle_ >= 0) finish();
  if (tempPath_.empty()) fail("the file is already closed");
  // A hard link fails with EEXIST where rename would replace; where the file system has no
  // hard links, the best left is to look just before renaming.
  if (::link(tempPath_.c_str(), path_.c_str()) == 0) {
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
    return;
  }
  if (errno == EEXIST) fail(reasonOf(EEXIST));
  if (pathExists(path_)) fail(reasonOf(EEXIST));
  commit();
}

bool pathExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::lstat(path.c_str(), &info) == 0;
}

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (a.empty() || b.empty() || ::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0)
    return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool isTerminal(std::FILE* stream) {
  return ::isatty(::fileno(stream)) == 1;
}

int terminalColumns(std::FILE* stream) {
  struct winsize size {};
  if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

bool isDirectory(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void createFolders(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  std::error_code error;
  if (!folder.empty()) std::filesystem::create_directories(folder, error);
  if (error)
    throw FileWriteError("cannot make the folder " + path + ": " + reasonOf(error.value()));
}

PathParts splitPath(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {"", path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string fileNameKey(const std::string& name) {
  return name;
}

}  // namespace peltrix
