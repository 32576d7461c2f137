// Wrapping under the Japanese line-break rules and typed-text insertion.
//
// WordBreak chooses where a too-long row is cut; FoldLine re-cuts a row and
// the rest of its paragraph after an edit; KeyInput puts typed text at the
// caret and refolds. Every cut lands on a character boundary and leaves at
// least one character on the row, so a refold always ends.
#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>

#include "editor/Afedit.h"

namespace {

constexpr int kNoWrap = 65535;  // the wrap column when aoAutoFormat is off
constexpr char kFillByte = '\x0B';

// Appends the fill form of the n bytes at p to out; tab stops are counted
// from the first of those bytes.
void AppendFill(AnsiString& out, const char* p, size_t n, int tab) {
  const size_t base = out.size();
  const char* end = p + n;
  while (p < end) {
    const char* t = static_cast<const char*>(std::memchr(p, '\t', static_cast<size_t>(end - p)));
    if (!t) {
      out.append(p, static_cast<size_t>(end - p));
      break;
    }
    out.append(p, static_cast<size_t>(t - p));
    const int fill = tab - static_cast<int>((out.size() - base) % static_cast<size_t>(tab));
    out.append(static_cast<size_t>(fill - 1), kFillByte);
    out += '\t';
    p = t + 1;
  }
}

// Cells of n bytes at p when `width` cells of the same text precede them.
int WidthAfter(int width, const char* p, size_t n, int tab) {
  for (size_t i = 0; i < n; ++i) width += p[i] == '\t' ? tab - width % tab : 1;
  return width;
}

// True when ch occurs as a whole character of set (never as a byte inside
// one: the sets hold trail bytes that are also ASCII letters).
bool InCharSet(std::string_view set, std::string_view ch) {
  if (ch.empty()) return false;
  for (int i = 0; i < static_cast<int>(set.size());) {
    const int len = Cp932CharLen(set, i);
    if (static_cast<size_t>(len) == ch.size() && set.compare(static_cast<size_t>(i), ch.size(), ch) == 0)
      return true;
    i += len;
  }
  return false;
}

// Brings a cut (a byte index into text) onto a character boundary, back to
// the start of the character it falls in, and keeps at least the first
// character in front of it.
int SnapCut(std::string_view text, int k) {
  if (k > 0 && k < static_cast<int>(text.size()) && Cp932IsTrail(text, k)) --k;
  if (k <= 0) k = Max(Cp932CharLen(text, 0), 1);
  return k;
}

}  // namespace

int TCustomAFEdit::WordBreak(AnsiString S, int Pos, int Min) {
  const std::string_view s(S);
  const int length = static_cast<int>(s.size());
  const bool banRules = FOptions.Contains(aoJpnBanBreak);
  const bool wordRule = FOptions.Contains(aoWordWrap);
  // Each rule moves the break and looks again; the shared counters bound how
  // far forward and back a chain of moves may go.
  for (;;) {
    if (Pos >= length || Pos <= Min || Pos < 0) return Pos;
    if (OnWordBreak) {
      int wrapPos = Pos;
      OnWordBreak(this, S, wrapPos);
      return wrapPos;
    }

    // H, the character after the break, and E, the one before it. A break
    // on a trail byte stands before its character (adj = -1).
    int adj = 0;
    std::string_view head = s.substr(static_cast<size_t>(Pos), 1);
    switch (Cp932ByteType(s, Pos)) {
      case mbLeadByte:
        head = s.substr(static_cast<size_t>(Pos), 2);
        break;
      case mbTrailByte:
        head = s.substr(static_cast<size_t>(Pos - 1), 2);
        adj = -1;
        break;
      default:
        break;
    }
    std::string_view end;
    const int endLast = Pos + adj - 1;
    if (endLast >= 0)
      end = Cp932IsTrail(s, endLast) ? s.substr(static_cast<size_t>(endLast - 1), 2)
                                     : s.substr(static_cast<size_t>(endLast), 1);

    if (banRules && (InCharSet(FBanHead, head) || head == "\r")) {
      // Banned at the head of a row: push the break past it, else pull it back.
      if (WrapTrailCount <= FWrapTrailBytes) {
        WrapTrailCount += 2;
        Pos = Pos + adj + 2;
        continue;
      }
      if (WrapLeadCount <= FWrapLeadBytes) {
        WrapLeadCount += 1;
        Pos = Pos + adj - 1;
        continue;
      }
    } else if (banRules && InCharSet(FBanEnd, end)) {
      // Banned at the end of a row: the character goes to the next row.
      if (WrapLeadCount <= FWrapLeadBytes) {
        WrapLeadCount += 2;
        Pos -= 2;
        continue;
      }
    } else if (wordRule && !end.empty() && FWordChars.test(static_cast<unsigned char>(head[0])) &&
               FWordChars.test(static_cast<unsigned char>(end[0]))) {
      // Inside a word: step back towards its start.
      if (WrapLeadCount <= FWrapLeadBytes) {
        WrapLeadCount += 1;
        Pos -= 1;
        continue;
      }
    }
    WrapTrailCount = 0;
    WrapLeadCount = 0;
    return Pos + adj;
  }
}

