// The file layer on Windows. Paths are UTF-8 inside the program and become UTF-16 only here,
// at the wide-character calls, so that folders such as "Zoë" or "Straße" work. Reasons are
// worded as on Linux for the common failures, so both builds report them alike.
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <utility>

#include "platform/files.hpp"
#include "platform/text_windows.hpp"

namespace peltrix {

namespace {

// The Linux wording of what the C library would say for the same trouble.
std::string reasonOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return "No such file or directory";
    case ERROR_ACCESS_DENIED:
    case ERROR_CURRENT_DIRECTORY:
      return "Permission denied";
    case ERROR_WRITE_PROTECT:
      return "Read-only file system";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "the file is in use by another program";
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
      return "No space left on device";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return "File exists";
    case ERROR_FILENAME_EXCED_RANGE:
      return "File name too long";
    case ERROR_DIRECTORY:
      return "Not a directory";
    case ERROR_INVALID_NAME:
      return "Invalid argument";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return "Cannot allocate memory";
    case ERROR_TOO_MANY_OPEN_FILES:
      return "Too many open files";
    case ERROR_NO_UNICODE_TRANSLATION:
      return "Invalid or incomplete multibyte or wide character";
  }
  return systemMessage(error);
}

bool isSeparator(char c) {
  return c == '/' || c == '\\';
}

// Windows calls a path through a file "not found"; Linux says "Not a directory", which tells
// the user more. The nearest existing ancestor decides.
std::string reasonForMissing(const std::string& path, DWORD error) {
  if (error != ERROR_PATH_NOT_FOUND && error != ERROR_DIRECTORY) return reasonOf(error);
  std::string ancestor = path;
  for (;;) {
    while (!ancestor.empty() && isSeparator(ancestor.back())) ancestor.pop_back();
    const auto cut = std::find_if(ancestor.rbegin(), ancestor.rend(), isSeparator);
    if (cut == ancestor.rend()) break;
    ancestor.erase(cut.base() - 1, ancestor.end());
    if (ancestor.empty() || ancestor.back() == ':') break;  // the root or a drive
    const DWORD attributes = GetFileAttributesW(windowsPath(ancestor).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return reasonOf(ERROR_DIRECTORY);
      break;
    }
  }
  return reasonOf(error);
}

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  HANDLE release() { return std::exchange(h_, INVALID_HANDLE_VALUE); }

 private:
  HANDLE h_;
};

// Opens `path` for its attributes only (folders too, through backup semantics).
HANDLE openForQuery(const std::string& path) {
  return CreateFileW(windowsPath(path).c_str(), 0,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The temporary file sits in the target's own folder, so the final move never crosses a
// volume; it is named like the POSIX one (leading dot, process id, counter).
std::string temporaryPathFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  size_t cut = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (isSeparator(path[i]) || (i == 1 && path[i] == ':')) cut = i + 1;
  }
  return path.substr(0, cut) + "." + path.substr(cut) + ".tmp-" +
         std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter.fetch_add(1));
}

HANDLE asHandle(intptr_t h) {
  return reinterpret_cast<HANDLE>(h);
}

// Opens `path` for reading as a regular file, or throws FileReadError saying why not.
HANDLE openRegularFile(const std::string& path, uint64_t& size) {
  using Kind = FileReadError::Kind;
  const std::wstring wide = windowsPath(path);
  if (wide.empty() && !path.empty())
    throw FileReadError(Kind::Open, reasonOf(ERROR_NO_UNICODE_TRANSLATION));
  // Backup semantics let a folder open, so that it is told apart from a missing file.
  Handle file(CreateFileW(wide.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    throw FileReadError(Kind::Open, reasonForMissing(path, error));
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.get(), &info)) {
    // Devices and pipes have no file information: they are no picture files either.
    if (GetFileType(file.get()) != FILE_TYPE_DISK)
      throw FileReadError(Kind::NotRegular, "not a regular file");
    throw FileReadError(Kind::Read, reasonOf(GetLastError()));
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    throw FileReadError(Kind::Directory, "Is a directory");
  if (GetFileType(file.get()) != FILE_TYPE_DISK)
    throw FileReadError(Kind::NotRegular, "not a regular file");
  size = uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
  return file.release();
}

}  // namespace

FileReader::FileReader(const std::string& path) {
  handle_ = reinterpret_cast<intptr_t>(openRegularFile(path, size_));
}

FileReader::~FileReader() {
  CloseHandle(asHandle(handle_));
}

std::size_t FileReader::read(uint64_t offset, uint8_t* out, std::size_t count) {
  std::size_t filled = 0;
  while (filled < count) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset + filled);
    at.OffsetHigh = static_cast<DWORD>((offset + filled) >> 32);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - filled, 1 << 30));
    DWORD got = 0;
    if (!ReadFile(asHandle(handle_), out + filled, want, &got, &at)) {
      const DWORD error = GetLastError();
      if (error == ERROR_HANDLE_EOF) break;
      throw FileReadError(FileReadError::Kind::Read, reasonOf(error));
    }
    if (got == 0) break;
    filled += got;
  }
  return filled;
}

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
  if (path_.empty()) throw FileWriteError("cannot write a file with an empty name");
  const std::wstring target = windowsPath(path_);
  if (target.empty()) fail(reasonOf(ERROR_NO_UNICODE_TRANSLATION));
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    fail("Is a directory");
  // Read-only says "do not replace me" on Windows; asked here, not left to the final move
  // (which not every file system refuses), so that it shows before any work is done.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    fail(reasonOf(ERROR_ACCESS_DENIED));
  // A replaced file stays hidden or a system file if it was one.
  const DWORD kept = attributes == INVALID_FILE_ATTRIBUTES
                         ? FILE_ATTRIBUTE_NORMAL
                         : attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  for (int attempt = 0; handle_ == -1; ++attempt) {
    tempPath_ = temporaryPathFor(path_);
    const HANDLE h = CreateFileW(windowsPath(tempPath_).c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_NEW, kept ? kept : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS && attempt <= 100) continue;
      tempPath_.clear();
      fail(reasonForMissing(path_, error));
    }
    handle_ = reinterpret_cast<intptr_t>(h);
  }
}

