/* A library planted beside the setup under the name of a library the setup
   could load. One source, copied under every name: whichever process maps it
   leaves a marker named after the file it was loaded as, holding that
   process's path. It needs nothing but kernel32 (no runtime), so it loads
   under any name, kernel32's and msvcrt's own included. */
#include <windows.h>

#define MARKER_FOLDER L"C:\\velkor-plant-markers\\"

static void append(wchar_t* to, int* at, const wchar_t* text, int limit) {
  while (*text && *at < limit - 1) to[(*at)++] = *text++;
  to[*at] = 0;
}

BOOL WINAPI PlantMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t own[MAX_PATH], host[MAX_PATH], marker[MAX_PATH + 64];
  if (!GetModuleFileNameW(self, own, MAX_PATH)) return TRUE;
  const wchar_t* base = own;
  for (const wchar_t* p = own; *p; ++p)
    if (*p == L'\\' || *p == L'/') base = p + 1;
  int at = 0;
  marker[0] = 0;
  append(marker, &at, MARKER_FOLDER, MAX_PATH + 64);
  append(marker, &at, base, MAX_PATH + 64);
  append(marker, &at, L".txt", MAX_PATH + 64);
  CreateDirectoryW(MARKER_FOLDER, NULL);
  HANDLE file = CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return TRUE;
  const DWORD length = GetModuleFileNameW(NULL, host, MAX_PATH);
  DWORD written = 0;
  WriteFile(file, host, length * sizeof(wchar_t), &written, NULL);
  WriteFile(file, L"\n", sizeof(wchar_t), &written, NULL);
  CloseHandle(file);
  return TRUE;
}

/* Stands in for every function the naive control imports by plain import, so
   that its imports resolve whichever file the loader takes. Never called. */
int PlantStub(void) { return 0; }
