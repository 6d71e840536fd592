// Shell-link (.lnk) files through COM: the thread's COM pairing, the link
// object (IShellLinkW), its persistence interface (IPersistFile). Each method
// is one COM call; the caller keeps the pairing and releases what it got.
#pragma once

#include <cstdint>
#include <string>

namespace velkor {

// An IShellLinkW or IPersistFile pointer of the port; zero is "none".
struct ShellLinkHandle {
  std::uintptr_t value = 0;
  explicit operator bool() const { return value != 0; }
};
struct PersistFileHandle {
  std::uintptr_t value = 0;
  explicit operator bool() const { return value != 0; }
};

// HRESULT values the caller tells apart.
namespace hresult {
inline constexpr std::int32_t kOk = 0;     // S_OK
inline constexpr std::int32_t kFalse = 1;  // S_FALSE: COM was already initialised here
inline constexpr std::int32_t kChangedMode = static_cast<std::int32_t>(0x80010106u);  // RPC_E_CHANGED_MODE
constexpr bool succeeded(std::int32_t hr) { return hr >= 0; }
}  // namespace hresult

class ShellLinks {
 public:
  virtual ~ShellLinks() = default;
  // CoInitialize(NULL); every successful call needs one coUninitialize.
  virtual std::int32_t coInitialize() = 0;
  // CoUninitialize().
  virtual void coUninitialize() = 0;
  // CoCreateInstance(CLSID_ShellLink, null, CLSCTX_INPROC_SERVER, IID_IShellLinkW).
  virtual ShellLinkHandle createLink() = 0;
  // IShellLinkW::SetPath.
  virtual bool setPath(ShellLinkHandle link, const std::u16string& target) = 0;
  // QueryInterface for IPersistFile.
  virtual PersistFileHandle queryPersistFile(ShellLinkHandle link) = 0;
  // IPersistFile::Save(path, TRUE): writes the link, replacing a file of that name.
  virtual bool save(PersistFileHandle persist, const std::u16string& path) = 0;
  // Release of either interface.
  virtual void release(PersistFileHandle persist) = 0;
  virtual void release(ShellLinkHandle link) = 0;
};

}  // namespace velkor
