// Bar charts drawn on the server as SVG, to be put into a page as it is.
#pragma once

#include <string>
#include <vector>

namespace riddle_site {

struct Bar {
  std::string label;  // UTF-8
  double value = 0;
};

// A horizontal bar per entry, in the given order, each with its label and
// value; bars are scaled to the largest value, and values of 0 or below
// get no bar. The SVG fills the width of its box and has the id "chart".
std::string HorizontalBarChart(const std::vector<Bar>& bars, const std::string& title);

}  // namespace riddle_site
