// A Windows host for tests: loads zorvane.dll, and zorvane-signin.dll when
// asked, from its own folder, as a chat robot host loads its plug-ins, and
// drives them with commands read line by line from a file (or standard input
// when the file is "-"), one answer line for each, flushed at once so that a
// test can talk to it through pipes.
//
// Texts travel as hex words (support/hex.h); "-" stands for a null pointer.
//
//   load                      -> loaded 1|0
//   configure SITE UPDATE     -> configured 1|0   (test build of the module only)
//   exports                   -> exports NAME...  (sorted as the DLL lists them)
//   info                      -> info TEXT MICROSECONDS
//   event M TYPE GROUP MEMBER EXTRA -> reply TEXT MICROSECONDS
//   unload                    -> unloaded FREED STILL-LOADED
//
// The same commands after "signin " ("signin load", "signin event ...") go
// to the sign-in module, whose event export is ZorvaneSignin.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host/zorvane_module.h"
#include "support/hex.h"

namespace {

using zorvane::host::ModuleLibrary;
using zorvane::host::ZorvaneModule;
using zorvane::testing::FromHexWord;
using zorvane::testing::HexWord;

// The path of the DLL fileName beside this program, in the ANSI code page.
// The folder is found in UTF-16: cutting an ANSI path at its last 0x5C byte
// would split a GBK character whose second byte is 0x5C.
std::string ModuleBesideProgram(const std::wstring& fileName) {
  std::vector<wchar_t> path(32768);
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::wstring folder(path.data(), length);
  const std::wstring module = folder.substr(0, folder.find_last_of(L'\\')) + L"\\" + fileName;
  const int size = WideCharToMultiByte(CP_ACP, 0, module.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, module.c_str(), -1, ansi.data(), size, nullptr, nullptr);
  ansi.resize(std::strlen(ansi.c_str()));
  return ansi;
}

// A decoded argument, which may be null.
const char* Pointer(const std::optional<std::string>& argument) {
  return argument ? argument->c_str() : nullptr;
}

// Microseconds since start, from the performance counter.
long long MicrosecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return (now.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart;
}

// The names in the export directory of a loaded module.
std::string ExportNames(HMODULE module) {
  const auto* base = reinterpret_cast<const unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (entry.VirtualAddress == 0) {
    return "";
  }
  const auto* exports =
      reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
  const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  std::string list;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    list += ' ';
    list += reinterpret_cast<const char*>(base + names[i]);
  }
  return list;
}

// One module of the host: where it lies, the name of its event export and,
// while loaded, the module.
struct ModuleSlot {
  std::string path;
  std::string eventExport;
  std::unique_ptr<ZorvaneModule> module;
};

class Host {
 public:
  Host()
      : game_{ModuleBesideProgram(L"zorvane.dll"), zorvane::host::GameEventExport, nullptr},
        signin_{ModuleBesideProgram(L"zorvane-signin.dll"), zorvane::host::SigninEventExport,
                nullptr} {}

  std::string Run(const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    const bool toSignin = command == "signin";
    if (toSignin) {
      words >> command;
    }
    return Run(toSignin ? signin_ : game_, command, words);
  }

 private:
  std::string Run(ModuleSlot& slot, const std::string& command, std::istringstream& words) {
    if (command == "load") {
      slot.module = std::make_unique<ZorvaneModule>(slot.path, slot.eventExport);
      return slot.module->loaded() ? "loaded 1" : "loaded 0";
    }
    if (slot.module == nullptr || !slot.module->loaded()) {
      return "error not loaded";
    }
    if (command == "configure") {
      std::string site, update;
      words >> site >> update;
      if (slot.module->configure() == nullptr) {
        return "configured 0";
      }
      // No run directory: the module keeps the one it found at load.
      slot.module->configure()(nullptr, Pointer(FromHexWord(site)), Pointer(FromHexWord(update)));
      return "configured 1";
    }
    if (command == "exports") {
      // The loaded module's base address is its handle.
      return "exports" + ExportNames(GetModuleHandleA(slot.path.c_str()));
    }
    if (command == "info") {
      LARGE_INTEGER start;
      QueryPerformanceCounter(&start);
      const char* descriptor = slot.module->info()();
      return "info " + HexWord(descriptor) + " " + std::to_string(MicrosecondsSince(start));
    }
    if (command == "event") {
      std::optional<std::string> arguments[5];
      for (std::optional<std::string>& argument : arguments) {
        std::string word;
        words >> word;
        argument = FromHexWord(word);
      }
      LARGE_INTEGER start;
      QueryPerformanceCounter(&start);
      const char* reply = slot.module->zorvane()(Pointer(arguments[0]), Pointer(arguments[1]),
                                                 Pointer(arguments[2]), Pointer(arguments[3]),
                                                 Pointer(arguments[4]));
      return "reply " + HexWord(reply) + " " + std::to_string(MicrosecondsSince(start));
    }
    if (command == "unload") {
      const bool freed = slot.module->library().Unload();
      slot.module.reset();
      const bool stillLoaded = ModuleLibrary::IsInProcess(slot.path);
      std::string answer = freed ? "unloaded 1" : "unloaded 0";
      answer += stillLoaded ? " 1" : " 0";
      return answer;
    }
    return "error unknown command";
  }

  ModuleSlot game_;
  ModuleSlot signin_;
};

}  // namespace

int main(int argc, char** argv) {
  FILE* input = stdin;
  if (argc > 1 && std::strcmp(argv[1], "-") != 0) {
    input = std::fopen(argv[1], "rb");
    if (input == nullptr) {
      std::fprintf(stderr, "cannot open %s\n", argv[1]);
      return 2;
    }
  }
  Host host;
  char line[65536];
  while (std::fgets(line, sizeof line, input) != nullptr) {
    std::string command(line);
    while (!command.empty() && (command.back() == '\n' || command.back() == '\r')) {
      command.pop_back();
    }
    if (command.empty()) {
      continue;
    }
    std::printf("%s\n", host.Run(command).c_str());
    std::fflush(stdout);
  }
  return 0;
}
