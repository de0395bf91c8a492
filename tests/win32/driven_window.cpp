#include "driven_window.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "colour/rgb.hpp"
#include "frontends/win32/main_window.hpp"

namespace peltrix::testing {

fs::path hostPath(const char* unixPath) {
  std::wstring path = L"Z:";
  for (const char* c = unixPath; *c != '\0'; ++c) path += *c == '/' ? L'\\' : wchar_t(*c);
  return path;
}

const fs::path& peltrixExe() {
  static const fs::path exe = hostPath(PELTRIX_EXE);
  return exe;
}
const fs::path& convertExe() {
  static const fs::path exe = hostPath(PELTRIX_CONVERT_EXE);
  return exe;
}
const fs::path& sharedDir() {
  static const fs::path shared = hostPath(PELTRIX_SHARED_DIR);
  return shared;
}

ScratchFolder::ScratchFolder() {
  const fs::path base = fs::temp_directory_path();
  for (unsigned n = GetTickCount() ^ GetCurrentProcessId();; ++n) {
    path_ = base / ("peltrix-window-" + std::to_string(n));
    if (fs::create_directory(path_)) return;
  }
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;  // a program still holding a file must not fail the test here
  fs::remove_all(path_, ignored);
}

namespace {

std::wstring quoted(const std::wstring& argument) {
  return L"\"" + argument + L"\"";
}

// With an `output` or `errors` handle (inheritable), the program's standard output or error
// goes there.
PROCESS_INFORMATION startProcess(const fs::path& exe, const std::vector<std::wstring>& arguments,
                                 const fs::path& folder, HANDLE output = nullptr,
                                 HANDLE errors = nullptr) {
  std::wstring commandLine = quoted(exe.wstring());
  for (const std::wstring& a : arguments) commandLine += L" " + quoted(a);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  const bool redirected = output != nullptr || errors != nullptr;
  if (redirected) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output != nullptr ? output : GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = errors != nullptr ? errors : GetStdHandle(STD_ERROR_HANDLE);
  }
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, redirected, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    throw std::runtime_error("cannot start " + exe.string() + ", error " +
                             std::to_string(GetLastError()));
  }
  CloseHandle(process.hThread);
  process.hThread = nullptr;
  return process;
}

DWORD milliseconds(double seconds) {
  return static_cast<DWORD>(seconds * 1000);
}

// A new file that a started program inherits as its standard output or error; nullptr for
// no path.
HANDLE inheritedFile(const fs::path& path) {
  if (path.empty()) return nullptr;
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path.string());
  return file;
}

}  // namespace

int runProgram(const fs::path& exe, const std::vector<std::wstring>& arguments,
               const fs::path& folder, double seconds, const fs::path& output) {
  HANDLE file = nullptr;
  try {
    file = inheritedFile(output);
  } catch (const std::runtime_error&) {
    return -1;
  }
  PROCESS_INFORMATION process = startProcess(exe, arguments, folder, file);
  if (file != nullptr) CloseHandle(file);
  DWORD code = DWORD(-1);
  if (WaitForSingleObject(process.hProcess, milliseconds(seconds)) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

std::vector<uint8_t> fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::wstring textOf(HWND window) {
  // WM_GETTEXT itself: GetWindowText gives another process's controls only their caption,
  // not what an edit holds.
  wchar_t text[1024] = L"";
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000,
                      &length);
  return text;
}

std::wstring classOf(HWND window) {
  wchar_t name[256] = L"";
  GetClassNameW(window, name, 256);
  return name;
}

RECT inClient(HWND main, const RECT& screenRect) {
  RECT r = screenRect;
  MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

ScreenCopy::ScreenCopy(int width, int height) : width_(width), height_(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  memory_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<const uint32_t*>(bits);
  previous_ = SelectObject(memory_, bitmap_);
}

ScreenCopy::~ScreenCopy() {
  SelectObject(memory_, previous_);
  DeleteObject(bitmap_);
  DeleteDC(memory_);
}

Pixels ScreenCopy::pixels() const {
  GdiFlush();
  // A 32-bit DIB holds blue, green, red, unused: the RGB value's own order.
  Pixels pixels(bits_, bits_ + width_ * height_);
  for (uint32_t& v : pixels) v &= 0xFFFFFF;
  return pixels;
}

Pixels screenPixels(int x, int y, int width, int height) {
  ScreenCopy copy(width, height);
  HDC screen = GetDC(nullptr);
  BitBlt(copy.dc(), 0, 0, width, height, screen, x, y, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return copy.pixels();
}

int differingPixels(const Pixels& a, const Pixels& b) {
  if (a.size() != b.size()) return int(std::max(a.size(), b.size()));
  int n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}

DrivenWindow::DrivenWindow(const fs::path& folder, const std::vector<std::wstring>& arguments,
                           const fs::path& appData, const fs::path& errors) {
  static const ScratchFolder testAppData;  // removed when the test process ends
  SetEnvironmentVariableW(L"APPDATA", (appData.empty() ? testAppData.path() : appData).c_str());
  HANDLE errorFile = inheritedFile(errors);
  process_ = startProcess(peltrixExe(), arguments, folder, nullptr, errorFile);
  if (errorFile != nullptr) CloseHandle(errorFile);
  const bool shown = eventually(
      [&] {
        // The main window of this process: an earlier test's may still be going away.
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, win32::kMainWindowClass, nullptr));) {
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          if (owner == process_.dwProcessId && IsWindowVisible(w)) window_ = w;
        }
        return window_ != nullptr;
      },
      60);
  if (!shown) throw std::runtime_error("peltrix.exe showed no main window");
  // Painted once: the first paint has been handled when a sent message returns.
  SendMessageW(window_, WM_NULL, 0, 0);
}

