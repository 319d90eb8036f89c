// The encoding of a riddle file. Riddle files are UTF-8; spreadsheet
// programs on Chinese Windows save CSV and TSV files in GBK (or its larger
// form, GB18030), and such a file is read as what it is rather than
// refused line by line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace riddle_site {

enum class TextEncoding { Utf8, Gbk, Gb18030 };

// "UTF-8", "GBK" or "GB18030".
const char* EncodingName(TextEncoding encoding);

struct DecodedText {
  std::string utf8;
  TextEncoding encoding = TextEncoding::Utf8;
};

// bytes as UTF-8: as they are when they are UTF-8, else converted from GBK,
// else from GB18030. Bytes that are none of the three stay as they are, so
// that the loader names the lines that are not UTF-8.
DecodedText DecodeRiddleText(std::string_view bytes);

// utf8 cut after its first characters characters, with "…" when it was
// longer: a riddle or a name told in a line of a page.
std::string Shortened(std::string_view utf8, std::size_t characters);

// Whether text is UTF-8: no stray or cut-off sequence, no overlong form, no
// surrogate, nothing past U+10FFFF.
bool IsUtf8(std::string_view text);

}  // namespace riddle_site
