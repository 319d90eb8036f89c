#include "console/pages/svg_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "console/pages/console_html.h"

namespace riddle_site {
namespace {

constexpr int Width = 480;
constexpr int LabelWidth = 130;
constexpr int ValueWidth = 80;
constexpr int RowHeight = 24;
constexpr int BarHeight = 16;
constexpr int TitleHeight = 28;

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.13g", value);
  return text;
}

}  // namespace

std::string HorizontalBarChart(const std::vector<Bar>& bars, const std::string& title) {
  double largest = 0;
  for (const Bar& bar : bars) {
    if (std::isfinite(bar.value)) {
      largest = std::max(largest, bar.value);
    }
  }
  const int height = TitleHeight + RowHeight * static_cast<int>(bars.size()) + 8;
  const int barSpace = Width - LabelWidth - ValueWidth;
  std::string svg =
      "<svg id=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" viewBox=\"0 0 " +
      std::to_string(Width) + " " + std::to_string(height) +
      "\" width=\"100%\" style=\"max-width:" + std::to_string(Width) +
      "px;min-width:360px\" font-size=\"13\">";
  svg += "<title>" + EscapeHtml(title) + "</title>";
  svg += "<text x=\"0\" y=\"18\" font-weight=\"bold\">" + EscapeHtml(title) + "</text>";
  int y = TitleHeight;
  for (const Bar& bar : bars) {
    const double share =
        largest > 0 && std::isfinite(bar.value) && bar.value > 0 ? bar.value / largest : 0;
    const int length = static_cast<int>(std::lround(share * barSpace));
    svg += "<text x=\"" + std::to_string(LabelWidth - 6) + "\" y=\"" +
           std::to_string(y + BarHeight - 3) + "\" text-anchor=\"end\">" + EscapeHtml(bar.label) +
           "</text>";
    if (length > 0) {
      svg += "<rect class=\"bar\" x=\"" + std::to_string(LabelWidth) + "\" y=\"" +
             std::to_string(y) + "\" width=\"" + std::to_string(length) + "\" height=\"" +
             std::to_string(BarHeight) + "\" fill=\"#c0392b\"/>";
    }
    svg += "<text x=\"" + std::to_string(LabelWidth + length + 6) + "\" y=\"" +
           std::to_string(y + BarHeight - 3) + "\">" + EscapeHtml(Number(bar.value)) + "</text>";
    y += RowHeight;
  }
  return svg + "</svg>";
}

}  // namespace riddle_site