DrivenWindow::~DrivenWindow() {
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 10000);
  }
  CloseHandle(process_.hProcess);
}

void DrivenWindow::click(ControlId id) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(control(id), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &ignored);
}

void DrivenWindow::postClick(ControlId id) {
  PostMessageW(control(id), BM_CLICK, 0, 0);
}

bool DrivenWindow::choose(MenuItemId item, double seconds) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window_, WM_COMMAND, MAKEWPARAM(item, 0), 0, SMTO_NORMAL,
                             milliseconds(seconds), &ignored) != 0;
}

void DrivenWindow::postChoose(MenuItemId item) {
  PostMessageW(window_, WM_COMMAND, MAKEWPARAM(item, 0), 0);
}

namespace {

// Puts the pointer at a screen point. Under wine the pointer reaches its place through the X
// server; a press sent before it is there lands where the pointer was (seen on a busy machine).
void pointerTo(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  eventually(
      [&] {
        POINT now{};
        return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
      },
      2, 10);
}

void mouseInput(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof(INPUT));
}

}  // namespace

void DrivenWindow::mouseClick(POINT screen) {
  pointerTo(screen);
  INPUT press[2] = {};
  press[0].type = press[1].type = INPUT_MOUSE;
  press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, press, sizeof(INPUT));
}

void DrivenWindow::mouseDrag(POINT from, POINT to) {
  pointerTo(from);
  mouseInput(MOUSEEVENTF_LEFTDOWN);
  constexpr int kSteps = 4;
  for (int i = 1; i <= kSteps; ++i) {
    pointerTo({from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps});
    mouseInput(MOUSEEVENTF_MOVE);  // a move of nothing: the window hears where the pointer is
    SendMessageW(window_, WM_NULL, 0, 0);  // handled, in order, before the next step
  }
  mouseInput(MOUSEEVENTF_LEFTUP);
  SendMessageW(window_, WM_NULL, 0, 0);
}

namespace {

struct DialogSearch {
  DWORD processId;
  const std::wstring* title;
  HWND found;
};

BOOL CALLBACK findDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<DialogSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window) && classOf(window) == L"#32770" &&
      textOf(window) == *search->title) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// The file name box of a common file dialog: a combo box (cmb13) in the Explorer-style
// dialog, an edit (edt1) in the older one.
HWND fileNameBox(HWND dialog) {
  for (int id : {0x47c, 0x480}) {
    if (HWND box = GetDlgItem(dialog, id)) return box;
  }
  return nullptr;
}

}  // namespace

bool DrivenWindow::dialogShown(const std::wstring& title) const {
  DialogSearch search{process_.dwProcessId, &title, nullptr};
  EnumWindows(findDialog, reinterpret_cast<LPARAM>(&search));
  return search.found != nullptr;
}

HWND DrivenWindow::waitForDialog(const std::wstring& title, double seconds) {
  DialogSearch search{process_.dwProcessId, &title, nullptr};
  eventually(
      [&] {
        EnumWindows(findDialog, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      seconds);
  return search.found;
}

void DrivenWindow::answerFileDialog(HWND dialog, const std::wstring& path) {
  HWND box = fileNameBox(dialog);
  ASSERT_NE(box, nullptr) << "the file dialog has no file name box";
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL,
                      10000, &ignored);
  pressButton(dialog, IDOK);
}

void DrivenWindow::pressButton(HWND dialog, int buttonId) {
  // Posted: the program may go on to show a message box before the click's call returns.
  PostMessageW(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0);
  EXPECT_TRUE(eventually([&] { return !IsWindow(dialog); }, 20)) << "the dialog stayed open";
}

std::vector<std::wstring> DrivenWindow::staticTexts(HWND dialog) const {
  std::vector<std::wstring> texts;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM data) -> BOOL {
        if (classOf(child) == L"Static") {
          std::wstring text = textOf(child);
          if (!text.empty()) reinterpret_cast<std::vector<std::wstring>*>(data)->push_back(text);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&texts));
  return texts;
}

HWND DrivenWindow::waitForSaveDialog(double seconds) {
  HWND dialog = nullptr;
  eventually(
      [&] {
        // Refused, the command returns at once; accepted, it waits in the dialog.
        if (choose(kSaveRawItem, 2)) return false;
        dialog = waitForDialog(L"Select file to save");
        return true;
      },
      seconds, 250);
  return dialog;
}

RECT DrivenWindow::placeOf(HWND child) const {
  RECT r;
  GetWindowRect(child, &r);
  return inClient(window_, r);
}

RECT DrivenWindow::clientPlaceOf(HWND child) const {
  RECT r;
  GetClientRect(child, &r);
  MapWindowPoints(child, window_, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

Pixels DrivenWindow::viewPixels(ControlId view) const {
  RECT r;
  GetClientRect(control(view), &r);
  POINT origin{0, 0};
  ClientToScreen(control(view), &origin);
  return screenPixels(origin.x, origin.y, r.right, r.bottom);
}

long DrivenWindow::waitForExit(double seconds) {
  if (WaitForSingleObject(process_.hProcess, milliseconds(seconds)) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<long>(code);
}

}  // namespace peltrix::testing
