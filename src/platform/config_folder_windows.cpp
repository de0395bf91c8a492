// The user's configuration folder on Windows: the roaming application data folder, as
// %APPDATA% names it (or the shell, should the variable be missing).
#include <windows.h>
// shlobj.h needs windows.h first.
#include <shlobj.h>

#include "platform/config_folder.hpp"
#include "platform/files.hpp"
#include "platform/text_windows.hpp"

namespace peltrix {

std::string userConfigFolder(const std::string& program) {
  std::wstring folder(MAX_PATH, L'\0');
  DWORD length = GetEnvironmentVariableW(L"APPDATA", folder.data(), DWORD(folder.size()));
  if (length >= folder.size()) {
    folder.resize(length);
    length = GetEnvironmentVariableW(L"APPDATA", folder.data(), DWORD(folder.size()));
  }
  if (length > 0 && length < folder.size()) {
    folder.resize(length);
  } else if (folder.assign(MAX_PATH, L'\0');
             SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder.data()))) {
    folder.resize(folder.find(L'\0'));
  } else {
    return "";
  }
  if (folder.empty()) return "";
  return joinPath(toUtf8(folder), program);
}

}  // namespace peltrix
