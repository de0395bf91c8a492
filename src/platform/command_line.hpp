// The program's command line as the rest of the program sees it: its arguments in UTF-8, on
// every platform. On Windows the arguments are read in UTF-16 from the system (argv there is
// in the ANSI code page, which cannot spell most file names), and for as long as the
// CommandLine lives the console shows the program's UTF-8 output as such.
#pragma once

#include <string>
#include <vector>

namespace peltrix {

class CommandLine {
 public:
  CommandLine(int argc, char** argv);
  ~CommandLine();
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  // The arguments after the program's name.
  const std::vector<std::string>& arguments() const { return arguments_; }

 private:
  std::vector<std::string> arguments_;
  [[maybe_unused]] unsigned consoleCodePage_ =
      0;  // Windows: the console's output code page before ours; 0: none
};

}  // namespace peltrix
