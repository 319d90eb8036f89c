// The settings reader and writer on arbitrary file bytes, names and values.
// After every write the file must still read as before for every key the
// write did not address, the written key must read back, and a refused
// write must leave the file byte for byte as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_sandbox.h"
#include "game/contract.h"
#include "runtime/native_path.h"
#include "runtime/settings/ini_document.h"
#include "runtime/settings/settings.h"
#include "support/temp_dir.h"

using namespace zorvane;
using namespace zorvane::fuzzing;
using zorvane::testing::ReadFileBytes;
using zorvane::testing::WriteFileBytes;
namespace fs = std::filesystem;

namespace {

struct Address {
  std::string section;
  std::string key;
};

std::string UpToNulString(const std::string& t) {
  return t.substr(0, t.find('\0'));
}

// Names that the settings layer might take for the same one: surrounding
// control bytes and blanks dropped, every ASCII letter folded. Wider than
// the real rule, so that only names that are surely different are compared.
std::string LooseName(const std::string& name) {
  std::string t = UpToNulString(name);
  const auto outer = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!t.empty() && outer(t.front())) {
    t.erase(t.begin());
  }
  while (!t.empty() && outer(t.back())) {
    t.pop_back();
  }
  for (char& c : t) {
    c = FoldAsciiLetter(c);
  }
  return t;
}

// Sections and keys as a plain reading of the lines suggests them; a guess,
// only used to pick keys worth comparing before and after a write.
std::vector<Address> AddressesInFile(const std::string& content) {
  std::vector<Address> found;
  std::string section;
  std::size_t begin = 0;
  while (begin < content.size() && found.size() < 48) {
    std::size_t end = content.find('\n', begin);
    if (end == std::string::npos) {
      end = content.size();
    }
    const std::string line = content.substr(begin, end - begin);
    begin = end + 1;
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string::npos && line[first] == '[' && line.find(']') != std::string::npos) {
      section = line.substr(first + 1, line.find(']') - first - 1);
    } else if (line.find('=') != std::string::npos) {
      found.push_back({section, line.substr(0, line.find('='))});
    }
  }
  return found;
}

// value up to the end of its last whole character: a lead byte that ends it
// alone, or whose character the cut at length would split, is left out.
std::string WholeCharacters(const std::string& value, std::size_t length) {
  std::size_t end = 0;
  while (end < value.size()) {
    const std::size_t next = end + (ini::IsGbkLeadByte(value[end]) ? 2 : 1);
    if (next > value.size() || next > length) {
      break;
    }
    end = next;
  }
  return value.substr(0, end);
}

// What reading gives back for a value written in plain form: itself without
// a lone last lead byte, which is never stored, as far as the receive buffer
// holds it without splitting a character. nullopt for values with
// surrounding blanks or quotes, which reading trims.
std::optional<std::string> PlainReadBack(const std::string& value) {
  const std::string v = WholeCharacters(UpToNulString(value), std::string::npos);
  if (v.empty()) {
    return v;
  }
  const auto plain = [](char c) {
    return static_cast<unsigned char>(c) > 32 && c != '"' && c != '\'';
  };
  if (!plain(v.front()) || !plain(v.back())) {
    return std::nullopt;
  }
  return WholeCharacters(v, SettingBufferSize - 1);
}

bool HasByteOrderMark(const std::string& content) {
  return content.starts_with("\xEF\xBB\xBF") || content.starts_with("\xFF\xFE") ||
         content.starts_with("\xFE\xFF");
}

// A name a read finds as written: the read skips leading bytes 1 to 32.
bool ReadableAsWritten(const std::string& name) {
  const std::string n = UpToNulString(name);
  return !n.empty() && static_cast<unsigned char>(n.front()) > 32;
}

std::string ConsumeName(FuzzedDataProvider& input, const std::vector<Address>& known,
                        bool section) {
  if (!known.empty() && input.ConsumeBool()) {
    const Address& a = known[input.ConsumeIntegralInRange<std::size_t>(0, known.size() - 1)];
    return section ? a.section : a.key;
  }
  return input.ConsumeRandomLengthString(16);
}

