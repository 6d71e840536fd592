// A library that the library-search test places beside the test program, as
// a planted library would lie beside a setup in a downloads folder.
#include <windows.h>

extern "C" __declspec(dllexport) int velkor_planted() { return 1; }

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
