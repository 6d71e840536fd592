// The peer benchmark's run lines and its table: what a run hands on must come
// back unchanged, anything else must not pass for a run, and the table's
// medians and ratios must compare the right setups the right way round.
#include "bench/peer_results.h"

#include <gtest/gtest.h>

namespace velkor::bench::peer {
namespace {

Run run(const std::string& setup, double start, double install, double total, std::uint64_t peak,
        std::uint64_t size, int checked) {
  Run r;
  r.setup = setup;
  r.start = start;
  r.install = install;
  r.total = total;
  r.peak = peak;
  r.size = size;
  r.checked = checked;
  return r;
}

TEST(PeerRunLine, ComesBackAsWrittenFromWinesOutput) {
  const peer::Run written = run("nsis-lzma.exe", 0.123456, 1.5, 2.25, 41'943'040, 1'839'527, 9);
  // Wine's C runtime ends lines with CR LF; the rounds script prefixes the round.
  const auto read = parseRun("round 3: " + formatRun(written) + "\r\n");
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->setup, "nsis-lzma.exe");
  EXPECT_DOUBLE_EQ(read->start, 0.123456);
  EXPECT_DOUBLE_EQ(read->install, 1.5);
  EXPECT_DOUBLE_EQ(read->total, 2.25);
  EXPECT_EQ(read->peak, 41'943'040u);
  EXPECT_EQ(read->size, 1'839'527u);
  EXPECT_EQ(read->checked, 9);
}

TEST(PeerRunLine, AnythingElseIsNoRun) {
  for (const std::string line :
       {"", "bench: nsis-off.exe: the installation did not end",
        "peer-run x.exe start=0.1 install=0.2 total=0.3 peak=1 size=2",             // checked missing
        "peer-run x.exe start=0.1 install=fast total=0.3 peak=1 size=2 checked=9",  // not a number
        "peer-run x.exe start=0.1 install=0.2 total=0.3 peak=1 size=2 checked",     // no value
        "peer-run x.exe start=-1 install=0.2 total=0.3 peak=1 size=2 checked=9",    // negative time
        "peer-run"}) {
    SCOPED_TRACE(line);
    EXPECT_FALSE(parseRun(line).has_value());
  }
  EXPECT_FALSE(parseLoad("peer-load before 1.5").has_value());
  const auto load = parseLoad("peer-load after 1.88 3.25 2.96\r\n");
  ASSERT_TRUE(load.has_value());
  EXPECT_EQ(load->when, "after");
  EXPECT_EQ(load->averages, "1.88 3.25 2.96");
}

TEST(PeerMedian, MiddleOfTheSortedValues) {
  EXPECT_DOUBLE_EQ(median({0.5, 0.1, 0.3}), 0.3);
  EXPECT_DOUBLE_EQ(median({4, 1, 3, 2}), 3);  // the upper of the two middle ones
  EXPECT_DOUBLE_EQ(median({7}), 7);
  EXPECT_DOUBLE_EQ(median({}), 0);
}

const Row& rowNamed(const std::vector<Row>& rows, const std::string& what) {
  for (const Row& r : rows)
    if (r.what == what) return r;
  static const Row none{};
  ADD_FAILURE() << "no row \"" << what << "\"";
  return none;
}

TEST(PeerTable, SubjectIsTheFirstSetupAndRatiosAreSubjectOverPeer) {
  // Interleaved as the rounds run them; the wizard's start times out of
  // order, so a table that took the first or last run would be caught.
  const std::vector<peer::Run> runs = {
      run("Velkorsetup.exe", 0.300, 1.0, 1.6, 40 << 20, 64'452'656, 10),
      run("nsis-off.exe", 0.100, 0.5, 0.7, 20 << 20, 57'647'793, 9),
      run("Velkorsetup.exe", 0.500, 1.2, 1.9, 42 << 20, 64'452'656, 10),
      run("nsis-off.exe", 0.200, 0.4, 0.8, 21 << 20, 57'647'793, 9),
      run("Velkorsetup.exe", 0.400, 0.8, 1.4, 41 << 20, 64'452'656, 8),
      run("nsis-off.exe", 0.150, 0.6, 0.9, 22 << 20, 57'647'793, 9),
  };
  const std::vector<Row> rows = table(runs, {{"before", "1.00 2.00 3.00"}});
  ASSERT_FALSE(rows.empty());
  EXPECT_TRUE(rows.front().heading);
  EXPECT_NE(rows.front().what.find("3 rounds"), std::string::npos) << rows.front().what;

  const Row& wizardStart = rowNamed(rows, "start to painted first window: Velkorsetup.exe");
  EXPECT_EQ(wizardStart.figure, "400 ms (300-500)");
  EXPECT_EQ(wizardStart.ratio, 0);
  const Row& nsisStart = rowNamed(rows, "  nsis-off.exe (ratio Velkorsetup.exe / it)");
  EXPECT_EQ(nsisStart.figure, "150 ms (100-200)");
  EXPECT_DOUBLE_EQ(nsisStart.ratio, 0.400 / 0.150);
  EXPECT_EQ(nsisStart.goal, "< 1.00");

  // Each measure has its own pair of rows, in the order of the measures.
  std::vector<double> ratios;
  for (const Row& r : rows)
    if (r.ratio > 0) ratios.push_back(r.ratio);
  ASSERT_EQ(ratios.size(), 5u);
  EXPECT_DOUBLE_EQ(ratios[1], 1.0 / 0.5);             // install
  EXPECT_DOUBLE_EQ(ratios[2], 1.6 / 0.8);             // start + install
  EXPECT_DOUBLE_EQ(ratios[3], 41.0 / 21.0);           // peak working set
  EXPECT_DOUBLE_EQ(ratios[4], 64'452'656.0 / 57'647'793.0);  // size

  EXPECT_EQ(rowNamed(rows, "setup file size: Velkorsetup.exe").figure, "64,452,656 B (61.5 MiB)");
  // The fewest files any run of a setup compared, in the setups' order.
  EXPECT_EQ(rowNamed(rows, "files compared byte for byte after each run, same order").figure, "8 / 9");
  EXPECT_EQ(rowNamed(rows, "machine load before (1, 5, 15 min)").figure, "1.00 2.00 3.00");
}

TEST(PeerTable, NoRunsNoRows) { EXPECT_TRUE(table({}, {}).empty()); }

}  // namespace
}  // namespace velkor::bench::peer
