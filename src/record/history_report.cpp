#include "record/history_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

namespace record {
namespace {

std::string Escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Fixed(double value, int decimals = 1) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// A value as a chart shows it: whole numbers whole, others to a few significant digits.
std::string Short(double value) {
  char text[32];
  const bool whole = std::fabs(value) < 1e9 && value == std::floor(value);
  std::snprintf(text, sizeof text, whole ? "%.0f" : "%.4g", value);
  return text;
}

std::string Station(const ServiceRecordEntry& run) {
  return run.host.empty() ? run.station : run.station + " (" + run.host + ")";
}

constexpr const char* kStyle =
    "body{font-family:'DejaVu Sans',Arial,sans-serif;margin:24px;color:#1b1b1b}"
    "h1{font-size:22px;margin:0 0 4px}h2{font-size:17px;margin:28px 0 8px}"
    ".note{color:#555;margin:0 0 12px}.warn{color:#8a4b00}"
    "table{border-collapse:collapse;width:100%;font-size:13px}"
    "th,td{border:1px solid #c8c8c8;padding:4px 6px;text-align:left;vertical-align:top}"
    "th{background:#eef1f5}.done{color:#176f2c;font-weight:bold}"
    ".failed{color:#b3261e;font-weight:bold}.cancelled{color:#8a4b00;font-weight:bold}"
    "ul{margin:0;padding-left:16px}.charts{display:flex;flex-wrap:wrap;gap:16px}"
    "figure{margin:0;border:1px solid #c8c8c8;padding:8px}"
    "figcaption{font-size:13px;font-weight:bold;margin-bottom:4px}";

void AppendRunRow(std::string& html, const ServiceRecordEntry& run) {
  int failed = 0;
  for (const Measurement& m : run.measurements) failed += m.verdict == kVerdictFail ? 1 : 0;
  html += "<tr><td>" + Escaped(run.time) + "</td><td>" + Escaped(Station(run)) + "</td><td>" +
          Escaped(run.title) + " (" + std::to_string(run.functionNumber) + ")</td><td class=\"" +
          Escaped(run.result) + "\">" + Escaped(run.result) + "</td><td>" +
          (run.lastError == 0 || run.lastError == 1 ? "" : std::to_string(run.lastError)) +
          "</td><td>";
  if (!run.measurements.empty())
    html += std::to_string(run.measurements.size()) + " measured" +
            (failed > 0 ? ", " + std::to_string(failed) + " failed" : "");
  html += "</td><td>";
  if (!run.messages.empty()) {
    html += "<ul>";
    for (const std::string& message : run.messages) html += "<li>" + Escaped(message) + "</li>";
    html += "</ul>";
  }
  html += "</td></tr>\n";
}

// One point of a quantity's chart: the run's time and station, and what was measured.
struct Point {
  const ServiceRecordEntry* run;
  const Measurement* measured;
};

// The chart's plot area, in the picture's own units.
constexpr double kLeft = 58, kRight = 462, kTop = 16, kBottom = 176;

// The value range a chart shows, widened to whole steps of 1, 2 or 5 times a power of ten.
struct Scale {
  double low, high, step;
  double Y(double value) const { return kBottom - (value - low) / (high - low) * (kBottom - kTop); }
};

Scale ScaleOf(const std::vector<Point>& points) {
  double low = points[0].measured->value;
  double high = low;
  for (const Point& p : points) {
    for (const auto& v : {std::optional(p.measured->value), p.measured->low, p.measured->high})
      if (v && std::isfinite(*v)) {
        low = std::min(low, *v);
        high = std::max(high, *v);
      }
  }
  if (high == low) {
    low -= std::max(1.0, std::fabs(low) * 0.1);
    high += std::max(1.0, std::fabs(high) * 0.1);
  }
  const double rough = (high - low) / 4;
  const double power = std::pow(10, std::floor(std::log10(rough)));
  const double step = rough / power <= 1   ? power
                      : rough / power <= 2 ? 2 * power
                      : rough / power <= 5 ? 5 * power
                                           : 10 * power;
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

// A limit line across the chart, where every point has that limit; its label above the line for
// an upper limit, below it for a lower one.
void AppendLimit(std::string& svg, const Scale& scale, std::optional<double> limit, bool upper) {
  if (!limit) return;
  const std::string y = Fixed(scale.Y(*limit));
  svg += "<line class=\"limit\" x1=\"" + Fixed(kLeft) + "\" x2=\"" + Fixed(kRight) + "\" y1=\"" +
         y + "\" y2=\"" + y + "\" stroke=\"#b3261e\" stroke-dasharray=\"6 4\"/><text x=\"" +
         Fixed(kRight + 4) + "\" y=\"" + Fixed(scale.Y(*limit) + (upper ? -2 : 10)) +
         "\" font-size=\"11\" fill=\"#b3261e\">" + (upper ? "high " : "low ") +
         Escaped(Short(*limit)) + "</text>";
}

std::string Chart(const std::string& name, const std::vector<Point>& points) {
  const Scale scale = ScaleOf(points);
  const double span = kRight - kLeft - 20;
  const auto x = [&](std::size_t i) {
    return points.size() > 1
               ? kLeft + 10 + span * static_cast<double>(i) / static_cast<double>(points.size() - 1)
               : (kLeft + kRight) / 2;
  };
  std::string svg =
      "<svg width=\"540\" height=\"206\" viewBox=\"0 0 540 206\" role=\"img\" "
      "aria-label=\"" +
      Escaped(name) + "\"><rect x=\"" + Fixed(kLeft) + "\" y=\"" + Fixed(kTop) + "\" width=\"" +
      Fixed(kRight - kLeft) + "\" height=\"" + Fixed(kBottom - kTop) +
      "\" fill=\"#fafbfc\" stroke=\"#c8c8c8\"/>";
  for (double value = scale.low; value <= scale.high + scale.step / 2; value += scale.step)
    svg += "<text x=\"" + Fixed(kLeft - 4) + "\" y=\"" + Fixed(scale.Y(value) + 4) +
           "\" font-size=\"11\" text-anchor=\"end\" fill=\"#555\">" + Short(value) + "</text>";
  // A limit is drawn when every run had the same one; the points say pass or fail either way.
  std::set<std::optional<double>> lows, highs;
  for (const Point& p : points) {
    lows.insert(p.measured->low);
    highs.insert(p.measured->high);
  }
  if (lows.size() == 1) AppendLimit(svg, scale, *lows.begin(), false);
  if (highs.size() == 1) AppendLimit(svg, scale, *highs.begin(), true);
  std::string line;
  for (std::size_t i = 0; i < points.size(); ++i)
    line += Fixed(x(i)) + "," + Fixed(scale.Y(points[i].measured->value)) + " ";
  svg +=
      "<polyline fill=\"none\" stroke=\"#4a6fa5\" stroke-width=\"1.5\" points=\"" + line + "\"/>";
  for (std::size_t i = 0; i < points.size(); ++i) {
    const Measurement& m = *points[i].measured;
    const bool passed = m.verdict == kVerdictPass;
    svg += "<circle class=\"" + std::string(passed ? "pass" : "fail") + "\" cx=\"" + Fixed(x(i)) +
           "\" cy=\"" + Fixed(scale.Y(m.value)) + "\" r=\"5\" fill=\"" +
           (passed ? "#1e8e3e" : "#d93025") + "\"><title>" + Escaped(points[i].run->time) + ", " +
           Escaped(Station(*points[i].run)) + ": " + Escaped(Short(m.value)) + Escaped(m.unit) +
           " " + m.verdict + "</title></circle>";
  }
  svg += "<text x=\"" + Fixed(kLeft) + "\" y=\"194\" font-size=\"11\" fill=\"#555\">" +
         Escaped(points.front().run->time) + "</text>";
  if (points.size() > 1)
    svg += "<text x=\"" + Fixed(kRight) +
           "\" y=\"194\" font-size=\"11\" text-anchor=\"end\" "
           "fill=\"#555\">" +
           Escaped(points.back().run->time) + "</text>";
  return svg + "</svg>";
}

void AppendCharts(std::string& html, const std::vector<ServiceRecordEntry>& runs) {
  // Quantities in the order first measured, those with a failed value first; each over its
  // runs, oldest first.
  std::vector<std::string> order;
  std::map<std::string, std::vector<Point>> byName;
  std::map<std::string, std::string> units;
  for (auto run = runs.rbegin(); run != runs.rend(); ++run)
    for (const Measurement& m : run->measurements) {
      if (!byName.contains(m.name)) order.push_back(m.name);
      byName[m.name].push_back({&*run, &m});
      units[m.name] = m.unit;
    }
  if (order.empty()) {
    html += "<p class=\"note\">No run of this printer measured anything.</p>";
    return;
  }
  const auto anyFailed = [&byName](const std::string& name) {
    return std::any_of(byName[name].begin(), byName[name].end(),
                       [](const Point& p) { return p.measured->verdict == kVerdictFail; });
  };
  std::stable_partition(order.begin(), order.end(), anyFailed);
  html += "<div class=\"charts\">";
  for (const std::string& name : order) {
    const auto& points = byName[name];
    int failed = 0;
    for (const Point& p : points) failed += p.measured->verdict == kVerdictFail ? 1 : 0;
    html += "<figure><figcaption>" + Escaped(name) +
            (units[name].empty() ? "" : " (" + Escaped(units[name]) + ")") + " &middot; " +
            std::to_string(points.size()) + (points.size() == 1 ? " run" : " runs") +
            (failed > 0 ? ", " + std::to_string(failed) + " failed" : "") + "</figcaption>" +
            Chart(name, points) + "</figure>\n";
  }
  html += "</div>";
}

}  // namespace

std::string HistoryReport(const std::string& serial, const PrinterHistory& history,
                          const std::string& generated) {
  std::set<std::string> stations;
  for (const ServiceRecordEntry& run : history.runs) stations.insert(Station(run));
  const std::string title = "Printer " + Escaped(serial.empty() ? "without serial number" : serial);
  std::string html = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>" +
                     title + " &middot; history</title><style>" + kStyle +
                     "</style></head><body>\n<h1>" + title + "</h1>\n<p class=\"note\">" +
                     std::to_string(history.runs.size()) + " runs on " +
                     std::to_string(stations.size()) + " stations, newest first. Made " +
                     Escaped(generated) + ".</p>\n";
  if (history.databaseError)
    html +=
        "<p class=\"note warn\">This station's record only: " + Escaped(*history.databaseError) +
        "</p>\n";
  html +=
      "<h2>Runs</h2>\n<table><tr><th>Time</th><th>Station</th><th>Item</th><th>Result</th>"
      "<th>Error</th><th>Measured</th><th>Messages</th></tr>\n";
  for (const ServiceRecordEntry& run : history.runs) AppendRunRow(html, run);
  html += "</table>\n<h2>Measurements</h2>\n";
  AppendCharts(html, history.runs);
  return html + "\n</body></html>\n";
}

}  // namespace record
