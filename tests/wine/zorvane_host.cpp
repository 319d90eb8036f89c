// A Windows host for tests: loads zorvane.dll from its own folder, as a chat
// robot host loads its plug-ins, and drives it with commands read line by
// line from a file (or standard input when the file is "-"), one answer line
// for each, flushed at once so that a test can talk to it through pipes.
//
// Texts travel as "x" followed by their bytes in hex ("x" alone is the empty
// text); "-" stands for a null pointer.
//
//   load                      -> loaded 1|0
//   configure SITE UPDATE     -> configured 1|0   (test build of the module only)
//   exports                   -> exports NAME...  (sorted as the DLL lists them)
//   info                      -> info TEXT MICROSECONDS
//   event M TYPE GROUP MEMBER EXTRA -> reply TEXT MICROSECONDS
//   unload                    -> unloaded FREED STILL-LOADED
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

using InfoFunction = const char*(__cdecl*)();
using ZorvaneFunction = const char*(__stdcall*)(const char*, const char*, const char*, const char*,
                                                const char*);
using ConfigureFunction = void(__cdecl*)(const char*, const char*, const char*);

// An export of module, or null.
template <class Function>
Function Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The folder of this program, found in UTF-16: cutting an ANSI path at its
// last 0x5C byte would split a GBK character whose second byte is 0x5C.
std::wstring OwnFolder() {
  std::vector<wchar_t> path(32768);
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::wstring folder(path.data(), length);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

std::string Hex(const char* text) {
  if (text == nullptr) {
    return "-";
  }
  static const char digits[] = "0123456789abcdef";
  std::string hex = "x";
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    hex += digits[*p >> 4];
    hex += digits[*p & 15];
  }
  return hex;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return 0;
}

// A decoded argument: null for "-".
struct Argument {
  bool null = true;
  std::string bytes;
  const char* get() const { return null ? nullptr : bytes.c_str(); }
};

Argument Decode(const std::string& word) {
  Argument argument;
  if (word.empty() || word[0] != 'x') {
    return argument;
  }
  argument.null = false;
  for (std::size_t i = 1; i + 1 < word.size(); i += 2) {
    argument.bytes += static_cast<char>(HexDigit(word[i]) * 16 + HexDigit(word[i + 1]));
  }
  return argument;
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

class Host {
 public:
  explicit Host(std::wstring modulePath) : modulePath_(std::move(modulePath)) {}

  std::string Run(const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "load") {
      module_ = LoadLibraryW(modulePath_.c_str());
      return module_ ? "loaded 1" : "loaded 0";
    }
    if (module_ == nullptr) {
      return "error not loaded";
    }
    if (command == "configure") {
      std::string site, update;
      words >> site >> update;
      const auto configure = Lookup<ConfigureFunction>(module_, "ZorvaneConfigureForTesting");
      if (configure == nullptr) {
        return "configured 0";
      }
      // No run directory: the module keeps the one it found at load.
      configure(nullptr, Decode(site).get(), Decode(update).get());
      return "configured 1";
    }
    if (command == "exports") {
      return "exports" + ExportNames(module_);
    }
    if (command == "info") {
      const auto info = Lookup<InfoFunction>(module_, "info");
      LARGE_INTEGER start;
      QueryPerformanceCounter(&start);
      const char* descriptor = info();
      return "info " + Hex(descriptor) + " " + std::to_string(MicrosecondsSince(start));
    }
    if (command == "event") {
      Argument arguments[5];
      for (Argument& argument : arguments) {
        std::string word;
        words >> word;
        argument = Decode(word);
      }
      const auto zorvane = Lookup<ZorvaneFunction>(module_, "Zorvane");
      LARGE_INTEGER start;
      QueryPerformanceCounter(&start);
      const char* reply = zorvane(arguments[0].get(), arguments[1].get(), arguments[2].get(),
                                  arguments[3].get(), arguments[4].get());
      return "reply " + Hex(reply) + " " + std::to_string(MicrosecondsSince(start));
    }
    if (command == "unload") {
      const BOOL freed = FreeLibrary(module_);
      module_ = nullptr;
      const bool stillLoaded = GetModuleHandleW(modulePath_.c_str()) != nullptr;
      std::string answer = freed ? "unloaded 1" : "unloaded 0";
      answer += stillLoaded ? " 1" : " 0";
      return answer;
    }
    return "error unknown command";
  }

 private:
  std::wstring modulePath_;
  HMODULE module_ = nullptr;
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
  Host host(OwnFolder() + L"\\zorvane.dll");
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
