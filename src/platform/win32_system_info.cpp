#include <windows.h>

#include <vector>

#include "platform/win32_system.h"
#include "framework/text.h"

namespace velkor {

using win32::wide;

std::u16string Win32System::windowsDirectory() {
  wchar_t buffer[MAX_PATH];
  const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return win32::utf16(buffer, length);
}

VersionRecord Win32System::versionRecord() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;  // 276 bytes
  if (!GetVersionExW(&info)) return {};
  return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId};
}

std::optional<std::uint32_t> Win32System::volumeSerial(const std::u16string& root) {
  DWORD serial = 0;
  if (!GetVolumeInformationW(wide(root), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
    return std::nullopt;
  return serial;
}

std::u16string Win32System::modulePath() {
  // Long paths: the largest a wide path can be.
  std::vector<wchar_t> buffer(32768);
  const DWORD length =
      GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 || length >= buffer.size()) return {};
  return win32::utf16(buffer.data(), length);
}

std::optional<seal::PayloadSeal> Win32System::payloadSeal() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(seal::kResourceId), RT_RCDATA);
  if (found == nullptr) return std::nullopt;
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return std::nullopt;
  return seal::parseSeal(bytes, SizeofResource(nullptr, found));
}

}  // namespace velkor
