// Controls: message paths, the widget behind a windowed control, painting
// through a backing image, and the translation of Qt events into messages.
#include "platform/qt/Controls.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QStyle>
#include <algorithm>

#include "platform/qt/Caret.h"
#include "platform/qt/internal/ControlImpl.h"
#include "platform/qt/internal/KeyInput.h"
#include "platform/qt/KeyState.h"
#include "platform/qt/MouseInput.h"
#include "platform/qt/internal/QtBridge.h"

// ---------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), Font(new TFont) {
  InitControls();
  WindowProc = [this](TMessage& m) { WndProc(m); };
  Font->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  WindowProc = [](TMessage&) {};
  if (FParent) FParent->RemoveControl(this);
  FParent = nullptr;
  Font->OnChange = nullptr;
  delete Font;
}

void TControl::WndProc(TMessage& Message) { Dispatch(Message); }

void TControl::Dispatch(TMessage& Message) { DefaultHandler(Message); }

void TControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
      Invalidate();
      break;
    default:
      // The mouse messages fire the mouse events (MouseInput.cpp).
      MouseDefaultHandler(this, Message);
      break;
  }
}

intptr_t TControl::Perform(unsigned Msg, uintptr_t WParam, intptr_t LParam) {
  TMessage m;
  m.Msg = Msg;
  m.WParam = WParam;
  m.LParam = LParam;
  m.Result = 0;
  WindowProc(m);
  return m.Result;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  FLeft = left;
  FTop = top;
  FWidth = std::max(0, width);
  FHeight = std::max(0, height);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == FParent) return;
  if (parent == this) throw EInvalidOperation("コントロールを自身の親にはできません");
  if (FParent) FParent->RemoveControl(this);
  FParent = nullptr;
  if (parent) {
    parent->InsertControl(this);
    FParent = parent;
    ParentFontOrColorChanged();
  }
}

void TControl::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  Perform(CM_VISIBLECHANGED, v ? 1 : 0, 0);
}

void TControl::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetAlign(TAlign a) {
  if (a == FAlign) return;
  FAlign = a;
  if (FParent) FParent->AlignControls();
}

