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
// value; values of 0 or below get no bar. Bars are scaled to the largest
// value that is no outlier (far above the others' median): an outlier's
// bar is drawn cut (class "bar cut"), so that one huge value does not
// flatten the rest. Labels too long for their column are shortened; a
// row's title tells the whole label. The SVG fills the width of its box
// but never shrinks below the size its labels are readable at, and has the
// id "chart".
std::string HorizontalBarChart(const std::vector<Bar>& bars, const std::string& title);

}  // namespace riddle_site
