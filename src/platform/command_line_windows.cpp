#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <algorithm>

#include "platform/command_line.hpp"
#include "platform/files.hpp"
#include "platform/text_windows.hpp"

namespace peltrix {

namespace {

// Windows' shells hand "*.jpg" to the program as it stands; the program expands it, as
// users of `peltrix-convert --outdir c64 *.jpg` expect. Only the name part may hold * or ?;
// a pattern that matches nothing stays as typed (and is then reported as a missing file).
void appendExpanded(const std::wstring& argument, std::vector<std::string>& out) {
  const std::string utf8 = toUtf8(argument);
  const PathParts parts = splitPath(utf8);
  const bool pattern = parts.name.find_first_of("*?") != std::string::npos;
  if (!pattern || utf8.front() == '-' || parts.folder.find_first_of("*?") != std::string::npos) {
    out.push_back(utf8);
    return;
  }
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW(windowsPath(utf8).c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        names.push_back(toUtf8(found.cFileName));
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  if (names.empty()) {
    out.push_back(utf8);
    return;
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) out.push_back(parts.folder + name);
}

}  // namespace

CommandLine::CommandLine(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; wide != nullptr && i < count; ++i) appendExpanded(wide[i], arguments_);
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
