#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "platform/win32_finish_ports.h"
#include "framework/text.h"

namespace velkor {
namespace {

// The shell-link class and the two interfaces, as the shell defines them.
const CLSID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kShellLinkW = {0x000214F9, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

IShellLinkW* link(ShellLinkHandle h) { return reinterpret_cast<IShellLinkW*>(h.value); }
IPersistFile* persist(PersistFileHandle h) { return reinterpret_cast<IPersistFile*>(h.value); }

}  // namespace

std::int32_t Win32ShellLinks::coInitialize() { return CoInitialize(nullptr); }

void Win32ShellLinks::coUninitialize() { CoUninitialize(); }

ShellLinkHandle Win32ShellLinks::createLink() {
  void* object = nullptr;
  if (FAILED(CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkW, &object)))
    return {};
  return ShellLinkHandle{reinterpret_cast<std::uintptr_t>(object)};
}

bool Win32ShellLinks::setPath(ShellLinkHandle h, const std::u16string& target) {
  return SUCCEEDED(link(h)->SetPath(win32::wide(target)));
}

PersistFileHandle Win32ShellLinks::queryPersistFile(ShellLinkHandle h) {
  void* object = nullptr;
  if (FAILED(link(h)->QueryInterface(kPersistFile, &object))) return {};
  return PersistFileHandle{reinterpret_cast<std::uintptr_t>(object)};
}

bool Win32ShellLinks::save(PersistFileHandle h, const std::u16string& path) {
  return SUCCEEDED(persist(h)->Save(win32::wide(path), TRUE));
}

void Win32ShellLinks::release(PersistFileHandle h) { persist(h)->Release(); }

void Win32ShellLinks::release(ShellLinkHandle h) { link(h)->Release(); }

}  // namespace velkor
