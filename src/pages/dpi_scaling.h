// A dialog laid out for the display's DPI: at any DPI but 96, its client area
// and every control are placed where a 96-dpi display puts them, scaled by
// DPI / 96, and the pictures its static controls show are replaced by copies
// scaled the same way (bitmaps stretched with halftone, icons loaded again at
// the larger size). At 96 dpi nothing changes.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/dialog.h"

namespace velkor {

class DpiScaling {
 public:
  DpiScaling() = default;
  DpiScaling(const DpiScaling&) = delete;
  DpiScaling& operator=(const DpiScaling&) = delete;
  ~DpiScaling();

  // At the start of the dialog's initialisation, before its own moves.
  // Nothing when the template cannot be read or its controls are not the
  // template's (the dialog then keeps the dialog manager's layout).
  void Apply(fw::CDialog& dialog);

  // Takes the scaled icons back from the controls and frees them; from the
  // dialog's WM_DESTROY, while its controls exist. (The framework frees the
  // bitmaps picture statics show.)
  void Release() noexcept;

 private:
  struct Given {
    HWND control;
    HICON icon;
  };
  void ScalePicture(HWND control, int dpi);

  std::vector<Given> icons_;
};

}  // namespace velkor
