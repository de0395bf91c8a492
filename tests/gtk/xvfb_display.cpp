#include "xvfb_display.hpp"

#include <fcntl.h>
#include <gtk/gtk.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace peltrix::testing {
namespace {

// One Xvfb for the whole test process, ended when the process ends.
class XvfbServer {
 public:
  XvfbServer() { reason_ = start(); }
  ~XvfbServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& reason() const { return reason_; }

 private:
  std::string start() {
    if (access("/usr/bin/Xvfb", X_OK) != 0) return "Xvfb is not installed (apt-get install xvfb)";
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return "cannot create a pipe for Xvfb";
    pid_ = fork();
    if (pid_ < 0) return "cannot fork Xvfb";
    if (pid_ == 0) {
      // The server dies with the test process, even when a test crashes.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      close(pipeFds[0]);
      const std::string fd = std::to_string(pipeFds[1]);
      int devNull = open("/dev/null", O_WRONLY);
      dup2(devNull, STDOUT_FILENO);
      dup2(devNull, STDERR_FILENO);
      // -displayfd: Xvfb picks a free display number and writes it to the pipe when ready.
      execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
            "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(pipeFds[1]);
    std::string display;
    pollfd wait{pipeFds[0], POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, 20000) == 1 && read(pipeFds[0], &c, 1) == 1 && c != '\n') display += c;
    close(pipeFds[0]);
    if (display.empty()) return "Xvfb did not start";
    setenv("DISPLAY", (":" + display).c_str(), 1);
    // The file choosers note recently used files; keep that in the build folder, not in
    // the user's home.
    std::error_code ignored;  // without the folder GTK only warns
    std::filesystem::create_directories(PELTRIX_GUI_TEST_DATA_HOME, ignored);
    setenv("XDG_DATA_HOME", PELTRIX_GUI_TEST_DATA_HOME, 1);
    // The windows these tests start keep their choices there too, never in the user's own.
    std::filesystem::create_directories(PELTRIX_GUI_TEST_CONFIG_HOME, ignored);
    setenv("XDG_CONFIG_HOME", PELTRIX_GUI_TEST_CONFIG_HOME, 1);
    if (!gtk_init_check(nullptr, nullptr)) return "GTK cannot open the Xvfb display";
    return "";
  }

  pid_t pid_ = -1;
  std::string reason_;
};

}  // namespace

const std::string& gtkUnavailableReason() {
  static XvfbServer server;
  return server.reason();
}

void pumpPending() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

}  // namespace peltrix::testing