void TControl::SetColor(TColor c) {
  if (c == FColor && !FParentColor) return;
  FColor = c;
  FParentColor = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentFont(bool v) {
  FParentFont = v;
  if (v) ParentFontOrColorChanged();
}

void TControl::SetParentColor(bool v) {
  FParentColor = v;
  if (v) ParentFontOrColorChanged();
}

void TControl::SetCursor(TCursor c) { FCursor = c; }

void TControl::FontChanged() {
  // A font set on the control itself no longer follows the parent.
  FParentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::ParentFontOrColorChanged() {
  if (!FParent) return;
  if (FParentFont) {
    Font->Assign(FParent->Font);  // sends CM_FONTCHANGED when anything changed
    FParentFont = true;
  }
  if (FParentColor && FColor != FParent->GetColor()) {
    FColor = FParent->GetColor();
    Perform(CM_COLORCHANGED, 0, 0);
  }
}

// ---------------------------------------------------------------------------
// TWinControl

bool TControlWidget::event(QEvent* e) {
  if (Owner && Owner->TranslateEvent(e)) return true;
  return QWidget::event(e);
}

intptr_t TWinControl::Impl::Send(unsigned msg, uintptr_t wParam, intptr_t lParam) {
  return Self->Perform(msg, wParam, lParam);
}

void TWinControl::Impl::CaretMoved() { InputMethodCaretMoved(Self); }

void TWinControl::Impl::EndComposition(bool commit) { EndInputMethodComposition(Self, commit); }


void TWinControl::Impl::UpdateClient(const QRect& clientRect) {
  if (!Widget) return;
  // Only the client: a rectangle reaching past it (a pen's reach at the
  // bottom edge) would make the widget repaint its scroll bars as well.
  QRect r = clientRect.intersected(QRect(0, 0, Client.width(), Client.height()));
  if (r.isEmpty()) return;
  if (PendingUpdate.contains(r)) return;  // already asked for, not yet painted
  PendingUpdate |= r;
  Widget->update(PendingUpdate.translated(Client.topLeft()));
}

TWinControl::TWinControl(TComponent* AOwner)
    : TControl(AOwner), FImpl(std::make_unique<Impl>(this)), FInput(FImpl.get()) {
  auto* w = new TControlWidget(this, nullptr);
  w->setAttribute(Qt::WA_OpaquePaintEvent);
  w->setAttribute(Qt::WA_NoSystemBackground);
  w->setFocusPolicy(Qt::ClickFocus);
  w->setMouseTracking(true);  // WM_MOUSEMOVE also without a button held
  w->hide();
  FImpl->Widget = w;
}

TWinControl::~TWinControl() {
  // Nothing of the derived class may run from here on: a WindowProc put in
  // from outside may reach it.
  WindowProc = [](TMessage&) {};
  if (FImpl->Widget) FImpl->Widget->Owner = nullptr;
  for (auto& bar : FImpl->Bars)
    if (bar.Widget) bar.Widget->Owner = nullptr;
  CaretOwnerDestroyed(this);
  KeyboardOwnerDestroyed(this);
  if (GetCapture() == this) ReleaseCapture();
  // Child controls go with their parent, as their windows do.
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    delete c;
  }
  if (FParent) FParent->RemoveControl(this);
  FParent = nullptr;
  delete FImpl->Widget.data();
}

QWidget* TWinControl::GetWidget() const { return FImpl->Widget.data(); }

void TWinControl::InsertControl(TControl* c) {
  FControls.push_back(c);
  if (auto* wc = dynamic_cast<TWinControl*>(c)) {
    if (wc->FImpl->Widget && FImpl->Widget) {
      wc->FImpl->Widget->setParent(FImpl->Widget);
      wc->FImpl->Widget->setGeometry(wc->FLeft, wc->FTop, wc->FWidth, wc->FHeight);
      wc->FImpl->Widget->setVisible(wc->FVisible);
    }
  }
  AlignControls();
}

void TWinControl::RemoveControl(TControl* c) {
  auto it = std::find(FControls.begin(), FControls.end(), c);
  if (it == FControls.end()) return;
  FControls.erase(it);
  if (auto* wc = dynamic_cast<TWinControl*>(c)) {
    if (wc->FImpl->Widget && !(FComponentState.Contains(csDestroying))) {
      wc->FImpl->Widget->hide();
      wc->FImpl->Widget->setParent(nullptr);
    }
  }
  AlignControls();
}

void TWinControl::SetParent(TWinControl* parent) {
  TControl::SetParent(parent);
  if (!parent && FImpl->Widget && FImpl->Widget->parentWidget()) {
    FImpl->Widget->hide();
    FImpl->Widget->setParent(nullptr);
  }
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  bool moved = left != FLeft || top != FTop;
  bool sized = std::max(0, width) != FWidth || std::max(0, height) != FHeight;
  TControl::SetBounds(left, top, width, height);
  if (FImpl->Widget && (moved || sized)) FImpl->Widget->setGeometry(FLeft, FTop, FWidth, FHeight);
  if (sized) UpdateGeometry();
}

TRect TWinControl::ClientRect() const { return Rect(0, 0, FImpl->Client.width(), FImpl->Client.height()); }

void TWinControl::SetVisible(bool v) {
  TControl::SetVisible(v);
  if (FImpl->Widget && (FImpl->Widget->parentWidget() || dynamic_cast<TForm*>(this)))
    FImpl->Widget->setVisible(FVisible);
}

void TWinControl::SetEnabled(bool v) {
  TControl::SetEnabled(v);
  if (FImpl->Widget) FImpl->Widget->setEnabled(FEnabled);
}

void TWinControl::SetCursor(TCursor c) {
  TControl::SetCursor(c);
  if (FImpl->Widget) {
    if (c == crDefault) FImpl->Widget->unsetCursor();
    else FImpl->Widget->setCursor(CursorFor(c));
  }
}

bool TWinControl::Focused() const {
  return FImpl->Widget && QApplication::focusWidget() == FImpl->Widget.data();
}

bool TWinControl::CanFocus() const {
  for (const TWinControl* c = this; c; c = c->FParent)
    if (!c->FVisible || !c->FEnabled) return false;
  return FImpl->Widget != nullptr;
}

void TWinControl::SetFocus() {
  // A hidden or disabled control cannot take the focus; the request is
  // dropped rather than raised, so a message reaching a hidden pane is harmless.
  if (!FImpl->Widget || !CanFocus()) return;
  FImpl->Widget->setFocus(Qt::OtherFocusReason);
}

void TWinControl::SetTabStop(bool v) {
  FTabStop = v;
  if (FImpl->Widget) FImpl->Widget->setFocusPolicy(v ? Qt::StrongFocus : Qt::ClickFocus);
}

void TWinControl::SetBevelKind(TBevelKind k) {
  FBevelKind = k;
  FImpl->NcDirty = true;
  UpdateGeometry();
}

void TWinControl::SetBorderWidth(int w) {
  FBorderWidth = std::max(0, w);
  FImpl->NcDirty = true;
  UpdateGeometry();
}

void TWinControl::Invalidate() { InvalidateClientRect(nullptr); }

void TWinControl::InvalidateClientRect(const TRect* r) {
  QRect all(0, 0, FImpl->Client.width(), FImpl->Client.height());
  QRect q = r ? ToQRect(*r).intersected(all) : all;
  if (q.isEmpty()) return;
  FImpl->Invalid += q;
  FImpl->UpdateClient(q);
}

void TWinControl::ValidateClientRect(const TRect* r) {
  if (r) FImpl->Invalid -= ToQRect(*r);
  else FImpl->Invalid = QRegion();
}

bool TWinControl::HasPendingPaint() const { return !FImpl->Invalid.isEmpty(); }

void TWinControl::Update() {
  // Paints what is pending at once, into the backing image, whether or not
  // the widget is on screen.
  if (FImpl->Invalid.isEmpty() || FImpl->InPaint) return;
  if (FImpl->NcDirty) {
    FImpl->NcDirty = false;
    Perform(WM_NCPAINT, 1, 0);
  }
  FImpl->Invalid = QRegion();
  FImpl->InPaint = true;
  try {
    Perform(WM_PAINT, 0, 0);
  } catch (...) {
    FImpl->InPaint = false;
    throw;
  }
  FImpl->InPaint = false;
  FImpl->UpdateClient();
}

void TWinControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      PaintWindow();
      break;
    case WM_SETFOCUS:
      if (OnEnter) OnEnter(this);
      break;
    case WM_KILLFOCUS:
      if (OnExit) OnExit(this);
      break;
    case WM_SIZE:
      if (OnResize) OnResize(this);
      break;
    case WM_GETDLGCODE:
      Message.Result = 0;
      break;
    case CM_WANTSPECIALKEY:
      Message.Result = 0;
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
    case WM_IME_COMPOSITION:
      KeyboardDefaultHandler(this, Message);  // KeyInput.cpp
      break;
    case CM_COLORCHANGED:
      Invalidate();
      for (TControl* c : FControls) c->ParentFontOrColorChanged();
      break;
    case CM_FONTCHANGED:
      Invalidate();
      for (TControl* c : FControls) c->ParentFontOrColorChanged();
      break;
    default:
      TControl::DefaultHandler(Message);
      break;
  }
}

