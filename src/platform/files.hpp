// The few file-system operations that differ between the platforms, with paths in UTF-8:
// reading a whole file, writing one atomically (beside the target, then renamed over it),
// asking whether a path exists, is a folder or names the same file as another, and splitting
// paths at the platform's separators. files_posix.cpp and files_windows.cpp implement them,
// files_common.cpp what is alike on both; nothing else in the core touches the platform's calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace peltrix {

// Why a file could not be read. what() is the reason alone, without the path.
class FileReadError : public std::runtime_error {
 public:
  enum class Kind { Open, Read, Directory, NotRegular, TooLarge };
  FileReadError(Kind kind, const std::string& reason) : std::runtime_error(reason), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

// The whole content of the regular file at `path`, at most `maxBytes` of it (a longer file
// throws TooLarge). Opening never blocks (a FIFO is refused, not waited on).
std::vector<uint8_t> readWholeFile(const std::string& path, std::size_t maxBytes);

// A regular file read piece by piece, from any offset, for a file too large to hold whole.
// It opens as readWholeFile does, with the same errors; its size is the one it had then.
class FileReader {
 public:
  explicit FileReader(const std::string& path);
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  uint64_t size() const { return size_; }
  // Copies up to `count` bytes from `offset` on into `out` and returns how many: fewer only
  // where the file ends. Throws FileReadError (Read).
  std::size_t read(uint64_t offset, uint8_t* out, std::size_t count);

 private:
  intptr_t handle_ = -1;  // the platform's file descriptor or handle
  uint64_t size_ = 0;
};

// A file that could not be created or written; what() names the path and the reason.
class FileWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file being written: a temporary file in the target's folder until commit() renames it
// over the target. Destroying an uncommitted AtomicFile removes the temporary file, so a
// failed or abandoned write leaves no partial file behind. Replacing an existing file keeps
// its permission bits. All failures throw FileWriteError.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);  // creates the temporary file at once
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  void write(std::span<const uint8_t> bytes);
  // Flushes the content to disk and closes it; a full disk shows here at the latest.
  void finish();
  void commit();  // finishes if need be, then renames: the file is then in place
  // The same, but never over an existing file: if something appeared at the path since it
  // was checked, throws FileWriteError ("... File exists") and leaves that file alone.
  void commitNew();

  const std::string& path() const { return path_; }

 private:
  [[noreturn]] void fail(const std::string& reason);
  void discard() noexcept;

  std::string path_;
  std::string tempPath_;
  intptr_t handle_ = -1;  // the platform's file descriptor or handle; -1 when closed
};

// Whether anything (a file, a folder, a dangling link) exists at `path`.
bool pathExists(const std::string& path);

// Whether `a` and `b` both exist and are the same file, however each is spelt (links,
// relative and absolute paths, hard links).
bool sameFile(const std::string& a, const std::string& b);

// Whether `stream` writes to a terminal (progress is drawn only there).
bool isTerminal(std::FILE* stream);

// How many columns the terminal `stream` writes to has now; 0 when it is none or will not say.
int terminalColumns(std::FILE* stream);

// Whether `path` is a folder (or a link to one).
bool isDirectory(const std::string& path);

// Makes the folder `path` and any missing folders above it; nothing when it exists. Throws
// FileWriteError naming the folder and the reason.
void createFolders(const std::string& path);

// A path split at its last separator: the folder part (with its trailing separator; empty for
// a bare name) and the name; joinPath puts a name into a folder.
struct PathParts {
  std::string folder, name;
};
PathParts splitPath(const std::string& path);
std::string joinPath(const std::string& folder, const std::string& name);

// A file name in the form in which the platform compares names: itself where letter case
// matters, in capitals where it does not (Windows).
std::string fileNameKey(const std::string& name);

}  // namespace peltrix