// Re-cuts `row` and the following rows of its paragraph, up to the row that
// ends the paragraph with its CR or the last row. The work runs as a loop
// over the rows; each step either stops or goes on with the next row (or,
// after pulling the next row up whole, with the same row).
//
// Cutting one very long row would move its whole remainder from row to row.
// While no event handler can see the rows in between and no column or block
// attribute has to travel with the text, the remainder is held back in
// `carry` (logically in front of the current row's stored text) and each row
// is written once with its final piece, so the time and the undo records
// stay proportional to the text.
void TCustomAFEdit::FoldLine(int row) {
  if (row < 0 || row >= FLines->Count()) return;
  const int tab = Max(FTabSize, 1);
  const bool autoFormat = FOptions.Contains(aoAutoFormat);
  const bool mayCarry = !OnBeforeChange && !OnChange && !OnLineInsert;

  AnsiString carry;           // carry[carryPos, end) precedes the current row's text
  size_t carryPos = 0;
  size_t crScanned = 0;       // carry[.., crScanned) has been searched for a CR
  size_t crAt = AnsiString::npos;  // first CR found there, or none
  int markFrom = INT_MAX;     // rows from here on are flagged at the end

  auto carryLen = [&] { return carry.size() - carryPos; };
  auto resetCarry = [&] {
    carry.clear();
    carryPos = 0;
    crScanned = 0;
    crAt = AnsiString::npos;
  };
  auto carryHasCr = [&] {
    if (crAt != AnsiString::npos && crAt >= carryPos) return true;
    crAt = carry.find('\r', std::max(crScanned, carryPos));
    crScanned = crAt == AnsiString::npos ? carry.size() : crAt + 1;
    return crAt != AnsiString::npos;
  };
  auto hasColList = [&](int r) {
    const TAttrListItem* a = FLinesAttr->PeekItem(r);
    return a && a->ColAttrs;
  };
  auto attrsInPlay = [&](int r) { return FBlkAttrs->Count() > 0 || hasColList(r) || hasColList(r + 1); };
  // The first k bytes of the current row's logical text.
  auto prefixOf = [&](int r, size_t k) {
    const size_t fromCarry = Min(static_cast<int>(k), static_cast<int>(carryLen()));
    AnsiString out(carry, carryPos, fromCarry);
    if (k > fromCarry) out.append(FLines->Get(r), 0, k - fromCarry);
    return out;
  };
  // The whole logical text of the current row.
  auto logicalOf = [&](int r) {
    AnsiString out(carry, carryPos, AnsiString::npos);
    out += FLines->Get(r);
    return out;
  };
  // Makes the carry the logical text of row r from index k on.
  auto carryFrom = [&](int r, size_t k) {
    const AnsiString& own = FLines->Get(r);
    if (k <= carryLen()) {
      carry += own;
      carryPos += k;
    } else {
      AnsiString rest(own, k - carryLen(), AnsiString::npos);
      resetCarry();
      carry = std::move(rest);
    }
  };
  // Writes a row; false when OnBeforeChange refused the change, after which
  // the refold stops rather than drop or double the text it was moving.
  auto writeRow = [&](int r, AnsiString text) {
    bool refused = false;
    if (OnBeforeChange) {
      const AnsiString before = FLines->Get(r);
      const bool same = before == text;
      LineChange(r, std::move(text), false);
      refused = !same && FLines->Get(r) == before;
    } else {
      LineChange(r, std::move(text), false);
    }
    const int len = static_cast<int>(FLines->Get(r).size());
    if (len + 1 > FMaxRowLen) FMaxRowLen = len + 2;
    return !refused;
  };
  auto flush = [&](int r) {
    if (carryLen() == 0) return;
    writeRow(r, logicalOf(r));
    resetCarry();
  };

  while (row < FLines->Count()) {
    if (carryLen() > 0 && (!mayCarry || attrsInPlay(row))) flush(row);
    const bool carrying = mayCarry && !attrsInPlay(row);
    const TAttrListItem* attr = GetLinesAttr(row);
    const int wrap = autoFormat ? attr->WrapPos : kNoWrap;
    const int indent = Max(attr->Indent, 0);
    const bool last = row == FLines->Count() - 1;
    const size_t ownLen = FLines->Get(row).size();
    const size_t n = carryLen() + ownLen;
    const int nInt = static_cast<int>(n);

    // The cut depends only on the display form up to a little past the wrap
    // column (the rules push it forward by at most WrapTrailBytes + 2); a
    // handler of OnWordBreak sees the whole row.
    size_t need = AnsiString::npos;
    if (!OnWordBreak)
      need = static_cast<size_t>(static_cast<long long>(Max(wrap, 0)) + Max(FWrapTrailBytes, 0) + 8);
    const size_t limit = std::min(n, need);
    const bool truncated = limit < n;
    const AnsiString head = prefixOf(row, limit);  // the whole logical text unless truncated
    AnsiString S(static_cast<size_t>(indent), ' ');
    AppendFill(S, head.data(), head.size(), tab);
    const int L = static_cast<int>(S.size());

    // 1. The row fits and ends its paragraph with its only CR.
    int c = WordBreak(S, wrap, indent + 2);
    if (!truncated && c >= L && !head.empty() && head.back() == '\r' && head.find('\r') == n - 1) {
      flush(row);
      if (row == FLines->Count() - 1) AddLineP("", *GetLinesAttr(row));
      break;
    }

    // 2. An empty row goes, unless it is the last one.
    if (n == 0) {
      if (!last) {
        DelLineP(row);
        markFrom = Min(markFrom, row);
        if (FSelArea->isRowAble()) FSelArea->Delete(row);
      }
      break;
    }

    const bool hasCr = carryHasCr() || FLines->Get(row).find('\r') != AnsiString::npos;
    if (hasCr) {
      // 4. Split at the break, or right after the first CR at the latest.
      c = WordBreak(S, wrap, indent + 1);
      const size_t cr = S.find('\r');
      if (cr != AnsiString::npos && static_cast<int>(cr) + 1 < c) c = static_cast<int>(cr) + 1;
      int cut = DspColToCharCount(S, c, indent);
      const int snapped = SnapCut(head, cut);
      if (snapped != cut) c = WidthAfter(0, head.data(), static_cast<size_t>(snapped), tab) + indent;
      cut = snapped;
      if (cut >= nInt) {
        // Only the paragraph's own CR is left behind the cut: the row stays.
        flush(row);
        if (row == FLines->Count() - 1) AddLineP("", *GetLinesAttr(row));
        break;
      }
      const size_t k = static_cast<size_t>(cut);
      const char lastByte = ownLen > 0 ? FLines->Get(row).back() : carry.back();
      const bool newRow = last || lastByte == '\r';
      const int nextIndent = newRow ? indent : Max(GetLinesAttr(row + 1)->Indent, 0);
      AnsiString rowHead = prefixOf(row, k);
      AnsiString tail;
      if (carrying)
        carryFrom(row, k);
      else
        tail = logicalOf(row).substr(k);

      if (newRow) {
        const TAttrListItem copy = *GetLinesAttr(row);
        InsertLineP(row + 1, carrying ? AnsiString() : std::move(tail), copy);
        if (FSelArea->isRowAble()) FSelArea->Insert(row);
        markFrom = Min(markFrom, row + 1);
      } else if (!carrying) {
        if (!writeRow(row + 1, tail + FLines->Get(row + 1))) break;
      }
      ColAttrBlockEdit(row, row + 1, nInt - cut, emInsert);
      BlkAttrBlockEdit(row, row + 1, nInt - cut, emInsert);
      if (FCaret.y == row && FCaret.x >= c) FCaret = TPoint(FCaret.x - c + nextIndent, row + 1);
      if (!writeRow(row, std::move(rowHead))) break;
      GetLinesAttr(row)->Changed = 1;
      GetLinesAttr(row + 1)->Changed = 1;
      ++row;
      continue;
    }

    // 5. A soft row: pull text up from the next row or push text down.
    if (last) {
      AddLineP("", *GetLinesAttr(row));
      if (FSelArea->isRowAble()) FSelArea->Insert(row);
    }
    const AnsiString next = FLines->Get(row + 1);
    const int nextIndent = Max(GetLinesAttr(row + 1)->Indent, 0);
    AnsiString S2 = S;
    if (!truncated) AppendFill(S2, next.data(), std::min(next.size(), need), tab);
    const bool nextWhole = !truncated && next.size() <= need;

    if (FCaret.y == row + 1) {
      // The caret stays on its character, now counted from this row.
      int fullWidth = L;
      if (truncated) {
        const AnsiString& own = FLines->Get(row);
        fullWidth = WidthAfter(0, carry.data() + carryPos, carryLen(), tab);
        fullWidth = WidthAfter(fullWidth, own.data(), own.size(), tab) + indent;
      }
      FCaret = TPoint(fullWidth + (FCaret.x - nextIndent), row);
    }

    if (nextWhole && static_cast<int>(S2.size()) < wrap) {
      // The whole next row fits behind this one.
      const int nextLen = static_cast<int>(next.size());
      ColAttrBlockEdit(row + 1, row, nextLen, emAdd);
      BlkAttrBlockEdit(row + 1, row, nextLen, emAdd);
      if (!writeRow(row, head + next)) break;
      resetCarry();
      DelLineP(row + 1);
      if (FSelArea->isRowAble()) FSelArea->Delete(row + 1);
      markFrom = Min(markFrom, row + 1);
      if (row + 1 < FLines->Count()) continue;
      break;
    }

    c = WordBreak(S2, wrap, indent + 1);
    const int nextLen = static_cast<int>(next.size());
    int cut = Min(DspColToCharCount(S2, c, indent), nInt + nextLen);
    const AnsiString joined = truncated ? AnsiString() : head + next;
    const int snapped = SnapCut(truncated ? std::string_view(head) : std::string_view(joined), cut);
    if (snapped != cut) {
      c = snapped <= nInt ? WidthAfter(0, head.data(), static_cast<size_t>(snapped), tab) + indent
                          : L + WidthAfter(0, next.data(), static_cast<size_t>(snapped - nInt), tab);
    }
    cut = snapped;
    if (FCaret.y == row && FCaret.x >= c) FCaret = TPoint(FCaret.x + nextIndent - c, row + 1);

    if (cut > nInt) {
      // The cut lies in the next row: its head joins this row.
      const int moved = cut - nInt;
      ColAttrBlockEdit(row + 1, row, moved, emAdd);
      BlkAttrBlockEdit(row + 1, row, moved, emAdd);
      if (!writeRow(row, head + next.substr(0, static_cast<size_t>(moved)))) break;
      resetCarry();
      if (!writeRow(row + 1, next.substr(static_cast<size_t>(moved)))) break;
    } else {
      // The cut lies in this row: its tail goes in front of the next row.
      const size_t k = static_cast<size_t>(cut);
      ColAttrBlockEdit(row, row + 1, nInt - cut, emInsert);
      BlkAttrBlockEdit(row, row + 1, nInt - cut, emInsert);
      AnsiString rowHead = prefixOf(row, k);
      if (carrying) {
        carryFrom(row, k);
      } else if (!writeRow(row + 1, logicalOf(row).substr(k) + next)) {
        break;
      }
      if (!writeRow(row, std::move(rowHead))) break;
    }
    GetLinesAttr(row)->Changed = 1;
    GetLinesAttr(row + 1)->Changed = 1;
    ++row;
  }

  // Nothing held back may be lost.
  if (carryLen() > 0) {
    if (row < FLines->Count())
      flush(row);
    else
      AddLineP(AnsiString(carry, carryPos, AnsiString::npos), *GetLinesAttr(FLines->Count() - 1));
  }
  for (int r = Max(markFrom, 0); r < FLines->Count(); ++r) GetLinesAttr(r)->Changed = 1;
}