void TWinControl::ParentFontOrColorChanged() { TControl::ParentFontOrColorChanged(); }

void TWinControl::ClientResized() { AlignControls(); }

void TWinControl::AlignControls() {
  QRect area(0, 0, FImpl->Client.width(), FImpl->Client.height());
  auto place = [](TControl* c, const QRect& r) { c->SetBounds(r.x(), r.y(), r.width(), r.height()); };
  for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TControl* c : FControls) {
      if (c->FAlign != pass || !c->FVisible) continue;
      switch (pass) {
        case alTop:
          place(c, QRect(area.x(), area.y(), area.width(), c->FHeight));
          area.setTop(area.top() + c->FHeight);
          break;
        case alBottom:
          place(c, QRect(area.x(), area.bottom() + 1 - c->FHeight, area.width(), c->FHeight));
          area.setBottom(area.bottom() - c->FHeight);
          break;
        case alLeft:
          place(c, QRect(area.x(), area.y(), c->FWidth, area.height()));
          area.setLeft(area.left() + c->FWidth);
          break;
        case alRight:
          place(c, QRect(area.right() + 1 - c->FWidth, area.y(), c->FWidth, area.height()));
          area.setRight(area.right() - c->FWidth);
          break;
        default:
          place(c, area);
          break;
      }
    }
  }
}

