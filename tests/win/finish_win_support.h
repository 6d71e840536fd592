// Helpers of the finish modules' Wine tests: files, keys and shell links on
// the real system of the prefix, read back with the system's own calls.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "payload/byte_order.h"

namespace velkor::wintest {

inline std::wstring wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }
inline std::u16string utf16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

// A text's UTF-16LE bytes, with its terminator when asked.
inline std::vector<std::uint8_t> utf16le(const std::u16string& text, bool terminated = false) {
  return bytes::utf16le(text, terminated);
}

inline bool fileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::vector<std::uint8_t> readFile(const std::wstring& path) {
  std::vector<std::uint8_t> bytes;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  const DWORD size = GetFileSize(f, nullptr);
  bytes.resize(size);
  DWORD got = 0;
  if (size > 0 && !ReadFile(f, bytes.data(), size, &got, nullptr)) got = 0;
  bytes.resize(got);
  CloseHandle(f);
  return bytes;
}

inline bool writeFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  const bool ok = bytes.empty() || (WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
                                    put == bytes.size());
  CloseHandle(f);
  return ok;
}

// A Unix path handed over by the harness, as a path of Wine's Z: drive.
inline std::wstring hostPath(const char* variable) {
  const char* value = std::getenv(variable);
  if (value == nullptr || *value == '\0') return {};
  std::wstring path = L"Z:";
  for (const char* c = value; *c; ++c) path.push_back(*c == '/' ? L'\\' : static_cast<wchar_t>(*c));
  return path;
}

inline std::wstring specialFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return {};
  return path;
}

inline bool keyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

inline void makeKey(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

struct StoredValue {
  LONG status = ERROR_FILE_NOT_FOUND;
  DWORD type = 0;
  std::vector<std::uint8_t> bytes;
};

inline StoredValue readValue(HKEY root, const std::wstring& path, const std::wstring& name) {
  StoredValue v;
  HKEY key = nullptr;
  v.status = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key);
  if (v.status != ERROR_SUCCESS) return v;
  DWORD size = 0;
  v.status = RegQueryValueExW(key, name.c_str(), nullptr, &v.type, nullptr, &size);
  if (v.status == ERROR_SUCCESS) {
    v.bytes.resize(size);
    v.status = RegQueryValueExW(key, name.c_str(), nullptr, &v.type, v.bytes.data(), &size);
    v.bytes.resize(size);
  }
  RegCloseKey(key);
  return v;
}

// A shell link read back: its target in Unicode (the item list, since GetPath
// goes through the ANSI code page under Wine) and its other fields.
struct LinkFile {
  bool loaded = false;
  std::wstring target, arguments, workingDirectory, description;
  // The path as stored: under Wine a link made while the desktop cannot be
  // looked up carries its path but no item list (ASCII targets survive
  // GetPath's code page).
  std::wstring rawPath;
};

inline LinkFile readLink(const std::wstring& path) {
  LinkFile out;
  CoInitialize(nullptr);
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        out.loaded = true;
        LPITEMIDLIST items = nullptr;
        wchar_t text[MAX_PATH] = {};
        if (SUCCEEDED(link->GetIDList(&items)) && items != nullptr) {
          if (SHGetPathFromIDListW(items, text)) out.target = text;
          CoTaskMemFree(items);
        }
        text[0] = 0;
        if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) out.rawPath = text;
        text[0] = 0;
        link->GetArguments(text, MAX_PATH);
        out.arguments = text;
        text[0] = 0;
        link->GetWorkingDirectory(text, MAX_PATH);
        out.workingDirectory = text;
        text[0] = 0;
        link->GetDescription(text, MAX_PATH);
        out.description = text;
      }
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return out;
}

// The names of the entries of a folder (without "." and "..").
inline std::vector<std::wstring> folderEntries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

}  // namespace velkor::wintest
