// Profile (INI) files: stands in for the library's TIniFile over the Windows profile-file calls.
#pragma once

#include <string>
#include <vector>

#include "platform/core/Classes.h"

// Raised when the file cannot be written; the text is "<path> に書き込めません"
// and the file holds what it held before (or the text says the new text is
// in the file but the disk did not confirm it).
class EIniFileException : public Exception {
 public:
  using Exception::Exception;
};

// The new text is in the file, but its flush to the disk was not confirmed.
class EIniFileUnconfirmed : public EIniFileException {
 public:
  using EIniFileException::EIniFileException;
};

// One profile file: "[Section]" lines and "Key=Value" lines below them.
// Section and key names match case-insensitively and with surrounding blanks
// ignored; the first matching section and the first matching key in it win.
// The file is read once when the object is made; every write changes that
// copy and at once saves the whole file again (TFileSaveStream: the file's
// own permission decides, and a failed write leaves the old file intact),
// or, between BeginUpdate and EndUpdate, once for all of them. A failed
// save puts the copy's old lines back, except when the new text is in the
// file and only the disk's confirmation is missing: then the copy keeps it
// too, so that the next save does not drop it.
// Lines that are not the key being written (comments, other sections, other
// keys, blank lines) are kept as they were.
class TIniFile {
 public:
  explicit TIniFile(const std::string& FileName);

  const std::string& FileName() const { return FFileName; }

  // The key's value with surrounding blanks removed, or Default when the
  // file, the section or the key is missing. A key with an empty value reads "".
  std::string ReadString(const std::string& Section, const std::string& Ident,
                         const std::string& Default) const;
  // The value as a 32-bit integer: decimal, or hexadecimal after "0x", "0X"
  // or "$", with an optional sign. Missing, empty or malformed gives Default.
  int ReadInteger(const std::string& Section, const std::string& Ident, int Default) const;
  // ReadInteger with 1/0 for the default; any value other than 0 is true.
  bool ReadBool(const std::string& Section, const std::string& Ident, bool Default) const;

  // Each write stores the key (adding the section at the end and the key at
  // the end of its section when missing) and rewrites the file. On failure
  // the file is untouched and EIniFileException is thrown; or, when the
  // file holds the key but the disk did not confirm it, EIniFileUnconfirmed
  // (the copy keeps the key).
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);
  void WriteBool(const std::string& Section, const std::string& Ident, bool Value);

  // Writes between BeginUpdate and EndUpdate change only the copy; the
  // outermost EndUpdate saves them in one write, so the file gets all of
  // them or none, and throws as a single write does. An object released
  // before EndUpdate leaves the file as it was.
  void BeginUpdate();
  void EndUpdate();

  // The value parser of ReadInteger, exposed for reuse: true and the number
  // when text is a whole integer in one of the accepted forms.
  static bool ParseInteger(const std::string& text, int& value);

 private:
  struct Line {
    std::string Text;     // as read or written, without the line end
    bool IsSection = false;
    std::string Name;     // section name or key, trimmed; empty for other lines
    bool IsKey = false;
  };
  static Line ParseLine(const std::string& text);
  // Index of the first line of the section's body and one past its end, or
  // false when the section is missing.
  bool FindSection(const std::string& Section, size_t& begin, size_t& end) const;
  // Index of the first matching key line in [begin, end), or npos.
  size_t FindKey(size_t begin, size_t end, const std::string& Ident) const;
  // Saves the lines; on failure puts 'before' back unless the file holds
  // the new text, then throws.
  void SaveOrRollBack(std::vector<Line>& before);
  void Save() const;

  std::string FFileName;
  std::vector<Line> FLines;
  bool FReadWhole = true;  // false: the file is there but was not read to its end
  std::string FLineEnd = "\n";
  int FUpdateCount = 0;
  std::vector<Line> FBeforeUpdate;  // the lines at the outermost BeginUpdate
};
