#include "engine/shortcuts.h"

#include <optional>
#include <string>

#include "engine/install_paths.h"

namespace velkor {

CShortcuts::~CShortcuts() {
  releaseHeldLink();
  for (; m_preparedPairings > 0; --m_preparedPairings) links_.coUninitialize();
}

void CShortcuts::CreateAll() {
  PrepareMainLink();
  CreateDesktopMainShortcut();
  CreateDesktopLockShortcut();
  CreateProgramsMainShortcut();
  CreateProgramsLockShortcut();
  CreateProgramsUninstallShortcut();
}

bool CShortcuts::beginCom() { return hresult::succeeded(links_.coInitialize()); }

void CShortcuts::endCom(bool initialised) {
  if (initialised) links_.coUninitialize();
}

void CShortcuts::saveHeldLink(const std::u16string& path) {
  const PersistFileHandle persist = links_.queryPersistFile(m_pShellLink);
  if (!persist) return;
  links_.save(persist, path);
  links_.release(persist);
}

void CShortcuts::releaseHeldLink() {
  if (!m_pShellLink) return;
  links_.release(m_pShellLink);
  m_pShellLink = ShellLinkHandle{};
}

void CShortcuts::PrepareMainLink() {
  fs_.createDirectory(paths::kInstallDirectory);
  releaseHeldLink();
  const bool initialised = beginCom();
  m_pShellLink = links_.createLink();
  if (!m_pShellLink) {
    endCom(initialised);
    return;
  }
  links_.setPath(m_pShellLink, shortcuts::kMainProgram.destination);
  // The link must stay valid until operation 2 saves it: its pairing ends there.
  if (initialised) ++m_preparedPairings;
}

void CShortcuts::CreateDesktopMainShortcut() {
  const std::optional<std::u16string> desktop =
      folders_.specialFolderPath(csidl::kDesktopDirectory);
  const bool initialised = beginCom();
  if (m_pShellLink && desktop) saveHeldLink(*desktop + shortcuts::kMainLinkName);
  releaseHeldLink();
  endCom(initialised);
  for (; m_preparedPairings > 0; --m_preparedPairings) links_.coUninitialize();
}

void CShortcuts::createLinkFile(const char16_t* target, int folder, bool inProgramGroup,
                                bool createGroup, const char16_t* name) {
  releaseHeldLink();
  const bool initialised = beginCom();
  m_pShellLink = links_.createLink();
  if (m_pShellLink) {
    links_.setPath(m_pShellLink, target);
    // Without its folder the link is skipped, never written somewhere else.
    if (const std::optional<std::u16string> base = folders_.specialFolderPath(folder)) {
      std::u16string path = *base;
      if (inProgramGroup) path += shortcuts::kProgramGroup;
      if (createGroup) fs_.createDirectory(path);
      saveHeldLink(path + name);
    }
    releaseHeldLink();
  }
  endCom(initialised);
}

void CShortcuts::CreateDesktopLockShortcut() {
  createLinkFile(shortcuts::kLockProgram.destination, csidl::kDesktopDirectory, false, false,
                 shortcuts::kLockLinkName);
}

void CShortcuts::CreateProgramsMainShortcut() {
  createLinkFile(shortcuts::kMainProgram.destination, csidl::kPrograms, true, true,
                 shortcuts::kMainLinkName);
}

void CShortcuts::CreateProgramsLockShortcut() {
  if (!fs_.findFirst(shortcuts::kLockProgram.destination)) return;
  createLinkFile(shortcuts::kLockProgram.destination, csidl::kPrograms, true, false,
                 shortcuts::kLockLinkName);
}

void CShortcuts::CreateProgramsUninstallShortcut() {
  createLinkFile(shortcuts::kUninstaller.destination, csidl::kPrograms, true, true,
                 shortcuts::kUninstallLinkName);
}

}  // namespace velkor
