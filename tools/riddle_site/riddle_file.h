// Riddle files: the bundled collection and an operator's own, in UTF-8.
//
// One riddle a line: question, answer and, optionally, its kind ("打一字"),
// separated by tabs (TSV) or by commas (CSV, where a text with a comma or a
// quote is written in double quotes, a quote inside doubled). Blank lines
// and lines starting with "#" are skipped, and so is a first line that names
// the columns ("question" or "谜面" first). Blanks around each text are
// dropped. A riddle is refused, with its line number and the reason, when
// the game could not play it as written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "riddle_catalog.h"

namespace riddle_site {

enum class RiddleFileFormat { Tsv, Csv };

// What is wrong with a file: line 0 stands for the file as a whole.
struct RiddleFileProblem {
  int line = 0;
  std::string reason;  // UTF-8
};

struct LoadedRiddles {
  std::vector<RiddleText> riddles;  // GBK, the kind joined to the question
  std::optional<RiddleFileProblem> problem;
};

// The riddles of a file's content; the first problem found stops the reading.
LoadedRiddles ParseRiddles(std::string_view utf8Content, RiddleFileFormat format);

// The riddles of the file at path: CSV when its name ends with ".csv" (in
// any letter case), TSV otherwise. A file without riddles is a problem too.
LoadedRiddles LoadRiddleFile(const std::string& path);

// "path:line: reason", or "path: reason" for the file as a whole (UTF-8).
std::string DescribeProblem(const std::string& path, const RiddleFileProblem& problem);

}  // namespace riddle_site