void TWinControl::UpdateGeometry() {
  Impl& d = *FImpl;
  int frame = FBorderWidth + (FBevelKind != bkNone ? 2 : 0);
  d.Frame = frame;
  int w = FWidth - 2 * frame, h = FHeight - 2 * frame;
  int extent = FImpl->Widget ? FImpl->Widget->style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 16;
  bool vBar = d.Bars[SB_VERT].Visible, hBar = d.Bars[SB_HORZ].Visible;
  int cw = std::max(0, w - (vBar ? extent : 0));
  int ch = std::max(0, h - (hBar ? extent : 0));
  if (d.Bars[SB_VERT].Widget) {
    d.Bars[SB_VERT].Widget->setGeometry(frame + cw, frame, extent, ch);
    d.Bars[SB_VERT].Widget->setVisible(vBar);
  }
  if (d.Bars[SB_HORZ].Widget) {
    d.Bars[SB_HORZ].Widget->setGeometry(frame, frame + ch, cw, extent);
    d.Bars[SB_HORZ].Widget->setVisible(hBar);
  }
  QRect client(frame, frame, cw, ch);
  bool resized = client.size() != d.Client.size();
  d.Client = client;
  if (!resized) return;
  d.NcDirty = true;
  ClientResized();
  Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<uint16_t>(cw), static_cast<uint16_t>(ch)));
  if (d.Widget) d.Widget->update();
}

bool TWinControl::TranslateEvent(QEvent* event) {
  try {
    // Keys, characters and the input method (KeyInput.cpp).
    if (TranslateKeyboardEvent(this, event)) return true;
    // The mouse, entering and leaving, the pop-up menu (MouseInput.cpp).
    if (TranslateMouseEvent(this, event)) return true;
    return FImpl->WindowEvent(event);
  } catch (...) {
    Application->HandleException(this);
    return true;
  }
}

bool TWinControl::Impl::WindowEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::Resize:
      Resized(static_cast<QResizeEvent*>(event)->size());
      return false;
    case QEvent::Move:
      if (Widget) {
        Self->FLeft = Widget->x();
        Self->FTop = Widget->y();
      }
      return false;
    case QEvent::Show:
      NcDirty = true;
      Self->Invalidate();
      return false;
    case QEvent::FocusIn:
      Self->Perform(WM_SETFOCUS, 0, 0);
      return false;
    case QEvent::FocusOut:
      Self->Perform(WM_KILLFOCUS, 0, 0);
      return false;
    case QEvent::Paint:
      PaintWidget();
      return true;
    default:
      return false;
  }
}

void TWinControl::Impl::Resized(const QSize& size) {
  if (size.width() == Self->FWidth && size.height() == Self->FHeight) return;
  Self->FWidth = size.width();
  Self->FHeight = size.height();
  Self->UpdateGeometry();
  if (Self->FParent) Self->FParent->AlignControls();
}

// Paints what WM_PAINT and WM_NCPAINT left to do, then shows the frame, the
// bars' corner, the client image and the overlays of the caret and of a
// composition.
void TWinControl::Impl::PaintWidget() {
  if (!Invalid.isEmpty() || NcDirty) {
    if (Invalid.isEmpty()) {
      NcDirty = false;
      Self->Perform(WM_NCPAINT, 1, 0);
    } else {
      Self->Update();
    }
  }
  QPainter p(Widget);
  PaintFrame(p);
  if (HasImage) {
    p.drawImage(Client.topLeft(), Image);
  } else {
    p.fillRect(Client, ToQColor(Self->FColor));
  }
  p.setClipRect(Client);
  PaintCaretOverlay(Self, p, Client.topLeft());
  PaintPreeditOverlay(Self, p, Client.topLeft());
  PendingUpdate = QRect();
}

// The border, and whatever lies between it and the client besides the bars.
void TWinControl::Impl::PaintFrame(QPainter& p) {
  const QRect full = Widget->rect();
  const QColor face = ToQColor(clBtnFace);
  if (Frame > 0) {
    QRegion frame(full);
    frame -= full.adjusted(Frame, Frame, -Frame, -Frame);
    for (const QRect& r : frame) p.fillRect(r, face);
    if (Self->FBevelKind != bkNone) {
      p.setPen(ToQColor(clBtnShadow));
      p.drawRect(full.adjusted(0, 0, -1, -1));
    }
  }
  QRegion rest(full.adjusted(Frame, Frame, -Frame, -Frame));
  rest -= Client;
  for (const Bar& b : Bars)
    if (b.Visible && b.Widget) rest -= b.Widget->geometry();
  for (const QRect& r : rest) p.fillRect(r, face);
}

