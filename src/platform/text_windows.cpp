#include "platform/text_windows.hpp"

#include <windows.h>

namespace peltrix {

std::wstring toUtf16(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int length = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), n);
  return wide;
}

std::string toUtf8(const std::wstring& utf16) {
  if (utf16.empty()) return {};
  const int length = static_cast<int>(utf16.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string text(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, text.data(), n, nullptr, nullptr);
  return text;
}

std::wstring windowsPath(const std::string& utf8) {
  // CreateDirectoryW's limit (MAX_PATH less room for an 8.3 name) is the lowest of the calls.
  constexpr size_t kLongFrom = MAX_PATH - 12;
  std::wstring wide = toUtf16(utf8);
  if (wide.size() < kLongFrom || wide.rfind(L"\\\\?\\", 0) == 0 || wide.rfind(L"\\\\.\\", 0) == 0)
    return wide;
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return wide;
  std::wstring full(needed, L'\0');
  const DWORD n = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (n == 0 || n >= needed) return wide;
  full.resize(n);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::string systemMessage(unsigned long error) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer != nullptr ? buffer : L"", n);
  LocalFree(buffer);
  // Messages end in ".\r\n"; ours are phrases inside a sentence.
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.' ||
                           text.back() == L' '))
    text.pop_back();
  if (text.empty()) return "Windows error " + std::to_string(error);
  return toUtf8(text);
}

}  // namespace peltrix
