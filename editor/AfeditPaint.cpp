// Painting of the text rows: the display string of a row, its runs of equal
// colour, the marks for tabs, indents, full-width spaces, line ends and
// special characters, keywords, and the repaint of every row (Paint) or of
// the rows that edits flagged (ValiPaint).
#include <algorithm>
#include <bitset>
#include <vector>

#include "editor/Afedit.h"
#include "platform/qt/Caret.h"

namespace {

constexpr char kIndentByte = 0x01;  // an indent cell in the display string
constexpr char kFillByte = 0x0B;    // a cell a tab fills before its tab byte

int CompareTextNoCase(const AnsiString& a, const AnsiString& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t k = 0; k < n; ++k) {
    unsigned char x = static_cast<unsigned char>(a[k]), y = static_cast<unsigned char>(b[k]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Binary search under the list's case-insensitive order: a keyword is found
// only while the list is kept in that order (the control never sorts it).
bool FindKeyword(const TStrings* list, const AnsiString& word) {
  int lo = 0, hi = list->Count() - 1;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = CompareTextNoCase(list->Strings(mid), word);
    if (c == 0) return true;
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return false;
}

// One row being drawn: the state the colour and mark routines share.
struct RowState {
  int indent = 0;
  AnsiString T;                  // indent bytes, then the text with tabs as fill bytes
  AnsiString D;                  // T as shown, ending in one CR or LF cell
  std::vector<int> fillsBefore;  // fill bytes in T[0, k)
  int col = 0;                   // current display column
  int index = 0;                 // current character index in the row's text
  AnsiString run;                // bytes gathered for the next text output
  AnsiString word;               // keyword candidate ending at col

  // DspColToCharCount(T, column, indent) in constant time.
  int CharIndexAt(int column) const {
    int lenT = static_cast<int>(T.size());
    if (lenT == 0) return 0;
    int c = column;
    if (c < lenT) {
      while (c < lenT && T[static_cast<size_t>(c)] == kFillByte) ++c;
    } else {
      c = lenT;
    }
    return c - fillsBefore[static_cast<size_t>(c)] - indent;
  }
};

// The double-byte characters of a dependence-character text, taken at
// character boundaries, as a set of codes; rebuilt when the text changes.
const std::bitset<65536>& DependenceSet(const AnsiString& chars) {
  static AnsiString cachedFor;
  static std::bitset<65536> codes;
  static bool built = false;
  if (!built || chars != cachedFor) {
    codes.reset();
    int n = static_cast<int>(chars.size());
    for (int k = 0; k < n;) {
      int l = Cp932CharLen(chars, k);
      if (l == 2)
        codes.set(static_cast<size_t>((static_cast<unsigned char>(chars[static_cast<size_t>(k)]) << 8) |
                                      static_cast<unsigned char>(chars[static_cast<size_t>(k) + 1])));
      k += l;
    }
    cachedFor = chars;
    built = true;
  }
  return codes;
}

}  // namespace

// ---------------------------------------------------------------------------

void TCustomAFEdit::ExtTextPaint(int x, int y, int minLeft, AnsiString s) {
  int n = static_cast<int>(s.size());
  // Held within the client area: what lies past it is never seen, and the
  // window need not repaint its scroll bars for it.
  TRect r(Max(x, minLeft), y, Min(x + n * FCharStep, ClientWidth()), Min(y + FRowHeight, ClientHeight()));
  // The advances come from a buffer at least as long as this text.
  Canvas->ExtTextOut(x, y, ETO_CLIPPED | ETO_OPAQUE, &r, s.data(), n, CharDx(n));
  Canvas->MoveTo(x + n * FCharStep, y + FRowHeight);
}

void TCustomAFEdit::DrawLine(int row) {
  if (FUpdating) return;

  TAttrListItem* attr = GetLinesAttr(row);
  if (attr->WrapPos == 0) {
    // A record created on demand gets the control's defaults.
    ColAttrFree(row);
    TAttrListItem fresh = MakeAttr(true, 0, FDefWrapPos);
    FLinesAttr->SetItem(row, &fresh);
    attr = GetLinesAttr(row);
  }

  int y = (row - FTopLine) * FRowHeight + FTextTop;
  TRect C;
  IntersectRect(C, TRect(FTextLeft, y, FTextRect.Right, y + FRowHeight), FPaintRect);
  if (C.IsEmpty() || row < FTopLine || row > FTopLine + GetDspRowCount() + 1) return;

  int rowCount = GetLinesCount();
  if (row >= rowCount) {
    C.Left = 0;
    Canvas->Brush->SetColor(FColor);
    Canvas->FillRect(C);
    return;
  }

  RowState st;
  st.indent = Max(0, attr->Indent);
  st.T.assign(static_cast<size_t>(st.indent), kIndentByte);
  st.T += TabExpand(FLines->Strings(row), false);
  st.fillsBefore.resize(st.T.size() + 1);
  st.fillsBefore[0] = 0;
  for (size_t k = 0; k < st.T.size(); ++k) st.fillsBefore[k + 1] = st.fillsBefore[k] + (st.T[k] == kFillByte);
  int lenT = static_cast<int>(st.T.size());

  st.D = st.T;
  if (!FViewOpt.Contains(voTab) || !FViewOpt.Contains(voIndent)) {
    for (char& b : st.D) {
      if (!FViewOpt.Contains(voTab) && (b == '\t' || b == kFillByte)) b = ' ';
      if (!FViewOpt.Contains(voIndent) && b == kIndentByte) b = ' ';
    }
  }
  if (st.D.empty())
    st.D.assign(1, '\n');
  else if (!isCrLine(row))
    st.D += '\n';
  const AnsiString& D = st.D;
  int len = static_cast<int>(D.size());

  TCanvas* cv = Canvas;
  const bool lastRow = row == rowCount - 1;

  auto selectedAt = [&](int c) {
    return (FSelArea->isSelPoint(c, row) && st.indent <= c && c < lenT) || FSelArea->isSelRow(row);
  };

  // Canvas font colour and style and brush colour for one piece of kind k.
  auto setColors = [&](int c, TCharKind k) {
    if (k == ckCmt) return;
    TFont* f = cv->Font;
    TBrush* br = cv->Brush;
    bool sel = selectedAt(c);
    if (sel) {
      if (attr->BackColor == FColor) {
        f->SetColor(FSelFont->GetColor());
        f->SetStyle(FSelFont->GetStyle());
        br->SetColor(FColSelBrush);
      } else {
        f->SetColor(attr->BackColor);
        br->SetColor(attr->TextColor);
        f->SetStyle(FSelFont->GetStyle());
      }
    } else {
      TColor bc;
      TFontStyles bs;
      if (FBlkAttrs->GetProperty(TPoint(st.index, row), bc, bs)) {
        f->SetColor(bc);
        f->SetStyle(bs);
        br->SetColor(attr->BackColor);
        return;
      }
    }
    switch (k) {
      case ckNorm:
        if (!sel) {
          f->Assign(Font);
          f->SetColor(attr->TextColor);
          br->SetColor(attr->BackColor);
        }
        break;
      case ckJSpace:
        if (!sel) {
          f->SetColor(FMarkColor);
          br->SetColor(attr->BackColor);
        }
        break;
      case ckCrMark:
      case ckNone:
        if (!sel) {
          f->SetColor(FColCr);
          br->SetColor(attr->BackColor);
        }
        break;
      case ckDependence:
        f->SetColor(FDependenceFont->GetColor());
        if (!sel) br->SetColor(attr->BackColor);
        break;
      case ckKeyWord:
        if (sel) {
          f->SetStyle(FKeywordFont->GetStyle());
          // Resolved first, so that the mix of system and plain colours
          // always gives a plain colour.
          f->SetColor(ColorToRGB(Font->GetColor()) ^ ColorToRGB(FKeywordFont->GetColor()) ^
                      ColorToRGB(FSelFont->GetColor()));
        } else {
          f->Assign(FKeywordFont);
          br->SetColor(attr->BackColor);
        }
        break;
      case ckColAttr:
        if (!sel) {
          TColAttrListItem* item = attr->ColAttrs ? attr->ColAttrs->PeekItem(st.index) : nullptr;
          f->SetColor(item ? item->Color : 0);
          br->SetColor(attr->BackColor);
        }
        break;
      case ckCmt:
        break;
    }
  };

  auto penX = [&] { return cv->GetPenPos().x; };
  auto drawAtPen = [&](const AnsiString& s) { ExtTextPaint(penX(), y, FTextLeft, s); };
  auto flush = [&] {
    if (!st.run.empty()) drawAtPen(st.run);
    st.run.clear();
  };

  auto drawMark = [&](int x, TMark mark) {
    switch (mark) {
      case mkFold:
        if (FViewOpt.Contains(voFoldMark)) ExtTextPaint(x, y, FTextLeft, FFoldMark);
        break;
      case mkCR:
        if (!FViewOpt.Contains(voCr)) break;
        if (!FCrMarkText.empty()) {
          setColors(st.col, ckCrMark);
          ExtTextPaint(x, y, FTextLeft, FCrMarkText);
        } else {
          if (attr->BackColor != FCrBmpBack) SetCrColor(FColCr, attr->BackColor);
          cv->Draw(x, y, selectedAt(st.col) ? FCrSelBmp : FCrBmp);
        }
        break;
      case mkEOF:
        ExtTextPaint(x, y, FTextLeft, FEofMark);
        break;
      case mkTab:
        break;
    }
  };

  // Redraws the word that ends before col in the keyword font when it is
  // one of the keywords.
  auto drawKeyword = [&] {
    if (st.word.empty() || !FindKeyword(FKeywords, st.word)) return;
    const AnsiString W = st.word;
    int n = static_cast<int>(W.size());
    int col = st.col;
    flush();
    cv->MoveTo(penX() - n * FCharStep, y);
    int start = 0;
    for (int k = 0; k < n; ++k) {
      if (selectedAt(col - n + k) != selectedAt(col - n + k - 1)) {
        setColors(col - n + k - 1, ckKeyWord);
        if (k > start) drawAtPen(W.substr(static_cast<size_t>(start), static_cast<size_t>(k - start)));
        setColors(col - n + k, ckKeyWord);
        start = k;
      }
    }
    setColors(col - 1, ckKeyWord);
    AnsiString R = W.substr(static_cast<size_t>(start));
    int rlen = static_cast<int>(R.size());
    int w = cv->TextWidth(R.substr(R.size() - 1)) + 1;
    if (rlen >= 2 && w > FCharStep) {
      // A wider keyword font keeps its last glyph inside the word's cells.
      int d = Max(1, (w - FCharStep) / rlen);
      int k = Min((w - FCharStep) / d, rlen);
      int* dx = CharDx(rlen);
      for (int j = 0; j < k; ++j) dx[j] -= d;
      drawAtPen(R);
      for (int j = 0; j < k; ++j) dx[j] = FCharStep;
    } else {
      drawAtPen(R);
    }
    cv->MoveTo(penX(), y);
    st.run.clear();
    st.word.clear();
    setColors(col, ckNorm);
  };
  auto kw = [&] {
    if (FViewOpt.Contains(voKeyWord)) drawKeyword();
  };

  const std::bitset<65536>& dependence = DependenceSet(FDependenceChar);
  auto isDependenceChar = [&](const AnsiString& ch) {
    return dependence.test(static_cast<size_t>(
        (static_cast<unsigned char>(ch[0]) << 8) | static_cast<unsigned char>(ch[1])));
  };

  // Background of the whole strip.
  setColors(0, ckNone);
  cv->FillRect(C);

  bool defaultDraw = true;
  if (OnDrawLine) OnDrawLine(this, row, C, D, defaultDraw);
  if (!defaultDraw) return;

  // The bytes that lie in the strip, widened to whole characters, whole tab
  // groups and whole words; every decision on a trail byte walks the string
  // from its start, and nothing reads past its end.
  auto inW = [&](int k) {
    unsigned char b = static_cast<unsigned char>(D[static_cast<size_t>(k)]);
    return b == '\t' || b == static_cast<unsigned char>(kFillByte) || FWordChars[b];
  };
  int s = (C.Left - FTextLeft) / FCharStep + FLeftCol;
  // A cell cut by the strip's right edge is drawn too (clipped).
  int e = (C.Right - FTextLeft + FCharStep - 1) / FCharStep + FLeftCol;
  if (s > 0 && s < len) {
    if (inW(s))
      while (s > 0 && inW(s - 1)) --s;
    if (Cp932IsTrail(D, s)) --s;
  } else if (s == len) {
    s = len - 1;
  }
  if (e < len) {
    if (e > 0 && Cp932IsTrail(D, e)) ++e;
    if (e < len) {
      if (D[static_cast<size_t>(e)] == '\n' || D[static_cast<size_t>(e)] == '\r')
        ++e;
      else if (inW(e))
        while (e < len && inW(e)) ++e;
    }
  }
  e = Min(e, len);

  cv->MoveTo((s - FLeftCol) * FCharStep + FTextLeft, y);
  st.col = s;
  st.index = st.CharIndexAt(s);
  int nextChange = FBlkAttrs->NearestChangePos(TPoint(0, row));
  setColors(st.col, ckNorm);
  unsigned char lastByte = 0;
  const bool voIndentOn = FViewOpt.Contains(voIndent);

  while (st.col < e) {
    int& col = st.col;
    unsigned char b = static_cast<unsigned char>(D[static_cast<size_t>(col)]);
    lastByte = b;
    st.index = st.CharIndexAt(col);

    if (st.index >= nextChange && nextChange >= 0) {
      flush();
      st.word.clear();
      setColors(col, ckNorm);
      nextChange = FBlkAttrs->NearestChangePos(TPoint(st.index + 1, row));
    }

    TColAttrListItem* colItem = nullptr;
    if (attr->ColAttrs && st.index >= 0) colItem = attr->ColAttrs->PeekItem(st.index);

    if (voIndentOn && st.index == -1) {
      // Last indent cell: the indent from the first drawn column as marks.
      st.run.assign(static_cast<size_t>(Max(0, st.indent - s)), FIndentChar);
      setColors(col, ckJSpace);
      flush();
      setColors(col, ckNorm);
    } else if (colItem && colItem->HasAttr) {
      // A run of characters with the same column attribute.
      kw();
      flush();
      TFontStyles keptStyle = cv->Font->GetStyle();
      cv->Font->SetColor(selectedAt(col) ? FSelFont->GetColor() : colItem->Color);
      cv->Font->SetStyle(colItem->Style);
      for (;;) {
        unsigned char c = static_cast<unsigned char>(D[static_cast<size_t>(col)]);
        st.run += static_cast<char>(c);
        lastByte = c;
        if (Cp932CharLen(D, col) == 2) {
          // The whole character before any change of colour.
          st.run += D[static_cast<size_t>(col + 1)];
          lastByte = static_cast<unsigned char>(D[static_cast<size_t>(col + 1)]);
          ++col;
        }
        if (selectedAt(col) != selectedAt(col + 1)) {
          setColors(col, ckColAttr);
          flush();
          setColors(col + 1, ckColAttr);
        }
        ++col;
        st.index = st.CharIndexAt(col);
        if (col >= e) break;
        TColAttrListItem* next = st.index >= 0 ? attr->ColAttrs->PeekItem(st.index) : nullptr;
        if (!next || !next->HasAttr) break;
        if (!(next->Style == cv->Font->GetStyle() && next->Color == cv->Font->GetColor())) break;
      }
      st.word.clear();
      flush();
      setColors(col, ckNorm);
      cv->Font->SetStyle(keptStyle);
      continue;  // the byte that ended the run is examined afresh
    } else if (Cp932CharLen(D, col) == 2) {
      kw();
      AnsiString ch = D.substr(static_cast<size_t>(col), 2);
      if (FViewOpt.Contains(voAnsiSpace) && ch == "\x81\x40") {
        flush();
        st.word.clear();
        setColors(col, ckJSpace);
        drawAtPen(FJSpaceMark);
        setColors(col, ckNorm);
      } else if (FViewOpt.Contains(voDependence) && isDependenceChar(ch)) {
        flush();
        st.word.clear();
        setColors(col, ckDependence);
        drawAtPen(ch);
        setColors(col, ckNorm);
      } else {
        st.run += ch;
        st.word.clear();
      }
      lastByte = static_cast<unsigned char>(ch[1]);
      ++col;
    } else if (b == '\r') {
      kw();
      flush();
      st.word.clear();
      drawMark(penX(), mkCR);
    } else if (b == '\n') {
      kw();
      flush();
      st.word.clear();
      setColors(col, ckCrMark);
      int x = penX();
      drawMark(x, mkFold);
      if (lastRow) drawMark(x, mkEOF);
    } else if (b == '\t') {
      kw();
      flush();
      st.word.clear();
      setColors(col, ckJSpace);
      drawAtPen(AnsiString(1, FTabChar));
      setColors(col, ckNorm);
    } else if (b == static_cast<unsigned char>(kFillByte)) {
      // A whole tab group takes the colours of its first cell.
      kw();
      flush();
      st.word.clear();
      setColors(col, ckJSpace);
      AnsiString group;
      int k = col;
      while (k < len && D[static_cast<size_t>(k)] == kFillByte) {
        group += FTabFillChar;
        ++k;
      }
      if (k < len && D[static_cast<size_t>(k)] == '\t') {
        group += FTabChar;
        ++k;
      }
      drawAtPen(group);
      setColors(col, ckNorm);
      col = k - 1;
      lastByte = static_cast<unsigned char>(D[static_cast<size_t>(col)]);
    } else if (FViewOpt.Contains(voHankana) && b > 0x80) {
      kw();
      flush();
      st.word.clear();
      setColors(col, ckDependence);
      drawAtPen(AnsiString(1, static_cast<char>(b)));
      setColors(col, ckNorm);
    } else if (FWordChars[b]) {
      st.run += static_cast<char>(b);
      st.word += static_cast<char>(b);
    } else {
      kw();
      st.run += static_cast<char>(b);
      st.word.clear();
    }

    if (selectedAt(col) != selectedAt(col + 1)) {
      setColors(col, ckNorm);
      flush();
      setColors(col + 1, ckNorm);
    }
    ++col;
  }

  if (lastByte == static_cast<unsigned char>(kIndentByte) && st.col > s) {
    // The strip ended inside the indent.
    std::replace(st.run.begin(), st.run.end(), kIndentByte, FIndentChar);
    setColors(st.col - 1, ckJSpace);
    flush();
  } else {
    kw();
    flush();
  }

  DrawLeftMgn(row, FormatRowNumber(FRowDspFmt, row + 1));

  if (FOptions.Contains(aoAutoFormat) && FViewOpt.Contains(voWrapLine)) {
    int x = (attr->WrapPos - FLeftCol) * FCharStep + FTextLeft;
    // Never into the margin when the wrap column is scrolled out of view.
    if (x >= FTextLeft && x < FTextRect.Right) {
      // The pixels of a one-pixel pmCopy line from (x, y) to (x, y + row
      // height), filled as a rectangle so that the changed area reported to
      // the window is exactly the line's.
      cv->Pen->SetMode(pmCopy);
      cv->Pen->SetColor(FMarkColor);
      cv->Brush->SetColor(FMarkColor);
      cv->FillRect(TRect(x, y, x + 1, y + FRowHeight));
      cv->MoveTo(x, y + FRowHeight);
    }
  }

  if (lastRow) {
    // Everything below the text, the margin included.
    cv->Brush->SetColor(FColor);
    cv->FillRect(TRect(ClientRect().Left, (rowCount - FTopLine) * FRowHeight + FTextTop, FTextRect.Right,
                       FTextRect.Bottom));
  }

  GetLinesAttr(row)->Changed = 0;
}

// ---------------------------------------------------------------------------

void TCustomAFEdit::Paint() {
  HideCaret(GetHandle());
  FPaintRect = FTextRect;
  int last = FTopLine + GetDspRowCount();
  for (int r = FTopLine; r <= last; ++r) DrawLine(r);
  SetCaretPosition();
  SetScrollBars(FScrollBars);
  ShowCaret(GetHandle());
  DrawColIndicate();
  FLastTopLine = FTopLine;
}

void TCustomAFEdit::ValiPaint() {
  if (FLastTopLine != FTopLine) {
    Paint();
    return;
  }
  HideCaret(GetHandle());
  int last = FTopLine + GetDspRowCount();
  for (int i = FTopLine; i <= last; ++i) {
    // Reading a row past the text creates its record; being the last one
    // then, it is drawn (cleared) once.
    bool changed = GetLinesAttr(i)->Changed != 0;
    if (changed || FLinesAttr->Count() == i + 1) {
      int top = (i - FTopLine) * FRowHeight + FTextTop;
      FPaintRect = TRect(FTextLeft, top, FTextRect.Right, top + FRowHeight);
      DrawLine(i);
    }
    if (!FUpdating) GetLinesAttr(i)->Changed = 0;
  }
  ShowCaret(GetHandle());
  DrawColIndicate();
  FLastTopLine = FTopLine;
}
