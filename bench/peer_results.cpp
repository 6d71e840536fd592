#include "bench/peer_results.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>

namespace velkor::bench::peer {

namespace {

constexpr char kRunTag[] = "peer-run ";
constexpr char kLoadTag[] = "peer-load ";

// The text after `tag` in `line`, or nothing.
std::optional<std::string> after(const std::string& line, const char* tag) {
  const std::size_t at = line.find(tag);
  if (at == std::string::npos) return std::nullopt;
  return line.substr(at + std::char_traits<char>::length(tag));
}

bool readNumber(const std::string& text, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && out >= 0;
}

std::string printf1(const char* pattern, double a, double b = 0, double c = 0) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, a, b, c);
  return text;
}

std::string grouped(std::uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

struct Measure {
  const char* what;
  std::function<double(const Run&)> value;
  std::function<std::string(double median, double low, double high)> figure;
  const char* goal;  // for the ratio subject / peer
};

std::string milliseconds(double median, double low, double high) {
  return printf1("%.0f ms (%.0f-%.0f)", median * 1000, low * 1000, high * 1000);
}
std::string mebibytes(double median, double low, double high) {
  return printf1("%.1f MiB (%.1f-%.1f)", median / 1048576, low / 1048576, high / 1048576);
}
std::string bytes(double median, double, double) {
  return grouped(static_cast<std::uint64_t>(median)) + printf1(" B (%.1f MiB)", median / 1048576);
}

}  // namespace

std::string formatRun(const Run& r) {
  char text[256];
  std::snprintf(text, sizeof text, "%s%s start=%.6f install=%.6f total=%.6f peak=%llu size=%llu checked=%d",
                kRunTag, r.setup.c_str(), r.start, r.install, r.total, static_cast<unsigned long long>(r.peak),
                static_cast<unsigned long long>(r.size), r.checked);
  return text;
}

std::optional<Run> parseRun(const std::string& line) {
  const auto rest = after(line, kRunTag);
  if (!rest) return std::nullopt;
  std::istringstream in(*rest);
  Run r;
  if (!(in >> r.setup)) return std::nullopt;
  std::map<std::string, double> fields;
  for (std::string field; in >> field;) {
    const std::size_t eq = field.find('=');
    double value = 0;
    if (eq == std::string::npos || !readNumber(field.substr(eq + 1), value)) return std::nullopt;
    fields[field.substr(0, eq)] = value;
  }
  for (const char* key : {"start", "install", "total", "peak", "size", "checked"})
    if (fields.count(key) == 0) return std::nullopt;
  r.start = fields["start"];
  r.install = fields["install"];
  r.total = fields["total"];
  r.peak = static_cast<std::uint64_t>(fields["peak"]);
  r.size = static_cast<std::uint64_t>(fields["size"]);
  r.checked = static_cast<int>(fields["checked"]);
  return r;
}

std::optional<Load> parseLoad(const std::string& line) {
  const auto rest = after(line, kLoadTag);
  if (!rest) return std::nullopt;
  std::istringstream in(*rest);
  Load load;
  double a = 0, b = 0, c = 0;
  if (!(in >> load.when >> a >> b >> c)) return std::nullopt;
  load.averages = printf1("%.2f %.2f %.2f", a, b, c);
  return load;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::vector<Row> table(const std::vector<Run>& runs, const std::vector<Load>& loads) {
  std::vector<std::string> setups;  // in the order they first ran; the first is the subject
  std::map<std::string, std::vector<const Run*>> bySetup;
  for (const Run& r : runs) {
    if (bySetup.count(r.setup) == 0) setups.push_back(r.setup);
    bySetup[r.setup].push_back(&r);
  }
  std::vector<Row> rows;
  if (setups.empty()) return rows;
  const std::string& subject = setups.front();

  const std::size_t n = bySetup[subject].size();
  const std::string rounds = std::to_string(n) + (n == 1 ? " round" : " rounds");
  rows.push_back({true, subject + " vs peers: medians (low-high), " + rounds, "", 0, ""});

  const Measure measures[] = {
      {"start to painted first window", [](const Run& r) { return r.start; }, milliseconds, "< 1.00"},
      {"install phase: the click to the end", [](const Run& r) { return r.install; }, milliseconds, "< 1.00"},
      {"start + install, clicks included", [](const Run& r) { return r.total; }, milliseconds, "< 1.00"},
      {"peak working set at the end", [](const Run& r) { return static_cast<double>(r.peak); }, mebibytes, ""},
      {"setup file size", [](const Run& r) { return static_cast<double>(r.size); }, bytes, ""},
  };
  for (const Measure& m : measures) {
    double subjectMedian = 0;
    for (const std::string& setup : setups) {
      std::vector<double> values;
      for (const Run* r : bySetup[setup]) values.push_back(m.value(*r));
      const double mid = median(values);
      const auto [low, high] = std::minmax_element(values.begin(), values.end());
      const std::string figure = m.figure(mid, *low, *high);
      if (setup == subject) {
        subjectMedian = mid;
        rows.push_back({false, std::string(m.what) + ": " + setup, figure, 0, ""});
      } else {
        rows.push_back({false, "  " + setup + " (ratio " + subject + " / it)", figure,
                        mid > 0 ? subjectMedian / mid : 0, m.goal});
      }
    }
  }

  std::string checked;
  for (const std::string& setup : setups) {
    int fewest = bySetup[setup].front()->checked;
    for (const Run* r : bySetup[setup]) fewest = std::min(fewest, r->checked);
    checked += (checked.empty() ? "" : " / ") + std::to_string(fewest);
  }
  rows.push_back({false, "files compared byte for byte after each run, same order", checked, 0, ""});
  for (const Load& load : loads)
    rows.push_back({false, "machine load " + load.when + " (1, 5, 15 min)", load.averages, 0, ""});
  return rows;
}

}  // namespace velkor::bench::peer