// ---------------------------------------------------------------------------
// TCustomControl

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), Canvas(new TCanvas) {
  FColor = clWindow;  // ready for the control's own painting
  Impl& d = *GetImpl();
  d.HasImage = true;
  d.Canvas = Canvas;
  Canvas->Font->Assign(Font);
  Canvas->SetImage(&d.Image);
  Canvas->OnPainted = [this](const TRect& r) {
    Impl& di = *GetImpl();
    if (!di.InPaint) di.UpdateClient(ToQRect(r));
  };
}

TCustomControl::~TCustomControl() {
  Canvas->OnPainted = nullptr;
  GetImpl()->Canvas = nullptr;
  GetImpl()->HasImage = false;
  delete Canvas;
}

void TCustomControl::PaintWindow() { Paint(); }

void TCustomControl::ClientResized() {
  Impl& d = *GetImpl();
  QImage img = NewImage(d.Client.width(), d.Client.height(), FColor);
  if (!d.Image.isNull() && !img.isNull()) {
    QPainter p(&img);
    p.drawImage(0, 0, d.Image);
  }
  d.Image = img;
  Canvas->SetImage(&d.Image);
  // The whole client is repainted after a size change, as a window class
  // with horizontal and vertical redraw asks.
  Invalidate();
  TWinControl::ClientResized();
}

// ---------------------------------------------------------------------------
// TForm

TForm::TForm(TComponent* AOwner, QWidget* parentWidget) : TWinControl(AOwner) {
  FVisible = false;
  if (parentWidget) {
    GetWidget()->setParent(parentWidget);
    FVisible = true;
    GetWidget()->show();
  }
  GetWidget()->setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TForm::SetCaption(const AnsiString& caption) {
  FCaption = caption;
  if (GetWidget()) GetWidget()->setWindowTitle(ToQString(caption));
}

TWinControl* AsWinControl(TComponent* c) {
  auto* w = dynamic_cast<TWinControl*>(c);
  if (!w) throw EInvalidCast(LibMsg::InvalidCast);
  return w;
}

// ---------------------------------------------------------------------------
// Window calls

intptr_t SendMessage(HWND wnd, unsigned msg, uintptr_t wParam, intptr_t lParam) {
  if (!wnd) return 0;
  return wnd->Perform(msg, wParam, lParam);
}

namespace {
TWinControl* ControlOf(QWidget* w) {
  auto* cw = dynamic_cast<TControlWidget*>(w);
  return cw ? cw->Owner : nullptr;
}
QPointer<QWidget> gCapture;
}  // namespace

HWND GetFocus() { return ControlOf(QApplication::focusWidget()); }

HWND SetFocus(HWND wnd) {
  HWND old = GetFocus();
  if (wnd && wnd->GetWidget()) wnd->GetWidget()->setFocus(Qt::OtherFocusReason);
  return old;
}

// Capture only records the window: while a button is held the toolkit's
// implicit grab already sends the mouse to the pressed widget, and an
// explicit grab could outlive a lost button release.
HWND SetCapture(HWND wnd) {
  HWND old = GetCapture();
  gCapture = wnd ? wnd->GetWidget() : nullptr;
  return old;
}

bool ReleaseCapture() {
  gCapture = nullptr;
  return true;
}

HWND GetCapture() { return ControlOf(gCapture.data()); }

bool GetCursorPos(TPoint* p) {
  if (!p) return false;
  QPoint q = QCursor::pos();
  *p = TPoint(q.x(), q.y());
  return true;
}

bool GetClientRect(HWND wnd, TRect* r) {
  if (!wnd || !r) return false;
  *r = wnd->ClientRect();
  return true;
}

bool ValidateRect(HWND wnd, const TRect* r) {
  if (!wnd) return false;
  wnd->ValidateClientRect(r);
  return true;
}

HDC GetWindowDC(HWND wnd) {
  auto* cc = dynamic_cast<TCustomControl*>(wnd);
  return cc ? cc->Canvas : nullptr;
}

int ReleaseDC(HWND, HDC dc) { return dc ? 1 : 0; }

TShiftState KeyDataToShiftState(intptr_t keyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s << ssCtrl;
  if (keyData & 0x20000000) s << ssAlt;
  return s;
}
