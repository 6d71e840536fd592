// The driver's machinery proven on its own test dialog: finding windows that
// share a caption, reading and clicking controls, check boxes, keys through
// the program's message loop, waits that time out with a clear message,
// screenshots and the process's end.
#include <cstring>

#include "scenarios.h"
#include "testdlg/testdlg_ids.h"

namespace velkor::e2e {
namespace {

const std::wstring kCaption = L"驱动测试 - 窗口";
const WindowQuery kMain{kCaption, {TESTDLG_CHANGE}, {TESTDLG_SECOND_TEXT}, "test dialog"};
const WindowQuery kSecond{kCaption, {TESTDLG_SECOND_TEXT}, {TESTDLG_CHANGE}, "second dialog"};

bool isPng(const std::wstring& path) {
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (f == nullptr) return false;
  unsigned char head[8] = {};
  const bool ok = std::fread(head, 1, 8, f) == 8 && std::memcmp(head, "\x89PNG\r\n\x1a\n", 8) == 0;
  std::fclose(f);
  return ok;
}

}  // namespace

// The driver's steps on its own test dialog.
TEST_F(TestDialog, driver_selftest) {
  d.step("start the test dialog");
  d.start(o.program);
  HWND main = d.waitWindow(kMain);
  d.expectText(main, TESTDLG_STATUS, L"等待操作");
  d.expect(d.findWindow(kSecond) == nullptr, "no second dialog yet", "one");
  const std::wstring shot = d.screenshot(main, "test-dialog");
  d.expect(isPng(shot), "a PNG file for the window's screenshot", "\"" + utf8(shot) + "\"");
  d.expect(isPng(d.screenshot(nullptr, "screen")), "a PNG file for the screen", "none");

  d.step("click a button");
  d.click(main, TESTDLG_CHANGE);
  d.waitText(main, TESTDLG_STATUS, L"已改变");

  d.step("tick and clear the check box");
  d.setCheck(main, TESTDLG_OPTION, true);
  d.waitText(main, TESTDLG_OPTION_STATE, L"已选");
  d.setCheck(main, TESTDLG_OPTION, false);
  d.waitText(main, TESTDLG_OPTION_STATE, L"未选");
  d.expect(!d.checked(main, TESTDLG_OPTION), "the box clear", "ticked");

  d.step("Enter through the program's own loop");
  d.key(main, VK_RETURN);
  d.waitText(main, TESTDLG_STATUS, L"回车");

  d.step("a second dialog with the same caption");
  d.click(main, TESTDLG_LATER);
  HWND second = d.waitWindow(kSecond);
  d.expectText(second, TESTDLG_SECOND_TEXT, L"第二个窗口");
  d.expectVisible(main, TESTDLG_STATUS, true);
  d.screenshot(second, "second-dialog");
  d.click(second, IDOK);
  d.waitGone(second, "the second dialog");
  d.waitText(main, TESTDLG_STATUS, L"第二个窗口已关闭");

  d.step("a wait that runs out");
  std::string message;
  try {
    d.waitText(main, TESTDLG_STATUS, L"永远不会出现", 300);
  } catch (const StepFailure& failure) {
    message = failure.what();
  }
  d.log("  the timeout said: " + message);
  for (const char* part : {"scenario ", "step \"a wait that runs out\"", "control 1101 to read \"永远不会出现\"",
                           "within 300 ms", "seen \"第二个窗口已关闭\""})
    d.expect(message.find(part) != std::string::npos, std::string("the failure message to hold ") + part,
             "\"" + message + "\"");
  try {
    d.control(main, 4242);
    message.clear();
  } catch (const StepFailure& failure) {
    message = failure.what();
  }
  d.expect(message.find("control 4242") != std::string::npos, "a missing control to be named", "\"" + message + "\"");

  d.step("Esc ends the program");
  d.key(main, VK_ESCAPE);
  const DWORD code = d.waitExit();
  d.expect(code == TESTDLG_EXIT_ESCAPE, "exit code " + std::to_string(TESTDLG_EXIT_ESCAPE), std::to_string(code));
  d.expect(!IsWindow(main), "the dialog gone", utf8(describe(main)));
}

// A close request to the test dialog, started from another folder.
TEST_F(TestDialog, driver_close) {
  d.step("start the test dialog from another folder");
  d.start(o.program, L"", o.workingDirectory);
  HWND main = d.waitWindow(kMain);
  d.step("a close request");
  d.postClose(main);
  const DWORD code = d.waitExit();
  d.expect(code == TESTDLG_EXIT_CLOSE, "exit code " + std::to_string(TESTDLG_EXIT_CLOSE), std::to_string(code));
}

}  // namespace velkor::e2e
