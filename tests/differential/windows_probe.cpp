// Runs settings and number requests through the Windows API and msvcrt and
// prints what they answer, so that the Linux engine can be compared with it.
//
// Input: a script file, one request a line, fields separated by tabs; a
// text is written as a hex word (support/hex.h), so that any byte, blanks
// and tabs included, can pass, and "-" stands for a null pointer. Output:
// one line a request, "<id>\t<answer>", the answer a hex word unless noted.
//   R id file section key default  GetPrivateProfileStringA into 10240 bytes
//   W id file section key value    WritePrivateProfileStringA: "1" or "0"
//   F id bits                      _snprintf("%.13g") of the double with these bits
//   A id text                      atof of the text: the double's bits
//   S id seed count                srand(seed), then count rand() values
// The number requests call msvcrt.dll through GetProcAddress, so that
// MinGW's own printf takes no part.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "support/hex.h"

namespace {

using zorvane::testing::FromHexWord;
using zorvane::testing::HexWord;

std::optional<std::string> Field(const std::string& field) {
  return FromHexWord(field);
}

const char* OrNull(const std::optional<std::string>& t) {
  return t ? t->c_str() : nullptr;
}

// The fields of a line, an empty last one included.
std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', begin);
    fields.push_back(line.substr(begin, tab - begin));
    if (tab == std::string::npos) {
      return fields;
    }
    begin = tab + 1;
  }
}

// GetProcAddress returns a generic function pointer; going through void*
// gives it its real type.
template <class Function>
Function Lookup(HMODULE dll, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(dll, name)));
}

struct Msvcrt {
  using Snprintf = int(__cdecl*)(char*, std::size_t, const char*, ...);
  using Atof = double(__cdecl*)(const char*);
  using Srand = void(__cdecl*)(unsigned);
  using Rand = int(__cdecl*)();

  HMODULE dll = ::LoadLibraryA("msvcrt.dll");
  Snprintf snprintf = Lookup<Snprintf>(dll, "_snprintf");
  Atof atof = Lookup<Atof>(dll, "atof");
  Srand srand = Lookup<Srand>(dll, "srand");
  Rand rand = Lookup<Rand>(dll, "rand");
};

std::string Answer(const std::vector<std::string>& f, const Msvcrt& crt) {
  const std::string& op = f[0];
  if (op == "R" && f.size() == 6) {
    // Cleared first, as the module's own buffer is.
    std::vector<char> buffer(10240, '\0');
    const std::optional<std::string> def = Field(f[5]);
    ::GetPrivateProfileStringA(OrNull(Field(f[3])), OrNull(Field(f[4])), OrNull(def), buffer.data(),
                               10240, OrNull(Field(f[2])));
    return HexWord(std::string(buffer.data(), ::strnlen(buffer.data(), buffer.size())));
  }
  if (op == "W" && f.size() == 6) {
    const std::optional<std::string> section = Field(f[3]), key = Field(f[4]), value = Field(f[5]);
    return ::WritePrivateProfileStringA(OrNull(section), OrNull(key), OrNull(value),
                                        OrNull(Field(f[2])))
               ? "1"
               : "0";
  }
  if (op == "F" && f.size() == 3) {
    const std::uint64_t bits = std::stoull(f[2], nullptr, 16);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    char text[512];
    crt.snprintf(text, sizeof text, "%.13g", value);
    return HexWord(std::string(text));
  }
  if (op == "A" && f.size() == 3) {
    const double value = crt.atof(Field(f[2]).value_or("").c_str());
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    char text[32];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
    return text;
  }
  if (op == "S" && f.size() == 4) {
    crt.srand(static_cast<unsigned>(std::stoul(f[2], nullptr, 16)));
    std::string values;
    for (int i = std::stoi(f[3]); i > 0; --i) {
      values += std::to_string(crt.rand()) + (i > 1 ? "," : "");
    }
    return values;
  }
  return "?";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: windows_probe SCRIPT\n";
    return 2;
  }
  const Msvcrt crt;
  if (!crt.snprintf || !crt.atof || !crt.srand || !crt.rand) {
    std::cerr << "msvcrt.dll lacks _snprintf, atof, srand or rand\n";
    return 2;
  }
  std::ifstream script(argv[1], std::ios::binary);
  std::string line;
  while (std::getline(script, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    const std::vector<std::string> fields = Split(line);
    if (fields.size() < 2) {
      continue;
    }
    std::cout << fields[1] << '\t' << Answer(fields, crt) << '\n';
  }
  return 0;
}
