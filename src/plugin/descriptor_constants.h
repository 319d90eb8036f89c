// The descriptor's lines and the texts of the update offer. Literals here
// are GBK only where the module's own sources read them: a program around
// the module (UTF-8) never includes this header.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/text.h"

namespace zorvane {

// A descriptor is ten lines, each followed by DescriptorLineEnd, the last
// one included. The game's and the sign-in module's follow one layout.
inline constexpr std::size_t DescriptorLineCount = 10;
using DescriptorLayout = TextView[DescriptorLineCount];
inline constexpr TextView DescriptorLineEnd = "\r\n";

// The two modules ship together, in one version.
inline constexpr TextView ModuleVersion = "1.1";  // version
inline constexpr TextView ModuleAuthor = "Tamsel";
inline constexpr TextView DescriptorFixedValue = "1";
inline constexpr TextView DescriptorFixedFalse = "假";

inline constexpr DescriptorLayout DescriptorLines = {
    "Zorvane",                                 // display name
    ModuleVersion,                             // the kit's version
    ModuleAuthor,                              // author
    "特别说明：插件由'Orrin、Velda'提供思路",  // credit line
    "Zorva ",                                  // command word, with its blank
    "发送‘Zorva 开始’",                        // usage hint
    "",                                        // empty line
    "Zorvane",                                 // the event export
    DescriptorFixedValue,                      // fixed value
    DescriptorFixedFalse,                      // fixed value: false
};

// The lines joined as the host reads them.
Text DescriptorText(const DescriptorLayout& lines);

// The update page may carry a link between the contract's update-link
// markers; only one with this scheme is offered.
inline constexpr TextView UpdateLinkScheme = "http://";
inline constexpr TextView UpdatePrompt = "发现新版本是否更新~！？";
// Yes and No buttons, and the code ShowMessage returns for Yes.
inline constexpr std::int32_t UpdatePromptButtons = 4;
inline constexpr std::int32_t UpdatePromptYes = 5;

// True only for a plain "http://" address: a link is handed to the desktop
// shell, so anything else (a program path, an argument, a quoted text) is
// never offered.
bool IsOfferableUpdateLink(TextView link);

}  // namespace zorvane
