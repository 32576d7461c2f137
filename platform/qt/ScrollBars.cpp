// A window's own scroll bars with Win32 semantics, over QScrollBar.
#include "platform/qt/ScrollBars.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "platform/qt/internal/ControlImpl.h"
#include "platform/qt/internal/QtBridge.h"

namespace {
bool ValidBar(int bar) { return bar == SB_HORZ || bar == SB_VERT; }

int LastPos(const TWinControl::Impl::Bar& b) {
  return b.Max - std::max(static_cast<int>(b.Page) - 1, 0);
}

// Sends a scroll message for a user action on a bar through the control's
// WindowProc; exceptions stop here.
void SendScroll(TWinControl* owner, int bar, int code, int pos) {
  if (!owner) return;
  try {
    owner->Perform(bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL,
                   MAKEWPARAM(static_cast<uint16_t>(code), static_cast<uint16_t>(pos)), 0);
  } catch (...) {
    Application->HandleException(owner);
  }
}

void ShowBar(TWinControl* wnd, int bar, bool show) {
  auto& b = wnd->GetImpl()->Bars[bar];
  if (b.Visible == show) return;
  b.Visible = show;
  if (show) EnsureScrollBar(wnd, bar);
  SyncScrollBarWidget(*wnd->GetImpl(), bar);
  TScrollBarsAccess::Relayout(wnd);
}
}  // namespace

TScrollBarWidget::TScrollBarWidget(TWinControl* owner, int bar, QWidget* parent)
    : QScrollBar(bar == SB_VERT ? Qt::Vertical : Qt::Horizontal, parent), Owner(owner), Bar(bar) {
  setFocusPolicy(Qt::NoFocus);
  // The arrow, not the cursor the control shows over its client.
  setCursor(Qt::ArrowCursor);
  // The program moves the bar: a drag reports its track position only.
  setTracking(false);
  setSingleStep(1);
  hide();
  connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
    if (!Owner) return;
    auto& b = Owner->GetImpl()->Bars[Bar];
    int code = -1;
    switch (action) {
      case SliderSingleStepAdd: code = SB_LINEDOWN; break;
      case SliderSingleStepSub: code = SB_LINEUP; break;
      case SliderPageStepAdd: code = SB_PAGEDOWN; break;
      case SliderPageStepSub: code = SB_PAGEUP; break;
      case SliderToMinimum: code = SB_TOP; break;
      case SliderToMaximum: code = SB_BOTTOM; break;
      default: break;  // SliderMove: the drag signals below report it
    }
    // Undo the toolkit's own step; the handler sets the position it wants.
    setSliderPosition(b.Pos);
    if (code >= 0) SendScroll(Owner, Bar, code, 0);
  });
  connect(this, &QAbstractSlider::sliderPressed, this, [this]() {
    if (!Owner) return;
    auto& b = Owner->GetImpl()->Bars[Bar];
    b.Tracking = true;
    b.TrackPos = b.Pos;
  });
  connect(this, &QAbstractSlider::sliderMoved, this, [this](int pos) {
    if (!Owner) return;
    auto& b = Owner->GetImpl()->Bars[Bar];
    b.Tracking = true;
    b.TrackPos = pos;
    SendScroll(Owner, Bar, SB_THUMBTRACK, pos);
  });
  connect(this, &QAbstractSlider::sliderReleased, this, [this]() {
    if (!Owner) return;
    auto& b = Owner->GetImpl()->Bars[Bar];
    int pos = b.TrackPos;
    SendScroll(Owner, Bar, SB_THUMBPOSITION, pos);
    if (Owner) Owner->GetImpl()->Bars[Bar].Tracking = false;
  });
}

void TScrollBarWidget::mousePressEvent(QMouseEvent* e) {
  if (Owner) Owner->GetImpl()->Bars[Bar].UserAction = true;
  QScrollBar::mousePressEvent(e);
}

void TScrollBarWidget::mouseReleaseEvent(QMouseEvent* e) {
  QScrollBar::mouseReleaseEvent(e);
  if (!Owner) return;
  auto& b = Owner->GetImpl()->Bars[Bar];
  b.Tracking = false;
  if (b.UserAction) {
    b.UserAction = false;
    SendScroll(Owner, Bar, SB_ENDSCROLL, 0);
  }
}

void TScrollBarWidget::wheelEvent(QWheelEvent* e) {
  // The wheel belongs to the window, as on Win32.
  e->ignore();
}

TScrollBarWidget* EnsureScrollBar(TWinControl* control, int bar) {
  auto& d = *control->GetImpl();
  auto& b = d.Bars[bar];
  if (!b.Widget && d.Widget) {
    b.Widget = new TScrollBarWidget(control, bar, d.Widget);
    SyncScrollBarWidget(d, bar);
  }
  return b.Widget;
}

void SyncScrollBarWidget(TWinControl::Impl& d, int bar) {
  auto& b = d.Bars[bar];
  TScrollBarWidget* w = b.Widget;
  if (!w) return;
  bool blocked = w->blockSignals(true);
  w->setRange(b.Min, std::max(b.Min, LastPos(b)));
  w->setPageStep(std::max(1, static_cast<int>(b.Page)));
  w->setValue(b.Pos);
  if (b.Tracking) w->setSliderPosition(b.TrackPos);
  w->setEnabled(b.Enabled);
  w->blockSignals(blocked);
}