AtomicFile::~AtomicFile() {
  discard();
}

void AtomicFile::discard() noexcept {
  if (handle_ != -1) CloseHandle(asHandle(handle_));
  handle_ = -1;
  if (!tempPath_.empty()) DeleteFileW(windowsPath(tempPath_).c_str());
  tempPath_.clear();
}

void AtomicFile::fail(const std::string& reason) {
  discard();
  throw FileWriteError("cannot write " + path_ + ": " + reason);
}

void AtomicFile::write(std::span<const uint8_t> bytes) {
  if (handle_ == -1) fail("the file is already closed");
  while (!bytes.empty()) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 30));
    DWORD written = 0;
    if (!WriteFile(asHandle(handle_), bytes.data(), want, &written, nullptr))
      fail(reasonOf(GetLastError()));
    if (written == 0) fail(reasonOf(ERROR_DISK_FULL));
    bytes = bytes.subspan(written);
  }
}

void AtomicFile::finish() {
  if (handle_ == -1) fail("the file is already closed");
  // A full disk may only show when the data reaches it; the target stays untouched until then.
  if (!FlushFileBuffers(asHandle(handle_))) fail(reasonOf(GetLastError()));
  const HANDLE h = asHandle(std::exchange(handle_, -1));
  if (!CloseHandle(h)) fail(reasonOf(GetLastError()));
}

void AtomicFile::commit() {
  if (handle_ != -1) finish();
  if (tempPath_.empty()) fail("the file is already closed");
  if (!MoveFileExW(windowsPath(tempPath_).c_str(), windowsPath(path_).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    fail(reasonOf(GetLastError()));
  }
  tempPath_.clear();
}

void AtomicFile::commitNew() {
  if (handle_ != -1) finish();
  if (tempPath_.empty()) fail("the file is already closed");
  // Without MOVEFILE_REPLACE_EXISTING the move itself fails when the target has appeared.
  if (!MoveFileExW(windowsPath(tempPath_).c_str(), windowsPath(path_).c_str(),
                   MOVEFILE_WRITE_THROUGH)) {
    fail(reasonOf(GetLastError()));
  }
  tempPath_.clear();
}

bool pathExists(const std::string& path) {
  // A link's own attributes are read without following it, so a dangling link exists too.
  return !path.empty() && GetFileAttributesW(windowsPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool sameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  Handle ha(openForQuery(a)), hb(openForQuery(b));
  BY_HANDLE_FILE_INFORMATION ia{}, ib{};
  if (ha.get() == INVALID_HANDLE_VALUE || hb.get() == INVALID_HANDLE_VALUE ||
      !GetFileInformationByHandle(ha.get(), &ia) || !GetFileInformationByHandle(hb.get(), &ib))
    return false;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

bool isTerminal(std::FILE* stream) {
  // _isatty alone also says yes for the NUL device; only a console has a console mode.
  const int fd = _fileno(stream);
  DWORD mode = 0;
  return fd >= 0 && _isatty(fd) &&
         GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), &mode) != 0;
}

int terminalColumns(std::FILE* stream) {
  const int fd = _fileno(stream);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (fd < 0 || !GetConsoleScreenBufferInfo(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), &info))
    return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

bool isDirectory(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(windowsPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void createFolders(const std::string& path) {
  if (path.empty() || isDirectory(path)) return;
  std::string parent = path;
  while (!parent.empty() && isSeparator(parent.back())) parent.pop_back();
  while (!parent.empty() && !isSeparator(parent.back())) parent.pop_back();
  while (!parent.empty() && isSeparator(parent.back())) parent.pop_back();
  // Up to the drive ("C:") or the share; those exist or nothing can be made.
  if (!parent.empty() && parent.back() != ':') createFolders(parent);
  if (!CreateDirectoryW(windowsPath(path).c_str(), nullptr)) {
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS && isDirectory(path)) return;
    throw FileWriteError("cannot make the folder " + path + ": " + reasonForMissing(path, error));
  }
}

PathParts splitPath(const std::string& path) {
  size_t cut = 0;  // after the last separator, or after a drive such as "C:"
  for (size_t i = 0; i < path.size(); ++i) {
    if (isSeparator(path[i]) || (i == 1 && path[i] == ':')) cut = i + 1;
  }
  return {path.substr(0, cut), path.substr(cut)};
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || isSeparator(folder.back()) || (folder.size() == 2 && folder[1] == ':'))
    return folder + name;
  return folder + "\\" + name;
}

std::string fileNameKey(const std::string& name) {
  // Windows file names match whatever their letter case.
  std::wstring wide = toUtf16(name);
  CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return toUtf8(wide);
}

}  // namespace peltrix
