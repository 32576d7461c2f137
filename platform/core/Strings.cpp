// String lists.
#include <algorithm>

#include "platform/core/Classes.h"

void TStrings::Put(int index, const AnsiString& s) {
  TObject* obj = GetObject(index);
  BeginUpdate();
  Delete(index);
  InsertObject(index, s, obj);
  EndUpdate();
}

void TStrings::InsertObject(int index, const AnsiString& s, TObject* obj) {
  Insert(index, s);
  PutObject(index, obj);
}

int TStrings::Add(const AnsiString& s) {
  int i = GetCount();
  Insert(i, s);
  return i;
}

AnsiString TStrings::GetText() const {
  int n = GetCount();
  size_t total = 0;
  for (int i = 0; i < n; ++i) total += Get(i).size() + 2;
  AnsiString out;
  out.reserve(total);
  for (int i = 0; i < n; ++i) {
    out += Get(i);
    out += "\r\n";
  }
  return out;
}

void TStrings::SetText(const AnsiString& text) {
  BeginUpdate();
  Clear();
  size_t i = 0, n = text.size();
  while (i < n) {
    size_t j = i;
    while (j < n && text[j] != '\r' && text[j] != '\n') ++j;
    Add(text.substr(i, j - i));
    if (j < n && text[j] == '\r') ++j;
    if (j < n && text[j] == '\n') ++j;
    i = j;
  }
  EndUpdate();
}

void TStrings::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TStrings*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  if (src == this) return;
  BeginUpdate();
  Clear();
  AddStrings(src);
  EndUpdate();
}

void TStrings::AddStrings(TStrings* strings) {
  BeginUpdate();
  int n = strings->GetCount();
  SetCapacity(GetCount() + n);
  for (int i = 0; i < n; ++i) InsertObject(GetCount(), strings->Get(i), strings->GetObject(i));
  EndUpdate();
}

void TStrings::BeginUpdate() {
  if (FUpdateCount++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::LoadFromStream(TStream* stream) {
  int64_t size = stream->GetSize() - stream->GetPosition();
  AnsiString buf(static_cast<size_t>(std::max<int64_t>(0, size)), '\0');
  if (!buf.empty()) {
    const int got = stream->Read(buf.data(), static_cast<int>(buf.size()));
    if (got < 0) throw EReadError(LibMsg::ReadError);
    buf.resize(static_cast<size_t>(got));
  }
  SetText(buf);
}

void TStrings::LoadFromFile(const AnsiString& fileName) {
  TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
}

void TStrings::SaveToStream(TStream* stream) const {
  AnsiString s = GetText();
  stream->WriteBuffer(s.data(), static_cast<int>(s.size()));
}

void TStrings::SaveToFile(const AnsiString& fileName) const {
  TFileStream f(fileName, fmCreate);
  SaveToStream(&f);
}

// ---------------------------------------------------------------------------

TStringList::~TStringList() {
  OnChange = nullptr;
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= GetCount()) throw EStringListError(Format(LibMsg::ListIndexError, index));
}

const AnsiString& TStringList::Get(int index) const {
  CheckIndex(index);
  return FItems[static_cast<size_t>(index)].s;
}

void TStringList::Put(int index, const AnsiString& s) {
  CheckIndex(index);
  FItems[static_cast<size_t>(index)].s = s;
  Changed();
}

TObject* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return FItems[static_cast<size_t>(index)].obj;
}

void TStringList::PutObject(int index, TObject* obj) {
  CheckIndex(index);
  FItems[static_cast<size_t>(index)].obj = obj;
  Changed();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  FItems.erase(FItems.begin() + index);
  Changed();
}

void TStringList::Insert(int index, const AnsiString& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const AnsiString& s, TObject* obj) {
  if (index < 0 || index > GetCount()) throw EStringListError(Format(LibMsg::ListIndexError, index));
  FItems.insert(FItems.begin() + index, Item{s, obj});
  Changed();
}

void TStringList::SetCapacity(int n) {
  if (n < GetCount()) throw EStringListError(Format(LibMsg::ListCapacityError, n));
  FItems.reserve(static_cast<size_t>(n));
}

void TStringList::SetText(const AnsiString& text) {
  // Reserves ahead so that a large text does not regrow the list.
  size_t lines = 0;
  for (char c : text)
    if (c == '\n') ++lines;
  BeginUpdate();
  Clear();
  FItems.reserve(lines + 1);
  TStrings::SetText(text);
  EndUpdate();
}

void TStringList::SetUpdateState(bool updating) {
  if (!updating) Changed();
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}