int SetScrollInfo(HWND wnd, int bar, const TScrollInfo* info, bool redraw) {
  if (!wnd || !info || !ValidBar(bar)) return 0;
  auto& d = *wnd->GetImpl();
  auto& b = d.Bars[bar];
  bool changed = false;
  if (info->fMask & SIF_PAGE) {
    if (b.Page != info->nPage) changed = true;
    b.Page = info->nPage;
  }
  if (info->fMask & SIF_RANGE) {
    int mn = info->nMin, mx = info->nMax;
    // A reversed or too wide range is taken as empty.
    if (mn > mx || static_cast<unsigned>(mx - mn) >= 0x80000000u) mn = mx = 0;
    if (b.Min != mn || b.Max != mx) changed = true;
    b.Min = mn;
    b.Max = mx;
  }
  // The page never exceeds the range.
  unsigned span = static_cast<unsigned>(b.Max - b.Min) + 1;
  if (b.Page > span) b.Page = span;
  if (info->fMask & SIF_POS) b.Pos = info->nPos;
  if (b.Pos < b.Min) b.Pos = b.Min;
  else if (b.Pos > LastPos(b)) b.Pos = std::max(b.Min, LastPos(b));

  if (info->fMask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL)) {
    bool unnecessary = b.Min >= LastPos(b);
    if (unnecessary) {
      if (info->fMask & SIF_DISABLENOSCROLL) b.Enabled = false;
      else if (changed) {
        SyncScrollBarWidget(d, bar);
        ShowBar(wnd, bar, false);
        return b.Pos;
      }
    } else if (info->fMask != SIF_PAGE) {
      b.Enabled = true;
      if (changed) ShowBar(wnd, bar, true);
    }
  }
  SyncScrollBarWidget(d, bar);
  return b.Pos;
}

bool GetScrollInfo(HWND wnd, int bar, TScrollInfo* info) {
  if (!wnd || !info || !ValidBar(bar)) return false;
  const auto& b = wnd->GetImpl()->Bars[bar];
  if (info->fMask & SIF_RANGE) {
    info->nMin = b.Min;
    info->nMax = b.Max;
  }
  if (info->fMask & SIF_PAGE) info->nPage = b.Page;
  if (info->fMask & SIF_POS) info->nPos = b.Pos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = b.Tracking ? b.TrackPos : b.Pos;
  return true;
}

int GetScrollPos(HWND wnd, int bar) {
  if (!wnd || !ValidBar(bar)) return 0;
  return wnd->GetImpl()->Bars[bar].Pos;
}

int SetScrollPos(HWND wnd, int bar, int pos, bool redraw) {
  if (!wnd || !ValidBar(bar)) return 0;
  int old = wnd->GetImpl()->Bars[bar].Pos;
  TScrollInfo info;
  info.fMask = SIF_POS;
  info.nPos = pos;
  SetScrollInfo(wnd, bar, &info, redraw);
  return old;
}

bool ShowScrollBar(HWND wnd, int bar, bool show) {
  if (!wnd) return false;
  if (bar == SB_BOTH) {
    ShowBar(wnd, SB_HORZ, show);
    ShowBar(wnd, SB_VERT, show);
    return true;
  }
  if (!ValidBar(bar)) return false;
  ShowBar(wnd, bar, show);
  return true;
}

bool EnableScrollBar(HWND wnd, unsigned bar, unsigned arrows) {
  if (!wnd) return false;
  auto apply = [&](int b) {
    auto& s = wnd->GetImpl()->Bars[b];
    // One arrow alone cannot be disabled on these bars; both or none.
    s.Enabled = arrows != ESB_DISABLE_BOTH;
    SyncScrollBarWidget(*wnd->GetImpl(), b);
  };
  if (bar == SB_BOTH) {
    apply(SB_HORZ);
    apply(SB_VERT);
    return true;
  }
  if (!ValidBar(static_cast<int>(bar))) return false;
  apply(static_cast<int>(bar));
  return true;
}

bool IsScrollBarVisible(HWND wnd, int bar) {
  return wnd && ValidBar(bar) && wnd->GetImpl()->Bars[bar].Visible;
}

bool ScrollWindow(HWND wnd, int dx, int dy, const TRect* rect, const TRect* clip) {
  if (!wnd) return false;
  auto& d = *wnd->GetImpl();
  QRect client(0, 0, d.Client.width(), d.Client.height());
  QRect area = rect ? ToQRect(*rect).intersected(client) : client;
  QRect clipR = clip ? ToQRect(*clip).intersected(client) : client;
  if (area.isEmpty() || clipR.isEmpty()) return true;
  QRect moved = area.translated(dx, dy).intersected(clipR);
  if (d.HasImage && !d.Image.isNull() && !moved.isEmpty()) {
    QImage part = d.Image.copy(area);
    QPainter p(&d.Image);
    p.setClipRect(clipR);
    p.drawImage(area.topLeft() + QPoint(dx, dy), part);
  }
  QRegion uncovered = QRegion(area.intersected(clipR)) - QRegion(moved);
  d.Invalid += uncovered;
  CaretScrolled(wnd, area, dx, dy);
  d.UpdateClient(clipR);
  return true;
}
