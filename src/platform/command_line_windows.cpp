#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include "platform/command_line.hpp"
#include "platform/text_windows.hpp"

namespace peltrix {

CommandLine::CommandLine(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; wide != nullptr && i < count; ++i) arguments_.push_back(toUtf8(wide[i]));
  LocalFree(wide);
  // Messages name files in UTF-8; a console shows them right only with its code page set so.
  // The console outlives the program, so its own code page is put back at the end.
  const UINT previous = GetConsoleOutputCP();
  if (previous != 0 && previous != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
    consoleCodePage_ = previous;
  }
}

CommandLine::~CommandLine() {
  if (consoleCodePage_ != 0) SetConsoleOutputCP(consoleCodePage_);
}

}  // namespace peltrix
