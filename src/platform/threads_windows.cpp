// Detached threads on Windows: KERNEL32's own, not std::thread. The mingw runtime's
// std::thread goes through its POSIX-threads emulation, whose detached threads were seen to
// hang the program for good when the machine is busy (under wine, within a thousand or so
// starts); a thread whose handle is simply closed has none of that bookkeeping.
#include <windows.h>

#include <exception>
#include <memory>
#include <system_error>

#include "platform/threads.hpp"

namespace peltrix {

namespace {

DWORD WINAPI runBody(LPVOID parameter) {
  const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
  try {
    (*body)();
  } catch (...) {
    std::terminate();  // as an exception leaving a std::thread's function would
  }
  return 0;
}

}  // namespace

void startDetachedThread(std::function<void()> body) {
  auto held = std::make_unique<std::function<void()>>(std::move(body));
  HANDLE thread = CreateThread(nullptr, 0, runBody, held.get(), 0, nullptr);
  if (thread == nullptr) {
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "CreateThread");
  }
  held.release();       // the thread owns it now
  CloseHandle(thread);  // detached: the thread ends by itself
}

}  // namespace peltrix
