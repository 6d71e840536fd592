// The wizard's windows as the window driver finds them, and the texts that
// tell its licence page's state.
#pragma once

#include <string>

#include "lib/window_driver.h"

namespace velkor::testlib {

// The three dialogs share one caption; their controls tell them apart.
inline const std::wstring kCaption = L"安装 - VelkorCrypt6.0";
inline const WindowQuery kMainWindow{kCaption, {1000, 1001, 1011}, {1017}, "main window"};
inline const WindowQuery kLicencePage{kCaption, {1, 2, 1007, 1017}, {1011}, "licence page"};
inline const WindowQuery kExitDialog{kCaption, {1, 2, 1004, 1005}, {1011, 1017}, "exit confirmation"};
inline const WindowQuery kAboutBox{L"?? VelkarSetup", {IDOK}, {}, "About box"};

inline const std::wstring kBack = L"< 上一步 (&B)";
inline const std::wstring kInstall = L"安装 (&I)";

}  // namespace velkor::testlib
