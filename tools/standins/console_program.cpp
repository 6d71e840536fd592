// Stand-in for the product's console program: prints one line naming itself
// and ends with exit code 0.
#include <windows.h>

#include "own_name.h"

int wmain() {
  wchar_t name[MAX_PATH];
  velkor::standin::ownFileName(nullptr, name, MAX_PATH);
  char line[MAX_PATH + 64];
  const int n = WideCharToMultiByte(CP_UTF8, 0, name, -1, line, MAX_PATH, nullptr, nullptr);
  int length = n > 0 ? n - 1 : 0;
  const char tail[] = ": demo stand-in\r\n";
  lstrcpyA(line + length, tail);
  length += sizeof tail - 1;
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
  return 0;
}
