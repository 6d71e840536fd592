// Diagnostics reach a line-oriented channel (the debugger's) as one line
// each, whether or not their text already ends the line.
#include <gtest/gtest.h>

#include <string>

#include "engine/trace.h"

namespace velkor::trace {
namespace {

TEST(Trace, EveryDiagnosticBecomesExactlyOneLine) {
  EXPECT_EQ(asLine(u"Draw: no picture"), u"Draw: no picture\n");
  EXPECT_EQ(asLine(u"vecFace[0].nPos = 3\n"), u"vecFace[0].nPos = 3\n") << "no second line feed";
  EXPECT_EQ(asLine(u""), u"\n");
  EXPECT_EQ(asLine(u"排序之后：\n"), u"排序之后：\n");
  // Only the end counts: inner line feeds and a deliberately empty last line stay.
  EXPECT_EQ(asLine(u"a\nb"), u"a\nb\n");
  EXPECT_EQ(asLine(u"a\n\n"), u"a\n\n");
}

}  // namespace
}  // namespace velkor::trace
