// The steps a user takes through the wizard, shared by every scenario file:
// each step checks what the user would see and fails with what it saw.
#pragma once

#include <functional>
#include <string>

#include "lib/wine_env.h"
#include "lib/wizard_windows.h"
#include "scenarios.h"

namespace velkor::e2e {

inline const std::wstring kAntivirus = L"警告：如果你的杀毒软件拦截了本软件，请予放行。";

// Copies a file, making the destination's folders first.
void copyFile(Driver& d, const std::wstring& from, const std::wstring& to);
// Starts the setup (from a copy when the options ask for one); returns the
// path of the file started.
std::wstring startSetup(Driver& d, const Options& o);
void expectWelcome(Driver& d, HWND main);
// Starts the setup and waits for its main window, photographed; `setup`, when
// given, receives the path of the file started.
HWND startAtWelcome(Driver& d, const Options& o, std::wstring* setup = nullptr);
HWND openLicence(Driver& d, HWND main, bool byEnter);
// Start, welcome page checked, licence page opened (by Next or Enter) and
// accepted; returns the licence page.
HWND toAcceptedLicence(Driver& d, const Options& o, std::wstring* setup = nullptr, bool nextByEnter = false);
void tickAgree(Driver& d, HWND licence, bool on);
// Clicks button 1 of the licence page ("< 上一步 (&B)" or "安装 (&I)", as the
// agree box says) and returns the main window, shown again.
HWND leaveLicencePage(Driver& d, HWND licence);
// 1001 reads "完成" or "确定"; the texts that tell how far it got.
bool installationEnded(Driver& d, HWND main);
std::string installationTexts(Driver& d, HWND main);
// Until `done` holds (within `timeout`), answers each window of `box` the
// program shows with `answer` (given its number, from 1); returns how many.
int answerWindows(Driver& d, const WindowQuery& box, const std::function<void(HWND, int)>& answer,
                  const std::string& until, const std::function<bool()>& done,
                  const std::function<std::string()>& seen, DWORD timeout);
// Back from the licence page without acceptance to the welcome page, then a
// fresh licence page (its box clear again) accepted; returns that page.
HWND backAndAcceptAgain(Driver& d, HWND licence);
// From the licence page with the box ticked to the end of the installation
// (1001 reads "完成" or "确定"); returns the main window.
HWND install(Driver& d, HWND licence);
void expectFinishPage(Driver& d, HWND main, const testenv::WindowsVersion& v);
void verifyInstallation(Driver& d, const std::wstring& setup, const testenv::WindowsVersion& v);

enum class Finish { Button, Enter, Escape, CloseBox };
// Ends the finish or failure page by button 1001 ("完成" or "确定"), Enter,
// Esc or the close box.
void leavePage(Driver& d, HWND main, Finish how, const std::string& page);
// Ends the finish page and checks what follows (the product started, or the
// log-off on a first installation on 6.0).
void finishAndVerify(Driver& d, HWND main, const testenv::WindowsVersion& v, Finish how);
// Start, welcome, licence accepted, installation, finish page verified; with
// `watchProgress` also the progress page on the way, where Esc and a close
// request change nothing.
HWND installToFinishPage(Driver& d, const Options& o, const testenv::WindowsVersion& v, bool watchProgress = false);
// From the licence page with the box ticked: the progress page checked while
// the installation runs (and handed to `onProgressPage` while it is held
// there), then on to its end, as install() does.
HWND installWatchingProgress(Driver& d, HWND licence, const std::function<void(HWND)>& onProgressPage = nullptr);
// The wizard ends with exit code 0.
void expectEnds(Driver& d);

// The wizard's three dialogs, for a layout check.
enum class Dialog { Main, Licence, Exit };
// The running dialog's size and its controls' places and sizes against the
// setup file's own dialog template, as the system makes it, corrected by the
// wizard's move tables for this system's layout class (and, for the main
// window with Yahei, the font step's extra move).
void expectLayout(Driver& d, HWND dialog, const std::wstring& setupFile, Dialog which, bool yahei = false);
// Where the wizard's windows open: centred on `over` (the About box over the
// main window) or, when it is null, on the work area (the main window), and
// kept on the work area.
void expectCentred(Driver& d, HWND window, HWND over, const std::string& what);
// The licence page and the exit confirmation: at the main window's top-left
// corner moved by their move tables' dialog lines (the lifts), on the work
// area.
void expectPlacedOverMain(Driver& d, HWND main, HWND page, Dialog which);

// A folder where the main program goes, so that its copy fails; returns the
// main program's path.
std::wstring blockMainProgram(Driver& d);

// Puts the system's CJK font at C:\WINDOWS\Fonts\<fileName>, where the
// wizard looks for Yahei.
void installYahei(Driver& d, const std::wstring& fileName);

}  // namespace velkor::e2e