// file is the name as the module is given it (GBK); onDisk the name the file
// system gives it, empty when file is no GBK text and may not be written.
void WriteAndCheck(const std::string& file, const std::string& onDisk, FuzzedDataProvider& input) {
  const std::string before = onDisk.empty() ? std::string() : ReadFileBytes(onDisk);
  std::vector<Address> compared = AddressesInFile(before);

  const std::uint8_t kind = input.ConsumeIntegralInRange<std::uint8_t>(0, 9);
  const std::string section = ConsumeName(input, compared, true);
  const std::string key = ConsumeName(input, compared, false);
  const std::string value = input.ConsumeBool()
                                ? input.ConsumeRandomLengthString(64)
                                : std::string(input.ConsumeIntegralInRange(0, 12000), 'v');
  const bool deleteSection = kind == 0;
  const bool deleteKey = kind == 1;
  compared.push_back({section, key});

  std::vector<std::pair<Address, Text>> readBefore;
  for (const Address& a : compared) {
    readBefore.emplace_back(a, ReadSetting(file, a.section, a.key));
  }

  const bool written =
      WriteSetting(file, section, deleteSection ? std::nullopt : std::optional<TextView>(key),
                   deleteSection || deleteKey ? std::nullopt : std::optional<TextView>(value));
  // The file, or nothing when there was none and the write was refused:
  // no other file, and none left behind by the write.
  const std::string listing = ListTree(Sandbox());
  FUZZ_CHECK(listing.empty() || listing == fs::path(onDisk).filename().string() + "\n");
  FUZZ_CHECK(!written || !onDisk.empty());
  if (!written) {
    FUZZ_CHECK(onDisk.empty() || ReadFileBytes(onDisk) == before);
    return;
  }
  for (const auto& [a, old] : readBefore) {
    const bool sameSection = LooseName(a.section) == LooseName(section);
    const bool addressed = sameSection && (deleteSection || LooseName(a.key) == LooseName(key));
    if (!addressed) {
      FUZZ_CHECK(ReadSetting(file, a.section, a.key) == old);
    }
  }
  // A file with a byte-order mark keeps values in its own encoding, which
  // may not carry every GBK character back.
  const bool gbkFile = !HasByteOrderMark(before);
  if (gbkFile && !deleteSection && !deleteKey && ReadableAsWritten(section) &&
      ReadableAsWritten(key)) {
    const Text readBack = ReadSetting(file, section, key);
    const std::optional<std::string> plain = PlainReadBack(value);
    if (plain) {
      FUZZ_CHECK(TextView(readBack) == *plain);
    } else {
      FUZZ_CHECK(UpToNulString(value).find(readBack) != std::string::npos);
    }
  }
}

}  // namespace

// A file name of the sign-in module's kind, or now and then any bytes that
// stay a name inside the sandbox.
std::string ConsumeFileName(FuzzedDataProvider& input) {
  if (input.ConsumeIntegralInRange(0, 3) != 0) {
    return std::string(LedgerFileStem) + "1" + std::string(LedgerFileExtension);
  }
  std::string name;
  for (const char c : input.ConsumeRandomLengthString(24)) {
    if (c != '/' && c != '\\' && c != '\0') {
      name += c;
    }
  }
  return name.empty() || name == "." || name == ".." ? "x" : name;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  EmptyFolder(Sandbox());
  const std::string file = (Sandbox() / ConsumeFileName(input)).string();
  const std::string onDisk = NativePath(file);
  const std::string initialBytes = input.ConsumeBool() ? input.ConsumeRandomLengthString(4096) : "";
  if (!onDisk.empty() && !initialBytes.empty()) {
    WriteFileBytes(onDisk, initialBytes);
  }
  for (int writes = 0; writes < 4 && input.remaining_bytes() > 0; ++writes) {
    WriteAndCheck(file, onDisk, input);
  }
  return 0;
}
