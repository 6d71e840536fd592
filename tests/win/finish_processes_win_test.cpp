// Starting the product and the process scan with the Win32 adapters: a
// stand-in started as the finish starts the product, found in the toolhelp
// snapshot by its exact name, and ended through the port.
#include <gtest/gtest.h>

#include "engine/completion.h"
#include "platform/win32_finish_ports.h"
#include "win/finish_win_support.h"

namespace velkor {
namespace {

using namespace wintest;

const std::wstring kInstallDir = L"C:\\Program Files\\VelkorCrypt\\";
const std::wstring kCaseDir = L"C:\\VelkorCase\\";

struct RealProcesses : ::testing::Test {
  Win32Processes processes;
  Win32ShellExecutor executor;

  void SetUp() override {
    CreateDirectoryW(L"C:\\Program Files", nullptr);
    CreateDirectoryW(kInstallDir.c_str(), nullptr);
    const std::wstring standin = hostPath("VELKOR_STANDIN_GUI");
    ASSERT_TRUE(CopyFileW(standin.c_str(), (kInstallDir + L"VelkorCrypt.exe").c_str(), FALSE));
    // The same name in other letter case needs a folder of its own.
    CreateDirectoryW(kCaseDir.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(standin.c_str(), (kCaseDir + L"velkorcrypt.exe").c_str(), FALSE));
  }

  static bool listed(const std::vector<ProcessEntry>& entries, const std::u16string& name, DWORD id) {
    for (const auto& e : entries)
      if (e.exeFile == name && e.processId == id) return true;
    return false;
  }
};

TEST_F(RealProcesses, TheProductStartsFromItsFolderAndIsFoundAndEnded) {
  const ShellExecuteResult started = executor.shellExecute(finish::productStart(show::kShow));
  ASSERT_GT(started.instApp, 32);
  ASSERT_TRUE(started.process) << "SEE_MASK_NOCLOSEPROCESS gives the process";
  const HANDLE product = reinterpret_cast<HANDLE>(started.process.value);
  WaitForInputIdle(product, 5000);
  const DWORD id = GetProcessId(product);

  const std::vector<ProcessEntry> entries = processes.snapshot();
  EXPECT_TRUE(listed(entries, u"VelkorCrypt.exe", id));
  // The last exact match wins; the product is one of the candidates.
  const std::uint32_t chosen = chooseProcessToEnd(entries);
  EXPECT_NE(chosen, 0u);
  bool chosenIsLastMatch = false;
  for (const auto& e : entries)
    if (e.exeFile == u"VelkorCrypt.exe" || e.exeFile == u"explorer.exe") chosenIsLastMatch = e.processId == chosen;
  EXPECT_TRUE(chosenIsLastMatch);

  const ProcessHandle handle = processes.openForTerminate(id);
  ASSERT_TRUE(handle);
  EXPECT_TRUE(processes.terminate(handle, 0));
  EXPECT_TRUE(processes.closeHandle(handle));
  EXPECT_EQ(WaitForSingleObject(product, 10000), WAIT_OBJECT_0);
  DWORD code = 1;
  EXPECT_TRUE(GetExitCodeProcess(product, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(processes.closeHandle(started.process));
}

TEST_F(RealProcesses, ANameThatDiffersInCaseIsNeverChosen) {
  ShellExecuteRequest request = finish::productStart(show::kMinimize);
  request.file = u"velkorcrypt.exe";
  request.directory = utf16(kCaseDir);
  const ShellExecuteResult started = executor.shellExecute(request);
  ASSERT_GT(started.instApp, 32);
  const HANDLE other = reinterpret_cast<HANDLE>(started.process.value);
  WaitForInputIdle(other, 5000);
  const DWORD id = GetProcessId(other);
  const auto entries = processes.snapshot();
  EXPECT_TRUE(listed(entries, u"velkorcrypt.exe", id));
  EXPECT_NE(chooseProcessToEnd(entries), id);
  TerminateProcess(other, 0);
  WaitForSingleObject(other, 10000);
  CloseHandle(other);
}

TEST_F(RealProcesses, AMissingProgramReportsAFailedStart) {
  ShellExecuteRequest request = finish::productStart(show::kShow);
  request.file = u"NoSuchProgram.exe";
  request.mask |= 0x400;  // SEE_MASK_FLAG_NO_UI: no error box in a test
  const ShellExecuteResult started = executor.shellExecute(request);
  EXPECT_LE(started.instApp, 32);
  EXPECT_FALSE(started.process);
}

}  // namespace
}  // namespace velkor
