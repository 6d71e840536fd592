// The peer benchmark's figures: one line per run (each run is a process in a
// prefix of its own, so runs hand their figures on as text), and the table of
// medians and ratios made from all of them. Portable, so that the arithmetic
// is tested natively; the Windows side prints the rows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velkor::bench::peer {

// What one run measured of one setup file.
struct Run {
  std::string setup;         // its label, e.g. "Velkorsetup.exe" or "nsis-lzma"; no spaces
  double start = 0;          // seconds: CreateProcessW to the first window painted
  double install = 0;        // seconds: the click that starts the installation to its end
  double total = 0;          // seconds: CreateProcessW to the end, the clicks included
  std::uint64_t peak = 0;    // bytes: the installer's peak working set at the end
  std::uint64_t size = 0;    // bytes: the setup file
  int checked = 0;           // files compared byte for byte with the payload afterwards
};

// "peer-run <setup> start=<s> install=<s> total=<s> peak=<bytes> size=<bytes> checked=<n>"
std::string formatRun(const Run& run);
// A line formatRun wrote (surrounding text allowed before "peer-run"); nothing
// for any other line or a line with a field missing or unreadable.
std::optional<Run> parseRun(const std::string& line);

// "peer-load <when> <the 1-, 5- and 15-minute load averages>", as the rounds
// script records the machine's load around the runs.
struct Load {
  std::string when;
  std::string averages;
};
std::optional<Load> parseLoad(const std::string& line);

// One row of the printed table (or a heading when `heading` is set).
struct Row {
  bool heading = false;
  std::string what;
  std::string figure;
  double ratio = 0;  // 0: none
  std::string goal;
};

// The middle value (the upper of the two middle ones for an even count).
double median(std::vector<double> values);

// The table: for each measure the subject's median (the setup of the first
// run) and each other setup's median with the ratio subject / that setup,
// in the order the setups first ran; each median with its lowest and highest
// run.
std::vector<Row> table(const std::vector<Run>& runs, const std::vector<Load>& loads);

}  // namespace velkor::bench::peer
