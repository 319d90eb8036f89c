// Riddle files: the bundled collection and an operator's own, in UTF-8.
//
// One riddle a line: question, answer and, optionally, its kind ("打一字"),
// separated by tabs (TSV) or by commas (CSV, where a text with a comma or a
// quote is written in double quotes, a quote inside doubled). Blank lines
// and lines starting with "#" are skipped, and so is a first line that names
// the columns ("question" or "谜面" first). Blanks around each text are
// dropped. A riddle is refused, with its line number and the reason, when
// the game could not play it as written (riddles/riddle_rules.h).
//
// A file whose column line starts with "id" (or "编号") gives every riddle
// its page number in a first column, so that a riddle keeps its page however
// the file is reordered or edited; "19503 deleted" in that column marks a
// riddle taken out of the chain, whose page stays for the groups that stand
// on it; an empty id gives a riddle the next free number. Without that
// column the riddles are numbered in file order. Ids run from 1 to
// MaxRiddleId.
//
// A file is read as UTF-8; one that is not, but is GBK or GB18030 (as
// spreadsheet programs on Chinese Windows save it), is read as that.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "riddles/riddle_catalog.h"
#include "riddles/riddle_encoding.h"
#include "riddles/riddle_rules.h"

namespace riddle_site {

enum class RiddleFileFormat { Tsv, Csv };

// The largest page number: ids never run past it, so that they never run
// out either (FreeIds), and a file that uses a larger one is refused.
inline constexpr int MaxRiddleId = 9'999'999;

// Problems a parse keeps to tell; the others are only counted, so that a
// large file of bad lines is told in a page of its own size.
inline constexpr std::size_t KeptProblems = 50;

// What is wrong with a file: line 0 stands for the file as a whole.
struct RiddleFileProblem {
  int line = 0;
  Reason reason;
};

// One riddle as the file spells it (UTF-8, blanks around each text dropped).
struct RiddleEntry {
  std::optional<int> id;  // given in the file's id column
  bool deleted = false;
  std::string question;
  std::string answer;
  std::string kind;  // may be empty
};

struct LoadedRiddles {
  std::vector<RiddleText> riddles;             // GBK, the kind joined to the question
  std::vector<RiddleEntry> entries;            // the same riddles as written, in the same order
  bool hasIds = false;                         // the file has an id column
  std::vector<RiddleFileProblem> problems;     // the first KeptProblems, in file order
  std::size_t problemCount = 0;                // of every problem
  TextEncoding encoding = TextEncoding::Utf8;  // that the file was read in
};

// The riddles of a file's content, or its problems: a file with any
// problem is to be refused whole.
LoadedRiddles ParseRiddles(std::string_view utf8Content, RiddleFileFormat format);

// The same of a file's bytes, read in the encoding that DecodeRiddleText
// finds.
LoadedRiddles ParseRiddleBytes(std::string_view bytes, RiddleFileFormat format);

// The riddles of the file at path: CSV when its name ends with ".csv" (in
// any letter case), TSV otherwise. A file without riddles is a problem too.
// Every entry gets its id: in file order from FirstRiddleId in a file
// without ids, after the largest id for an empty id cell.
LoadedRiddles LoadRiddleFile(const std::string& path);

// Ids that no riddle uses yet: the next after the largest in use
// (FirstRiddleId at least) while that is at most MaxRiddleId, then the
// lowest free ones from FirstRiddleId.
class FreeIds {
 public:
  explicit FreeIds(const std::vector<RiddleEntry>& entries);
  // id is in use from now on.
  void Use(int id);
  // A free id, in use from now on; 0 when every id up to MaxRiddleId is.
  int Take();

 private:
  std::unordered_set<int> used_;
  int next_;
  int lowest_;  // no id below it from FirstRiddleId on is free
};

// FreeIds(entries).Take().
int NextFreeId(const std::vector<RiddleEntry>& entries);

// The catalogue of riddles with their texts for the game (in the same
// order), with their ids and deleted riddles.
RiddleCatalog CatalogOf(const std::vector<RiddleEntry>& entries,
                        const std::vector<RiddleText>& riddles);
RiddleCatalog CatalogOf(const LoadedRiddles& loaded);

// CSV when path ends with ".csv" (in any letter case), TSV otherwise.
RiddleFileFormat FormatOfPath(std::string_view path);

// A file with an id column that reads back as entries; every entry must
// have an id and be one that the loader accepted.
std::string WriteRiddleFile(const std::vector<RiddleEntry>& entries, RiddleFileFormat format);

// "path:line: reason", or "path: reason" for the file as a whole (UTF-8,
// the English reason).
std::string DescribeProblem(const std::string& path, const RiddleFileProblem& problem);

}  // namespace riddle_site