void TCustomAFEdit::KeyInput(AnsiString text) {
  // 1. A selection is replaced by the text, in the same undo step.
  if (FSelArea->isPointAble() || FSelArea->isRowAble()) {
    const bool updating = FUpdating;
    FUpdating = true;
    SelectAreaDel();
    FUpdating = updating;
  } else {
    ++FUndoGroup;
  }

  // 2. Control bytes other than TAB and CR are dropped.
  AnsiString typed;
  typed.reserve(text.size());
  for (char ch : text)
    if (static_cast<unsigned char>(ch) >= 32 || ch == '\t' || ch == '\r') typed += ch;
  if (typed.empty()) {
    if (!FUpdating) {
      CaretMoveResultPaint();
      ValiPaint();
    }
    return;
  }

  // 3. A caret below the text (free caret) first gets rows down to it.
  if (FCaret.y < 0) FCaret.y = 0;
  int r = FCaret.y;
  if (r >= FLines->Count()) {
    const int lastRow = FLines->Count() - 1;
    if (!isCrLine(lastRow)) LineChange(lastRow, FLines->Get(lastRow) + "\r", false);
    const TAttrListItem attr = *GetLinesAttr(lastRow);
    while (FLines->Count() < r) AddLineP("\r", attr);
    AddLineP("", attr);
  }

  // 4. A caret inside a fill run, or on its tab, goes to the run's start.
  const AnsiString display = DisplayString(r);
  const int displayLen = static_cast<int>(display.size());
  int indent = Max(GetLinesAttr(r)->Indent, 0);
  int x = FCaret.x;
  while (x > 0 && x < displayLen && display[static_cast<size_t>(x - 1)] == '\x0B') --x;

  // 5. The insertion index.
  int k = DspColToCharCount(display, x, indent);

  // 6. Past the row end: pad with spaces (free caret), then the caret goes to
  //    the row end. In the indent: the caret goes to the indent column.
  AnsiString pad;
  if (x > displayLen) {
    if (FOptions.Contains(aoFreeCaret)) pad.assign(static_cast<size_t>(x - displayLen), ' ');
    Perform(WM_KEYDOWN, VK_END, 0);
    FShiftDown = false;
    k = DspColToCharCount(display, FCaret.x, indent);
  } else if (x < indent) {
    FCaret.x = indent;
  }
  const AnsiString input = pad + typed;

  // 7. At the first character of a continuation row the text goes to the
  //    end of the row above.
  if (r > 0 && !isCrLine(r - 1) && k == 0) {
    --r;
    const AnsiString& above = FLines->Get(r);
    k = static_cast<int>(above.size());
    indent = Max(GetLinesAttr(r)->Indent, 0);
    FCaret = TPoint(WidthAfter(0, above.data(), above.size(), Max(FTabSize, 1)) + indent, r);
  }

  // 8. Insert or overwrite.
  const AnsiString rowText = FLines->Get(r);
  const int n = static_cast<int>(rowText.size());
  const int at = Max(Min(k, n), 0);
  const int len = static_cast<int>(input.size());
  if (FInsertMode) {
    AnsiString changed = rowText.substr(0, static_cast<size_t>(at));
    changed += input;
    changed.append(rowText, static_cast<size_t>(at), AnsiString::npos);
    LineChange(r, std::move(changed), false);
    ColAttrEdit(r, at, len, emInsert);
    BlkAttrEdit(r, at, len, emInsert);
  } else if (n - at > len) {
    // In place; a double-byte character cut in two loses its second byte.
    AnsiString changed = rowText;
    changed.replace(static_cast<size_t>(at), static_cast<size_t>(len), input);
    if (Cp932IsLead(rowText, at + len - 1)) changed[static_cast<size_t>(at + len)] = ' ';
    LineChange(r, std::move(changed), false);
  } else {
    AnsiString changed = rowText.substr(0, static_cast<size_t>(at));
    changed += input;
    if (n > 0 && rowText.back() == '\r') changed += '\r';  // the paragraph end stays
    LineChange(r, std::move(changed), false);
  }

  // 9. Refold.
  GetLinesAttr(r)->Changed = 1;
  FoldLine(r);
  if (r < FLines->Count()) {
    NoteRowWidth(FLines->Get(r));
  }

  // 10. The caret steps over the text one character at a time, following
  //     wrapped text onto the next rows.
  const TAFEditOptions options = FOptions;
  FOptions >> aoFreeCaret;
  for (int i = 0; i < len; i += Cp932CharLen(input, i)) CaretRight();
  FOptions = options;

  // 11.
  if (!FUpdating) {
    CaretMoveResultPaint();
    ValiPaint();
  }
}
