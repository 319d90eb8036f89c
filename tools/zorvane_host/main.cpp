// zorvane-host: a host program for the module that another program drives
// through JSON lines on standard input and output (README.md). It loads the
// module from its own folder, which is the run folder as for any host,
// calls info once as hosts do after loading a module (which also makes the
// game's folder), and answers requests until its input ends.
#include <charconv>
#include <iostream>
#include <optional>
#include <string>

#include "host/command_line.h"
#include "host/settings_folder.h"
#include "host/zorvane_module.h"
#include "operations.h"
// The module finds its run folder so; the host finds its own the same way.
#include "runtime/run_directory_platform.h"
#include "serve.h"

namespace {

constexpr char Usage[] =
    "usage: zorvane-host [--module PATH] [--signin-min N] [--signin-max N]\n"
    "Answers JSON lines on standard input with JSON lines on standard output.\n"
    "  --module PATH    the module to load (default: " ZORVANE_MODULE_FILE
    " in this program's folder)\n"
    "  --signin-min N   the least a daily sign-in pays\n"
    "  --signin-max N   the most a daily sign-in pays\n";

int Refuse(const std::string& why) {
  std::cerr << "zorvane-host: " << why << "\n";
  return 2;
}

// A sign-in amount option: stores a whole number from 1 up.
zorvane::host::CommandLineOption AmountOption(std::string_view name, std::int32_t& amount) {
  return {{name}, true, [name, &amount](const std::string& value) -> std::optional<std::string> {
            const auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), amount);
            if (error != std::errc() || end != value.data() + value.size() || amount < 1) {
              return std::string(name) + " takes a whole number from 1 up";
            }
            return std::nullopt;
          }};
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::string ownFolder(zorvane::DiscoverHostFolder());
  std::string modulePath = ownFolder + ZORVANE_MODULE_BESIDE_HOST;
  zorvane_host::HostSetup setup;
  bool help = false;
  const std::optional<std::string> wrong =
      zorvane::host::ReadCommandLine(argc, argv, 1,
                                     {zorvane::host::ValueOption("--module", modulePath),
                                      AmountOption("--signin-min", setup.amounts.least),
                                      AmountOption("--signin-max", setup.amounts.most),
                                      {{"--help", "-h"}, false, [&help](const std::string&) {
                                         help = true;
                                         return std::optional<std::string>();
                                       }}});
  if (help) {
    std::cout << Usage;
    return 0;
  }
  if (wrong) {
    std::cerr << Usage;
    return Refuse(*wrong);
  }
  if (!zorvane::AreValidSigninAmounts(setup.amounts)) {
    return Refuse("the sign-in amounts must run from 1 to " +
                  std::to_string(zorvane::MaxSigninAmount) + ", the least first");
  }
  const std::optional<std::string> folder = zorvane::host::SettingsFolder(ownFolder);
  if (!folder) {
    return Refuse("the settings files cannot name this program's folder " + ownFolder);
  }
  setup.folder = *folder;
  setup.siteBase = ZORVANE_RIDDLE_SITE_BASE;

  zorvane::host::ZorvaneModule module(modulePath);
  if (!module.loaded()) {
    return Refuse(module.error());
  }
  setup.descriptor = module.Info();
  zorvane_host::Serve(std::cin, std::cout, zorvane_host::HostOperations(module, setup));
  return 0;
}
