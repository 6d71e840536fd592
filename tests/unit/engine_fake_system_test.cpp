// The in-memory FileSystem keeps the contract the Win32 adapter keeps under Wine.
#include <gtest/gtest.h>

#include "fakes/fake_system.h"
#include "unit/engine_file_system_contract.h"

namespace velkor {
namespace {

TEST(FakeSystemContract, BehavesLikeTheWin32FileSystem) {
  fakes::FakeSystem fs;
  const std::u16string root = u"C:\\contract";
  ASSERT_TRUE(fs.createDirectory(root));
  contract::runFileSystemContract(fs, root);
}

}  // namespace
}  // namespace velkor
