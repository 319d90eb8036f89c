// Settings files without the Win32 private-profile API: the file is read
// whole, looked up or edited in memory, and replaced in one step.
//
// Like the API, a file that starts with a UTF-8 or UTF-16 byte-order mark
// is read in that encoding: names and values are converted from and to GBK,
// and a write keeps the file's encoding.
#include <unistd.h>

#include <mutex>

#include "runtime/gbk_utf8.h"
#include "runtime/native_path.h"
#include "runtime/settings/ini_document.h"
#include "runtime/settings/setting_sections.h"
#include "runtime/settings/settings.h"
#include "runtime/settings/settings_arguments.h"
#include "runtime/settings/settings_encoding.h"
#include "runtime/settings/settings_file.h"

namespace zorvane {
namespace {

constexpr TextView Utf8Mark = "\xEF\xBB\xBF";
constexpr TextView Utf16LeMark = "\xFF\xFE";
constexpr TextView Utf16BeMark = "\xFE\xFF";

// A file's text in the form the INI layer edits: GBK, or UTF-8 for files
// with a byte-order mark (UTF-16 files are decoded first).
class Document {
 public:
  explicit Document(TextView bytes) {
    for (const TextView mark : {Utf8Mark, Utf16LeMark, Utf16BeMark}) {
      if (bytes.starts_with(mark)) {
        mark_ = mark;
      }
    }
    text_ = bytes.substr(mark_.size());
    if (IsUtf16()) {
      decoded_ = Utf8FromUtf16(text_, Order());
      text_ = decoded_;
    }
  }
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  TextView text() const { return text_; }
  ini::Encoding encoding() const {
    return mark_.empty() ? ini::Encoding::Gbk : ini::Encoding::Utf8;
  }

  // A GBK name or value as the file spells it; nullopt when it is not GBK.
  std::optional<std::string> FromGbk(TextView gbk) const {
    return mark_.empty() ? std::string(gbk) : GbkToUtf8(gbk);
  }
  Text ToGbk(TextView text) const {
    return mark_.empty() ? Text(text) : Text(Utf8ToGbkLenient(text));
  }

  // Replaces the file at path with its bytes after edit.
  ReplaceResult Write(const std::string& path, const ini::Edit& edit, const struct stat* original,
                      bool keepOthersChanges) const {
    if (IsUtf16()) {
      return ReplaceSettingsFile(path, {mark_, Utf16FromUtf8(ini::Applied(text_, edit), Order())},
                                 original, keepOthersChanges);
    }
    return ReplaceSettingsFile(
        path, {mark_, text_.substr(0, edit.begin), edit.replacement, text_.substr(edit.end)},
        original, keepOthersChanges);
  }

 private:
  bool IsUtf16() const { return mark_ == Utf16LeMark || mark_ == Utf16BeMark; }
  ByteOrder Order() const {
    return mark_ == Utf16BeMark ? ByteOrder::BigEndian : ByteOrder::LittleEndian;
  }

