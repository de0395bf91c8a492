#include "frontends/win32/dialogs.hpp"

#include <commdlg.h>

#include <vector>

#include "frontends/win32/adjust_dialog.hpp"
#include "frontends/win32/window_parts.hpp"
#include "frontends/window/window_layout.hpp"
#include "platform/text_windows.hpp"

namespace peltrix::win32 {

const char* const kOpenFilter = "JPEG (*.jpg)|*.jpg|BMP (*.bmp)|*.bmp|All files (*.*)|*.*";

std::wstring dialogFilter(const std::string& pairs) {
  std::wstring filter = toUtf16(pairs);
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.append(2, L'\0');  // the last pattern's end and the list's end
  return filter;
}

std::wstring saveFilter(const char* description) {
  // No pattern of its own: "*.*" lists every file, whatever the description says.
  return dialogFilter(std::string(description) + "|*.*");
}

namespace {

// Room for the longest path Windows knows (32,767 characters).
constexpr DWORD kPathCapacity = 32768;

std::wstring currentDirectory() {
  std::wstring folder(kPathCapacity, L'\0');
  const DWORD n = GetCurrentDirectoryW(kPathCapacity, folder.data());
  folder.resize(n < kPathCapacity ? n : 0);
  return folder;
}

// Runs GetOpenFileNameW or GetSaveFileNameW; the path in UTF-8, or "" when cancelled.
template <typename Run>
std::string runFileDialog(HWND owner, const wchar_t* title, const std::wstring& filter, DWORD flags,
                          Run run) {
  std::vector<wchar_t> path(kPathCapacity, L'\0');
  const std::wstring folder = currentDirectory();
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = kPathCapacity;
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title;
  // OFN_NOCHANGEDIR: the next dialog starts in the process's current directory again.
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | flags;
  if (!run(&dialog)) return "";
  return toUtf8(path.data());
}

}  // namespace

std::string runOpenDialog(HWND owner) {
  return runFileDialog(owner, L"Choose an image", dialogFilter(kOpenFilter), OFN_FILEMUSTEXIST,
                       GetOpenFileNameW);
}

std::string runSaveDialog(HWND owner, const char* description) {
  // Neither OFN_OVERWRITEPROMPT nor a default extension.
  return runFileDialog(owner, L"Select file to save", saveFilter(description), 0, GetSaveFileNameW);
}

void runMessageBox(HWND owner, const std::string& text) {
  MessageBoxW(owner, toUtf16(text).c_str(), L"Peltrix Converter", MB_OK | MB_ICONERROR);
}

void runAboutBox(HWND owner) {
  MessageBoxW(owner, toUtf16(aboutText()).c_str(), L"About", MB_OK | MB_ICONINFORMATION);
}

DialogHooks realDialogs(MainWindow& main) {
  HWND owner = main.window;
  HINSTANCE instance = main.instance;
  return DialogHooks{
      .chooseOpenPath = [owner] { return runOpenDialog(owner); },
      .chooseSavePath =
          [owner](SaveForm form) { return runSaveDialog(owner, saveDescription(form)); },
      .showMessage = [owner](const std::string& text) { runMessageBox(owner, text); },
      .showAbout = [owner] { runAboutBox(owner); },
      .adjustTone =
          [instance, owner](const Tone& start, const std::function<void(const Tone&)>& changed) {
            runAdjustDialog(instance, owner, start, changed);
          },
  };
}

}  // namespace peltrix::win32
