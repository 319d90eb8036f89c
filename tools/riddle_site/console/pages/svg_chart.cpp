#include "console/pages/svg_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string_view>

#include "console/pages/console_html.h"
#include "runtime/utf8_sequence.h"

namespace riddle_site {
namespace {

// In the chart's own units, which are pixels at its narrowest (it never
// shrinks below them, so that a label is never drawn below FontSize).
constexpr int Width = 360;
constexpr int LabelWidth = 112;
constexpr int ValueWidth = 84;
constexpr int BarSpace = Width - LabelWidth - ValueWidth;
constexpr int RowHeight = 24;
constexpr int BarHeight = 16;
constexpr int TitleHeight = 28;
constexpr int FontSize = 13;

// A bar longer than this many times the median of the positive values is
// an outlier: it is drawn cut, so that it does not flatten every other bar.
constexpr double OutlierFactor = 5;

// Appends the pieces one by one (GCC 12 warns falsely, -Wrestrict, of
// literals added to temporary strings).
void Append(std::string& out, std::initializer_list<std::string_view> pieces) {
  for (const std::string_view piece : pieces) {
    out += piece;
  }
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.13g", value);
  return text;
}

// label as far as it fits into width units at FontSize: a wide (CJK)
// character takes a whole em, any other about 0.6 of one.
std::string FitLabel(const std::string& label, double width) {
  const double ellipsis = FontSize;
  double used = 0;
  std::size_t fits = 0;  // bytes that fit with room for the ellipsis
  for (std::size_t at = 0; at < label.size();) {
    const std::size_t length = std::min(zorvane::Utf8SequenceLength(label[at]), label.size() - at);
    used += length > 1 ? FontSize : FontSize * 0.6;
    at += length;
    if (used > width) {
      return label.substr(0, fits) + "…";
    }
    if (used + ellipsis <= width) {
      fits = at;
    }
  }
  return label;
}

// The value that fills the bar space: the largest one that is no outlier.
double ScaleOf(const std::vector<Bar>& bars) {
  std::vector<double> positive;
  for (const Bar& bar : bars) {
    if (std::isfinite(bar.value) && bar.value > 0) {
      positive.push_back(bar.value);
    }
  }
  if (positive.empty()) {
    return 0;
  }
  std::sort(positive.begin(), positive.end());
  const std::size_t middle = positive.size() / 2;
  const double median =
      positive.size() % 2 == 1 ? positive[middle] : (positive[middle - 1] + positive[middle]) / 2;
  double scale = positive.front();
  for (const double value : positive) {
    if (value <= OutlierFactor * median) {
      scale = value;
    }
  }
  return scale;
}

}  // namespace

std::string HorizontalBarChart(const std::vector<Bar>& bars, const std::string& title) {
  const double scale = ScaleOf(bars);
  const int height = TitleHeight + RowHeight * static_cast<int>(bars.size()) + 8;
  std::string svg =
      "<svg id=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" viewBox=\"0 0 " +
      std::to_string(Width) + " " + std::to_string(height) +
      "\" width=\"100%\" style=\"min-width:" + std::to_string(Width) +
      "px;max-width:" + std::to_string(Width * 3 / 2) + "px\" font-size=\"" +
      std::to_string(FontSize) + "\">";
  svg += "<title>" + EscapeHtml(title) + "</title>";
  svg += "<text x=\"0\" y=\"18\" font-weight=\"bold\">" + EscapeHtml(title) + "</text>";
  int y = TitleHeight;
  for (const Bar& bar : bars) {
    const bool positive = scale > 0 && std::isfinite(bar.value) && bar.value > 0;
    const bool cut = positive && bar.value > scale;
    const int length =
        positive ? static_cast<int>(std::lround(std::min(1.0, bar.value / scale) * BarSpace)) : 0;
    const std::string top = std::to_string(y);
    const std::string baseline = std::to_string(y + BarHeight - 3);
    const std::string label = EscapeHtml(FitLabel(bar.label, LabelWidth - 6));
    const std::string value = EscapeHtml(Number(bar.value));
    // Hovering a row tells its whole label and value.
    Append(svg, {"<g><title>", EscapeHtml(bar.label), "：", value, "</title>"});
    Append(svg, {"<text x=\"", std::to_string(LabelWidth - 6), "\" y=\"", baseline,
                 "\" text-anchor=\"end\">", label, "</text>"});
    if (length > 0) {
      Append(svg, {"<rect class=\"", cut ? "bar cut" : "bar", "\" x=\"", std::to_string(LabelWidth),
                   "\" y=\"", top, "\" width=\"", std::to_string(length), "\" height=\"",
                   std::to_string(BarHeight), "\" fill=\"#c0392b\"/>"});
    }
    if (cut) {
      // A gap across the bar near its end: it goes on far beyond the chart.
      Append(svg,
             {"<path d=\"M", std::to_string(LabelWidth + length - 14), " ",
              std::to_string(y + BarHeight + 1), "l5 -", std::to_string(BarHeight + 2), "m3 0l-5 ",
              std::to_string(BarHeight + 2), "\" stroke=\"#fff\" stroke-width=\"2\"/>"});
    }
    Append(svg, {"<text x=\"", std::to_string(LabelWidth + length + 6), "\" y=\"", baseline, "\">",
                 value, "</text></g>"});
    y += RowHeight;
  }
  return svg + "</svg>";
}

}  // namespace riddle_site
