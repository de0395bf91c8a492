// The dialogs of the main window: the common open and save dialogs, the message box for
// failures and the about box. Paths go in and out in UTF-8; the wide-character calls sit here.
#pragma once

#include <windows.h>

#include <string>

namespace peltrix::win32 {

// The filter lists as written, description and pattern pairs separated by "|".
extern const char* const kOpenFilter;  // JPEG, BMP, all files; JPEG selected first
// A save dialog's one entry: the description alone, listing every file.
std::wstring saveFilter(const char* description);
// A "|"-separated list in the form the common dialogs take: pairs ended by NULs.
std::wstring dialogFilter(const std::string& pairs);

// "Choose an image", starting in the current directory. The chosen path, or "" when
// cancelled. The dialog leaves the process's current directory as it was.
std::string runOpenDialog(HWND owner);
// "Select file to save" with `description` ("RAW (*.raw)" or "PRG (*.prg)"), starting in the
// current directory. The path exactly as typed: no extension is added and an existing file
// is replaced without a question.
std::string runSaveDialog(HWND owner, const char* description);
// A failure, titled with the program's name, with one OK button.
void runMessageBox(HWND owner, const std::string& text);
// "About": one line of authorship and build date, one OK button.
void runAboutBox(HWND owner);

}  // namespace peltrix::win32
