// CVelkarSetupApp: the application object. Its start sequence applies the
// single-instance rule and runs the main wizard window modally; the program
// ends when that window closes.
#pragma once

#include <windows.h>

#include "engine/wizard_state.h"
#include "framework/app.h"

namespace velkor {

class CVelkarSetupApp : public fw::CWinApp {
 public:
  bool InitInstance() override;

  // The wizard state flags, one set for the whole process.
  WizardState m_state;

 private:
  // Held until the process ends, never closed.
  HANDLE m_hInstanceMutex = nullptr;
};

// What the start needs before any window: COM for this thread (the
// pictures' decoder) and the common controls (the main window's progress
// bar). OLE proper and the rich-edit library are the licence page's and wait
// for it (CTs).
void InitSystemLibraries();

}  // namespace velkor
