// Handing a URL to the desktop, which opens it in the user's browser.
#pragma once

#include <optional>

#include "runtime/text.h"

namespace zorvane {

// Opened when OpenUrl is called without an argument.
inline constexpr char DefaultOpenUrl[] = "http://127.0.0.1/";

// Opens url (unchanged, the empty text included) without waiting for the
// browser. Reports nothing.
void OpenUrl(std::optional<TextView> url = std::nullopt);

}  // namespace zorvane
