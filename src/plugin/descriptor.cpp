#include "plugin/descriptor.h"

#include "game/contract.h"
#include "game/game_state.h"
#include "game/site_urls.h"
#include "net/http_get.h"
#include "net/open_url.h"
#include "plugin/descriptor_constants.h"
#include "runtime/convert.h"
#include "runtime/run_environment.h"
#include "runtime/text_between.h"

namespace zorvane {
namespace {

// The game's state files live in this folder and the game never makes it
// itself. A file of the same name counts as present.
void EnsureGameFolder() {
  const Text gameFolder = GameFolderPath(RunDirectory());
  if (!FileExists(gameFolder)) {
    CreateDir(gameFolder);
  }
}

bool IsLinkBreakingByte(unsigned char byte) {
  return byte <= 0x20 || byte == 0x7F || byte == '"' || byte == '\'' || byte == '`';
}

// Asks, every time, whether to open the link that the update page carries.
void OfferUpdate() {
  const Text page = ToText(HttpGet(UpdatePageUrl()));
  const Text link = TextBetween(page, UpdateLinkStart, UpdateLinkEnd);
  if (!IsOfferableUpdateLink(link)) {
    return;
  }
  if (ShowMessage(UpdatePrompt, UpdatePromptButtons) == UpdatePromptYes) {
    OpenUrl(TextView(link));
  }
}

}  // namespace

bool IsOfferableUpdateLink(TextView link) {
  link = link.substr(0, TextLength(link));
  if (FindText(link, UpdateLinkScheme) != 1) {
    return false;
  }
  for (const char byte : link) {
    if (IsLinkBreakingByte(static_cast<unsigned char>(byte))) {
      return false;
    }
  }
  return true;
}

Text BuildDescriptor() {
  EnsureGameFolder();
  Text descriptor = DescriptorText(DescriptorLines);
  OfferUpdate();
  return descriptor;
}

}  // namespace zorvane
