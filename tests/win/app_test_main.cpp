// The start of a test program that runs the wizard's own windows in its
// process: an application object that knows its module, and the system
// libraries loaded as the wizard's start loads them.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/velkarsetup.h"
#include "framework/app.h"

namespace {
velkor::fw::CWinApp testApp;
}  // namespace

int main(int argc, char** argv) {
  testApp.m_hInstance = GetModuleHandleW(nullptr);
  velkor::InitSystemLibraries();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
