// peltrix.exe started by a test and driven from outside as a user drives it: its controls
// found with GetDlgItem and clicked with BM_CLICK, its menu commands sent as the menu sends
// them, the real common dialogs and message boxes answered by typing into them, real mouse
// clicks where only a click will do, and the screen read back to see what the views show.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "frontends/window/window_layout.hpp"

namespace peltrix::testing {

namespace fs = std::filesystem;

// A host path (as the build knows it) as the Windows programs see it: wine maps / to Z:.
fs::path hostPath(const char* unixPath);
const fs::path& peltrixExe();
const fs::path& convertExe();
const fs::path& sharedDir();  // ../shared beside the repository

// Runs `predicate` every `stepMs` until it holds or `seconds` have passed; returns its value.
template <typename Predicate>
bool eventually(Predicate predicate, double seconds, int stepMs = 50) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (predicate()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
  }
}

// A folder of its own in the temp folder, removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const fs::path& path() const { return path_; }
  fs::path operator/(const fs::path& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// Runs a console program to its end in `folder`; its exit code, or -1 if it did not start or
// end within `seconds`. With an `output` file, what it prints goes there.
int runProgram(const fs::path& exe, const std::vector<std::wstring>& arguments,
               const fs::path& folder, double seconds = 120, const fs::path& output = {});

std::vector<uint8_t> fileBytes(const fs::path& path);

// The text of a window (WM_GETTEXT works across processes) and its class name.
std::wstring textOf(HWND window);
std::wstring classOf(HWND window);
// A rectangle of `window` in the main window's client coordinates.
RECT inClient(HWND main, const RECT& screenRect);

// RGB values (red in bits 16-23), row by row.
using Pixels = std::vector<uint32_t>;

// A 32-bit bitmap to draw into or copy the screen into, read back as RGB values.
class ScreenCopy {
 public:
  ScreenCopy(int width, int height);  // black
  ~ScreenCopy();
  ScreenCopy(const ScreenCopy&) = delete;
  ScreenCopy& operator=(const ScreenCopy&) = delete;
  HDC dc() const { return memory_; }
  Pixels pixels() const;

 private:
  int width_, height_;
  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  const uint32_t* bits_ = nullptr;
};

// What the screen shows in a rectangle.
Pixels screenPixels(int x, int y, int width, int height);
// The number of pixels in which two pictures of the same size differ.
int differingPixels(const Pixels& a, const Pixels& b);

class DrivenWindow {
 public:
  // Starts peltrix.exe with `folder` as its current directory and waits for its main
  // window to be shown. Its %APPDATA%, where it keeps its choices, is `appData`, or else a
  // scratch folder of the test process's: never the user's own. With an `errors` file, what
  // it prints on its standard error goes there.
  explicit DrivenWindow(const fs::path& folder, const std::vector<std::wstring>& arguments = {},
                        const fs::path& appData = {}, const fs::path& errors = {});
  ~DrivenWindow();  // ends the process should the test not have ended it
  DrivenWindow(const DrivenWindow&) = delete;
  DrivenWindow& operator=(const DrivenWindow&) = delete;

  HWND window() const { return window_; }
  HWND control(ControlId id) const { return GetDlgItem(window_, id); }
  HANDLE process() const { return process_.hProcess; }
  DWORD processId() const { return process_.dwProcessId; }

  // A click on a button or checkbox (BM_CLICK, which the button turns into a press and a
  // release); returns once the window has handled it.
  void click(ControlId id);
  // The same click posted: handled in turn with other posted clicks and commands, so two
  // of them follow each other without the test process in between.
  void postClick(ControlId id);
  // A menu item chosen, as the menu sends it. Returns true when the window has handled it
  // within `seconds`, false while it still runs (a dialog or message box is up).
  bool choose(MenuItemId item, double seconds = 3);
  void postChoose(MenuItemId item);
  // A real click of the left mouse button at a screen point.
  void mouseClick(POINT screen);
  // A real drag with the left mouse button held, from one screen point to another in a few
  // steps; returns once the window has handled it.
  void mouseDrag(POINT from, POINT to);

  // A dialog or message box of the program with this title, once it is shown; nullptr if
  // none appears within `seconds`.
  HWND waitForDialog(const std::wstring& title, double seconds = 20);
  bool dialogShown(const std::wstring& title) const;
  // Types `path` into a file dialog's name box and presses its OK button.
  void answerFileDialog(HWND dialog, const std::wstring& path);
  // Presses a dialog's button (IDOK, IDCANCEL) and waits for the dialog to close.
  void pressButton(HWND dialog, int buttonId);
  // The texts of a dialog's static controls (a message box's message among them).
  std::vector<std::wstring> staticTexts(HWND dialog) const;

  // Waits for the finished result: "Save Raw" is refused (no dialog) until a job has
  // completed. Returns the save dialog it opened, or nullptr after `seconds`.
  HWND waitForSaveDialog(double seconds);

  // The view's client area as shown on the screen now.
  Pixels viewPixels(ControlId view) const;
  // A control's window rectangle, or its client area, in the main window's client pixels.
  RECT placeOf(HWND control) const;
  RECT clientPlaceOf(HWND control) const;

  // Waits for the process to end; its exit code, or -1 if it still runs after `seconds`.
  long waitForExit(double seconds);

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

}  // namespace peltrix::testing
