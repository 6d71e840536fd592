// The title control 1003 of the main window: it starts as a picture, and a
// title text written to it later is shown in place of the picture (drawn with
// the font and colour the window gives it).
#pragma once

#include "framework/controls.h"

namespace velkor {

class CTitleStatic : public fw::CStatic {
 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // A picture static may drop the font it is given; the text needs it.
  HFONT m_font = nullptr;
};

}  // namespace velkor
