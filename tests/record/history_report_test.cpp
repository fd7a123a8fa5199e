// The history report: one self-contained page with the printer's runs from every station and a
// chart of each measured quantity against its limits. tests/cli has Chromium read and draw it.

#include "record/history_report.h"

#include <gtest/gtest.h>

#include "support/record_runs.h"

namespace {

using record::Measurement;
using record::ServiceRecordEntry;

ServiceRecordEntry Run(const std::string& time, const std::string& station, int function,
                       std::vector<Measurement> measured) {
  ServiceRecordEntry e = testing_support::SampleRun("AB12345678", time, function);
  e.station = station;
  e.host = "pc-" + station;
  for (const Measurement& m : measured)
    if (m.verdict == record::kVerdictFail) e.result = record::kRecordFailed;
  e.measurements = std::move(measured);
  return e;
}

// Three runs on two stations, newest first: the middle one failed its current; the first
// measured DE64 before the current.
record::PrinterHistory History() {
  const auto current = [](double value) {
    return record::Judge("CR Current_H", value, "", 250, 500);
  };
  ServiceRecordEntry failed = Run("2026-12-08 10:00:00", "L1-03-J07", 210060,
                                  {current(520), record::Judge("DE64", 0.1, "", {}, 0.15)});
  failed.messages = {"<script>alert(1)</script> & \"quotes\""};
  failed.lastError = -983;
  return {{Run("2026-12-09 09:00:00", "L2-07-J02", 210060, {current(380)}), failed,
           Run("2026-12-07 08:00:00", "L1-03-J07", 210060,
               {record::Judge("DE64", 0.12, "", {}, 0.15), current(310)})},
          std::nullopt};
}

using testing_support::Occurrences;

TEST(HistoryReport, RunsAndChartsInOnePageThatFetchesNothing) {
  const std::string page = record::HistoryReport("AB12345678", History(), "2026-12-09 12:00:00");
  EXPECT_NE(page.find("<h1>Printer AB12345678</h1>"), std::string::npos);
  EXPECT_NE(page.find("3 runs on 2 stations"), std::string::npos);
  EXPECT_EQ(Occurrences(page, "<tr>"), 4u);            // the headings and three runs
  EXPECT_EQ(Occurrences(page, "<svg"), 2u);            // one chart a quantity
  EXPECT_EQ(Occurrences(page, "class=\"fail\""), 1u);  // the current of 520; DE64 passed
  EXPECT_EQ(Occurrences(page, "class=\"pass\""), 4u);  // 380, 310 and DE64 twice
  EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt; &amp; &quot;quotes&quot;"),
            std::string::npos);
  for (const char* outside : {"<script", "http:", "https:", "src=", "@import", "url("})
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;

  // The quantity with a failed value comes first; DE64 passed every time.
  EXPECT_LT(page.find("aria-label=\"CR Current_H\""), page.find("aria-label=\"DE64\""));
  // The current's chart: oldest run left, its limits across, its failed point red.
  const std::size_t chart = page.find("aria-label=\"CR Current_H\"");
  ASSERT_NE(chart, std::string::npos);
  const std::string svg = page.substr(chart, page.find("</svg>", chart) - chart);
  EXPECT_EQ(Occurrences(svg, "class=\"limit\""), 2u);
  EXPECT_NE(svg.find(">low 250<"), std::string::npos);
  EXPECT_NE(svg.find(">high 500<"), std::string::npos);
  EXPECT_LT(svg.find("2026-12-07 08:00:00, L1-03-J07 (pc-L1-03-J07): 310 pass"),
            svg.find("2026-12-08 10:00:00, L1-03-J07 (pc-L1-03-J07): 520 fail"));
}

TEST(HistoryReport, AHistoryFromThisStationAloneSaysWhy) {
  record::PrinterHistory history;
  history.databaseError = "The line database cannot be reached: refused";
  const std::string page = record::HistoryReport("", history, "2026-12-09 12:00:00");
  EXPECT_NE(page.find("This station's record only: The line database cannot be reached: refused"),
            std::string::npos);
  EXPECT_NE(page.find("Printer without serial number"), std::string::npos);
  EXPECT_NE(page.find("No run of this printer measured anything."), std::string::npos);
}

}  // namespace
