// Text at the edges of the Windows calls: the program keeps every string, paths included, in
// UTF-8; the wide-character functions take and give UTF-16.
#pragma once

#include <string>

namespace peltrix {

// UTF-16 of `utf8`; empty when `utf8` is empty or not valid UTF-8.
std::wstring toUtf16(const std::string& utf8);

// UTF-8 of `utf16` (an unpaired surrogate becomes U+FFFD).
std::string toUtf8(const std::wstring& utf16);

// `utf8` as a path for the wide-character file calls: UTF-16, and past the old 260-character
// limit made whole and marked "\\?\" (or "\\?\UNC\" for a share), the only form in which
// those calls take a long path on every Windows. Short paths are passed as they are, so their
// "." and "/" are still cleaned up by Windows; empty when `utf8` is not valid UTF-8.
std::wstring windowsPath(const std::string& utf8);

// Windows' own one-line description of a GetLastError() code, in UTF-8.
std::string systemMessage(unsigned long error);

}  // namespace peltrix
