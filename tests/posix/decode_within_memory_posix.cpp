// The decoder runs in a child process, whose peak address space starts afresh at fork.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "colour/picture.hpp"
#include "decode_within_memory.hpp"

namespace peltrix::fixtures {

namespace {

// The process's current and peak address-space size (VmSize, VmPeak) in bytes.
std::pair<std::size_t, std::size_t> addressSpace() {
  std::size_t size = 0, peak = 0;
  if (FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
      if (std::strncmp(line, "VmSize:", 7) == 0) size = std::strtoull(line + 7, nullptr, 10) << 10;
      if (std::strncmp(line, "VmPeak:", 7) == 0) peak = std::strtoull(line + 7, nullptr, 10) << 10;
    }
    std::fclose(status);
  }
  return {size, peak};
}

}  // namespace

std::string decodeWithinMemory(const std::function<void()>& decode, std::size_t budget) {
  int channel[2];
  if (::pipe(channel) != 0) return "pipe failed";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    const std::size_t start = addressSpace().first;
    const rlim_t limit = start + (std::size_t{4} << 30);
    const rlimit r{limit, limit};
    ::setrlimit(RLIMIT_AS, &r);
    std::string result = decodeOutcome(decode);
    const std::size_t growth = addressSpace().second - start;
    if (growth > budget) result = "used " + std::to_string(growth >> 20) + " MiB";
    if (::write(channel[1], result.data(), result.size()) < 0) _exit(2);
    _exit(0);
  }
  ::close(channel[1]);
  std::string result;
  char buffer[512];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) result.append(buffer, n);
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return result.empty() ? "crashed / out of memory" : result;
}

}  // namespace peltrix::fixtures
