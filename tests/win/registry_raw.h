// Reads and writes with the raw registry API, for checking our registry code
// from outside.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace velkor::rawreg {

struct Value {
  LONG status = -1;
  DWORD type = 0;
  std::vector<BYTE> bytes;
};

inline Value get(HKEY root, const wchar_t* path, const wchar_t* name) {
  Value value;
  HKEY key = nullptr;
  value.status = RegOpenKeyExW(root, path, 0, KEY_READ, &key);
  if (value.status != ERROR_SUCCESS) return value;
  DWORD size = 0;
  value.status = RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
  if (value.status == ERROR_SUCCESS) {
    value.bytes.resize(size);
    value.status = RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(), &size);
    value.bytes.resize(size);
  }
  RegCloseKey(key);
  return value;
}

// Creates root\path as needed and stores the bytes as given.
inline LONG set(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type, const void* data,
                DWORD bytes) {
  HKEY key = nullptr;
  LONG status =
      RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return status;
  status = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
  RegCloseKey(key);
  return status;
}

inline LONG setString(HKEY root, const wchar_t* path, const wchar_t* name,
                      const std::wstring& text) {
  return set(root, path, name, REG_SZ, text.c_str(),
             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// A text as REG_SZ bytes: UTF-16LE with its terminator.
inline std::vector<BYTE> sz(const std::wstring& text) {
  const auto* first = reinterpret_cast<const BYTE*>(text.c_str());
  return std::vector<BYTE>(first, first + (text.size() + 1) * sizeof(wchar_t));
}

}  // namespace velkor::rawreg