  TextView mark_;
  TextView text_;
  std::string decoded_;
};

// The default as the Windows API returns it: trailing spaces removed (tabs
// and other blanks stay).
Text ReceivedDefault(TextView defaultText) {
  TextView t = UpToNul(defaultText);
  while (!t.empty() && t.back() == ' ') {
    t.remove_suffix(1);
  }
  return ReceivedValue(t);
}

std::optional<ini::Edit> EditFor(const Document& document, TextView section,
                                 std::optional<TextView> key, std::optional<TextView> value) {
  const ini::Encoding encoding = document.encoding();
  if (!key) {
    return ini::DeleteSection(document.text(), section, encoding);
  }
  if (!value) {
    return ini::DeleteKey(document.text(), section, *key, encoding);
  }
  return ini::SetValue(document.text(), section, *key, *value, encoding);
}

// Windows refuses writes to a read-only file, also to processes that the
// mode bits would not stop, and although its folder would let a new file
// take its place.
bool IsReadOnly(const SettingsFile& file) {
  return (file.info.st_mode & 0222) == 0 || ::access(file.path.c_str(), W_OK) != 0;
}

// An optional name or value as the document spells it; false when it has
// no such spelling.
bool Convert(const Document& document, std::optional<TextView> in,
             std::optional<std::string>& out) {
  if (!in) {
    return true;
  }
  out = document.FromGbk(UpToNul(*in));
  return out.has_value();
}

std::optional<TextView> ViewOf(const std::optional<std::string>& t) {
  return t ? std::optional<TextView>(*t) : std::nullopt;
}

// The value of key in section as a read returns it, or the default when
// there is none; the names as the document spells them.
Text StoredValue(const Document& document, const std::string& section, const std::string& key,
                 TextView defaultText) {
  const std::optional<TextView> value =
      ini::FindValue(document.text(), section, key, document.encoding());
  return value ? ReceivedValue(document.ToGbk(*value)) : ReceivedDefault(defaultText);
}

}  // namespace

Text ReadSetting(TextView fileName, TextView section, TextView key, TextView defaultText) {
  const std::optional<SettingNames> names = ReadSettingNames(fileName, section, key);
  if (!names) {
    return Text();
  }
  const std::string path = NativePath(names->fileName);
  if (path.empty()) {
    return ReceivedDefault(defaultText);
  }
  const SettingsFile file = ReadSettingsFile(path);
  const Document document(file.bytes.view());
  const std::optional<std::string> sectionName = document.FromGbk(names->section);
  const std::optional<std::string> keyName = document.FromGbk(names->key);
  if (!sectionName || !keyName) {
    return ReceivedDefault(defaultText);
  }
  return StoredValue(document, *sectionName, *keyName, defaultText);
}

namespace {

// The value a write sets: given, or made by a change from the value that
// the file it edits holds.
struct NewValue {
  std::optional<TextView> given;
  const ValueChange* change = nullptr;
};

// One read-edit-replace of the file at path, with the names and value
// already checked.
ReplaceResult WriteOnce(const std::string& path, TextView section, std::optional<TextView> key,
                        const NewValue& value, bool keepOthersChanges) {
  const SettingsFile file = ReadSettingsFile(path);
  if (file.state == SettingsFile::State::Unreadable ||
      (file.state == SettingsFile::State::Missing && !FolderExists(file.path))) {
    return ReplaceResult::Failed;
  }
  // A read that ends at another size than the file had when it was opened
  // met a writer rewriting the file in place, and may hold half of each
  // version; it is never written back, even on the last attempt.
  if (file.state == SettingsFile::State::Read &&
      file.bytes.view().size() != static_cast<std::size_t>(file.info.st_size)) {
    return keepOthersChanges ? ReplaceResult::ChangedMeanwhile : ReplaceResult::Failed;
  }
  const Document document(file.bytes.view());
  std::optional<std::string> sectionName, keyName, newValue;
  if (!Convert(document, section, sectionName) || !Convert(document, key, keyName)) {
    return ReplaceResult::Failed;
  }
  std::optional<TextView> given = value.given;
  std::optional<Text> changed;
  if (value.change != nullptr) {
    changed = (*value.change)(StoredValue(document, *sectionName, *keyName, TextView()));
    if (!changed) {
      return ReplaceResult::Replaced;
    }
    if (!IsSafeSettingWrite(section, key, *changed)) {
      return ReplaceResult::Failed;
    }
    given = WithoutLoneLeadByte(UpToNul(*changed));
  }
  if (!Convert(document, given, newValue)) {
    return ReplaceResult::Failed;
  }
  const std::optional<ini::Edit> edit =
      EditFor(document, *sectionName, ViewOf(keyName), ViewOf(newValue));
  if (!edit) {
    // Nothing to change: the key or section is already gone, or holds that value.
    return ReplaceResult::Replaced;
  }
  const bool exists = file.state == SettingsFile::State::Read;
  if (exists && IsReadOnly(file)) {
    return ReplaceResult::Failed;
  }
  return document.Write(file.path, *edit, exists ? &file.info : nullptr, keepOthersChanges);
}

// How often a write starts again when another program (the sign-in module)
// wrote the file between our read and our replace, so that its change is
// kept instead of overwritten with the older content we read. The last
// attempt writes whatever happens meanwhile: our own change must land.
constexpr int WriteAttempts = 8;

// The private-profile API that this engine stands in for serialises its
// calls within the process, and so do these writes: threads of one process
// never lose each other's updates. Recursive, since a change may write.
std::recursive_mutex& WriteLock() {
  static std::recursive_mutex lock;
  return lock;
}

bool WriteKeepingOthersChanges(const std::string& path, TextView section,
                               std::optional<TextView> key, const NewValue& value) {
  const std::lock_guard<std::recursive_mutex> hold(WriteLock());
  for (int attempt = 1;; ++attempt) {
    const ReplaceResult result = WriteOnce(path, section, key, value, attempt < WriteAttempts);
    if (result != ReplaceResult::ChangedMeanwhile) {
      return result == ReplaceResult::Replaced;
    }
  }
}

}  // namespace

bool WriteSetting(TextView fileName, TextView section, std::optional<TextView> key,
                  std::optional<TextView> value) {
  if (!IsSafeSettingWrite(section, key, value)) {
    return false;
  }
  if (value) {
    value = WithoutLoneLeadByte(UpToNul(*value));
  }
  const std::string path = NativePath(fileName);
  return !path.empty() && WriteKeepingOthersChanges(path, section, key, {value});
}

bool ChangeSharedSetting(TextView fileName, TextView section, TextView key,
                         const ValueChange& change) {
  if (!IsSafeSettingWrite(section, key, TextView())) {
    return false;
  }
  const std::string path = NativePath(fileName);
  return !path.empty() && WriteKeepingOthersChanges(path, section, key, {std::nullopt, &change});
}

std::vector<Text> ReadSectionNames(TextView fileName) {
  const SettingsFile file = ReadSettingsFile(NativePath(fileName));
  const Document document(file.bytes.view());
  std::vector<Text> names;
  for (const TextView name : ini::SectionNames(document.text(), document.encoding())) {
    names.push_back(document.ToGbk(name));
  }
  return names;
}

}  // namespace zorvane
