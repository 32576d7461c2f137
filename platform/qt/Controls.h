// Stands in for the class library's control classes (TControl, TWinControl,
// TCustomControl, a form), its Screen and Application objects, and the Win32
// window calls the editor makes (SendMessage, focus, capture).
//
// Messages: Perform and SendMessage go through the replaceable WindowProc
// (by default the control's WndProc, which calls Dispatch). A control class
// overrides the virtual Dispatch with one switch over the messages it
// handles and hands every other message to its base class's Dispatch; at the
// bottom, TControl::Dispatch calls DefaultHandler, which holds the library's
// own handling (what a handler's "inherited" call reaches).
// Qt events of the control's widget are turned into these messages in one
// place (TWinControl::TranslateEvent); exceptions never leave a Qt event:
// they go to Application->HandleException.
#pragma once

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/qt/Graphics.h"
#include "platform/core/Messages.h"

class QWidget;
class QMenu;
class QEvent;
class TWinControl;
class TControlInput;

// A window handle is the windowed control itself.
using HWND = TWinControl*;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
enum TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese, imSHanguel, imHanguel };
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind, uint8_t>;
enum TBevelEdge { beLeft, beTop, beRight, beBottom };
using TBevelEdges = TSet<TBevelEdge, uint8_t>;
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TDragKind { dkDrag, dkDock };
// The library's drag mode of a control (the editor has a TDragMode of its own).
enum TControlDragMode { dmManual, dmAutomatic };

struct TSizeConstraints {
  int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;  // 0 = no limit
};

using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TDragOverEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y, bool& Accept)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TObject*& DragObject)>;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // --- messages ---
  // Replaceable entry point of every message; defaults to WndProc. Keep the
  // previous value to chain to it: auto old = c->WindowProc;
  // c->WindowProc = [old](TMessage& m) { ...; old(m); };
  std::function<void(TMessage&)> WindowProc;
  virtual void WndProc(TMessage& Message);        // calls Dispatch
  virtual void Dispatch(TMessage& Message);       // TControl's: DefaultHandler
  virtual void DefaultHandler(TMessage& Message);  // the library's own handling
  intptr_t Perform(unsigned Msg, uintptr_t WParam = 0, intptr_t LParam = 0);

  // --- position and size (in the parent's client coordinates) ---
  int GetLeft() const { return FLeft; }
  int GetTop() const { return FTop; }
  int GetWidth() const { return FWidth; }
  int GetHeight() const { return FHeight; }
  void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
  void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
  void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
  void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  virtual TRect ClientRect() const { return Rect(0, 0, FWidth, FHeight); }
  int ClientWidth() const { return ClientRect().Right; }
  int ClientHeight() const { return ClientRect().Bottom; }

  virtual void SetParent(TWinControl* parent);

  bool GetVisible() const { return FVisible; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  bool GetEnabled() const { return FEnabled; }
  virtual void SetEnabled(bool v);
  TAlign GetAlign() const { return FAlign; }
  void SetAlign(TAlign a);

  // --- appearance ---
  TFont* Font;  // owned; a change sends CM_FONTCHANGED
  TColor GetColor() const { return FColor; }
  void SetColor(TColor c);  // sends CM_COLORCHANGED
  bool GetParentFont() const { return FParentFont; }
  void SetParentFont(bool v);
  bool GetParentColor() const { return FParentColor; }
  void SetParentColor(bool v);
  TCursor GetCursor() const { return FCursor; }
  virtual void SetCursor(TCursor c);
  const AnsiString& GetHint() const { return FHint; }
  void SetHint(const AnsiString& h) { FHint = h; }
  bool GetShowHint() const { return FShowHint; }
  void SetShowHint(bool v) { FShowHint = v; }
  QMenu* GetPopupMenu() const { return FPopupMenu; }  // not owned; shown on a right click and the menu keys
  void SetPopupMenu(QMenu* m) { FPopupMenu = m; }
  int GetHelpContext() const { return FHelpContext; }
  void SetHelpContext(int v) { FHelpContext = v; }

  // Stored properties the library publishes; they have no effect here.
  TAnchors GetAnchors() const { return FAnchors; }
  void SetAnchors(TAnchors v) { FAnchors = v; }
  TBiDiMode GetBiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode v) { FBiDiMode = v; }
  bool GetParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(bool v) { FParentBiDiMode = v; }
  bool GetParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool v) { FParentShowHint = v; }
  const TSizeConstraints& GetConstraints() const { return FConstraints; }
  void SetConstraints(const TSizeConstraints& v) { FConstraints = v; }
  TCursor GetDragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor v) { FDragCursor = v; }
  TDragKind GetDragKind() const { return FDragKind; }
  void SetDragKind(TDragKind v) { FDragKind = v; }
  TControlDragMode GetDragMode() const { return FDragMode; }
  void SetDragMode(TControlDragMode v) { FDragMode = v; }

  // --- painting ---
  virtual void Invalidate() {}
  virtual void Update() {}
  virtual void Repaint() { Invalidate(); Update(); }

  // --- events (fired only when set) ---
  TNotifyEvent OnClick, OnDblClick, OnEnter, OnExit, OnResize;
  TKeyEvent OnKeyDown, OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown, OnMouseWheelUp;
  TDragDropEvent OnDragDrop;
  TDragOverEvent OnDragOver;
  TEndDragEvent OnEndDock, OnEndDrag;
  TStartDragEvent OnStartDrag, OnStartDock;

 protected:
  // The library's handling of a message (the "inherited" call of a handler).
  void Inherited(TMessage& Message) { DefaultHandler(Message); }

  virtual void FontChanged();
  virtual void ParentFontOrColorChanged();

  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TWinControl* FParent = nullptr;
  bool FVisible = true;
  bool FEnabled = true;
  TAlign FAlign = alNone;
  TColor FColor = clBtnFace;
  bool FParentFont = true;
  bool FParentColor = false;
  TCursor FCursor = crDefault;
  AnsiString FHint;
  bool FShowHint = false;
  QMenu* FPopupMenu = nullptr;
  int FHelpContext = 0;
  TAnchors FAnchors{akLeft, akTop};
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FParentBiDiMode = true;
  bool FParentShowHint = true;
  TSizeConstraints FConstraints;
  TCursor FDragCursor = crDrag;
  TDragKind FDragKind = dkDrag;
  TControlDragMode FDragMode = dmManual;

 private:
  friend class TWinControl;
};

// A control with a window (a QWidget). Owns its widget, its two scroll bars
// (see ScrollBars.h) and its child controls' widgets through Qt parenting.
class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // Window identity: non-null for the control's whole life.
  HWND GetHandle() { return this; }
  QWidget* GetWidget() const;  // the control's widget (for the application's layouts)

  void SetParent(TWinControl* parent) override;
  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int i) const { return FControls.at(i); }

  void SetBounds(int left, int top, int width, int height) override;
  // The client area excludes the visible scroll bars and the border.
  TRect ClientRect() const override;
  void SetVisible(bool v) override;
  void SetEnabled(bool v) override;
  void SetCursor(TCursor c) override;

  bool Focused() const;
  virtual bool CanFocus() const;
  virtual void SetFocus();
  void SetIme() {}  // the input method follows the focus on Linux
  TImeMode GetImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode m) { FImeMode = m; }
  const AnsiString& GetImeName() const { return FImeName; }
  void SetImeName(const AnsiString& n) { FImeName = n; }
  bool GetTabStop() const { return FTabStop; }
  void SetTabStop(bool v);
  int GetTabOrder() const { return FTabOrder; }
  void SetTabOrder(int v) { FTabOrder = v; }
  TBevelKind GetBevelKind() const { return FBevelKind; }
  void SetBevelKind(TBevelKind k);
  int GetBorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int w);
  // Stored only: the bevel is drawn as a one-pixel frame whenever BevelKind
  // is not bkNone.
  TBevelEdges GetBevelEdges() const { return FBevelEdges; }
  void SetBevelEdges(TBevelEdges v) { FBevelEdges = v; }
  TBevelCut GetBevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut v) { FBevelInner = v; }
  TBevelCut GetBevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut v) { FBevelOuter = v; }
  int GetBevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int v) { FBevelWidth = v; }
  bool GetCtl3D() const { return FCtl3D; }
  void SetCtl3D(bool v) { FCtl3D = v; }
  bool GetParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool v) { FParentCtl3D = v; }
  int GetWheelAccumulator() const { return FWheelAccumulator; }
  void SetWheelAccumulator(int v) { FWheelAccumulator = v; }

  void Invalidate() override;
  void Update() override;
  // Marks a client rectangle for repainting (null = all, as Invalidate does)
  // / drops it (the window call ValidateRect below reaches this).
  void InvalidateClientRect(const TRect* r);
  void ValidateClientRect(const TRect* r);
  bool HasPendingPaint() const;

  // The single point where the widget's Qt events become messages. Returns
  // true when the event was consumed. Exceptions are caught here.
  bool TranslateEvent(QEvent* event);

  // Platform side: scroll bar, caret and paint plumbing (ScrollBars.cpp,
  // Caret.cpp, Controls.cpp), and the control as the input translators see
  // it (platform/qt/internal/ControlInput.h).
  struct Impl;
  Impl* GetImpl() const { return FImpl.get(); }
  TControlInput& Input() const { return *FInput; }

 protected:
  void DefaultHandler(TMessage& Message) override;
  // Paints the client area on WM_PAINT; TCustomControl draws through Paint.
  virtual void PaintWindow() {}
  // Called when the client size changes (backing image, children).
  virtual void ClientResized();
  void AlignControls();
  void ParentFontOrColorChanged() override;

 private:
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  void UpdateGeometry();  // lays out bars and client; sends WM_SIZE on change
  std::unique_ptr<Impl> FImpl;
  TControlInput* FInput;  // FImpl, seen through its inward interface
  std::vector<TControl*> FControls;
  TImeMode FImeMode = imDontCare;
  AnsiString FImeName;
  bool FTabStop = false;
  int FTabOrder = -1;
  TBevelKind FBevelKind = bkNone;
  int FBorderWidth = 0;
  TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
  TBevelCut FBevelInner = bvRaised;
  TBevelCut FBevelOuter = bvLowered;
  int FBevelWidth = 1;
  bool FCtl3D = true;
  bool FParentCtl3D = true;
  int FWheelAccumulator = 0;
  friend class TControl;
  friend struct TScrollBarsAccess;
};

// A windowed control that paints itself: Canvas draws into a backing image
// of the client size, which the widget's paint event copies to the screen,
// so the control may draw at any time, not only while painting. Resizing
// keeps the image in step (old pixels kept, the rest filled with Color, the
// whole client invalidated). Paint is called on WM_PAINT.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;

  TCanvas* Canvas;  // owned; font starts as a copy of the control's Font

 protected:
  virtual void Paint() {}
  void PaintWindow() override;
  void ClientResized() override;
};

// A top-level window (or, with a parent widget, a panel inside a Qt widget).
class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* AOwner, QWidget* parentWidget = nullptr);
  const AnsiString& GetCaption() const { return FCaption; }  // UTF-8
  void SetCaption(const AnsiString& caption);

 private:
  AnsiString FCaption;
};

// Throws EInvalidCast unless c is a windowed control.
TWinControl* AsWinControl(TComponent* c);

// ---------------------------------------------------------------------------
// Win32 window calls.

// Through the window's WindowProc; returns the message's Result.
intptr_t SendMessage(HWND wnd, unsigned msg, uintptr_t wParam, intptr_t lParam);
inline intptr_t SendMessageA(HWND wnd, unsigned msg, uintptr_t wParam, intptr_t lParam) {
  return SendMessage(wnd, msg, wParam, lParam);
}
HWND GetFocus();
HWND SetFocus(HWND wnd);  // returns the window that had the focus
HWND SetCapture(HWND wnd);
bool ReleaseCapture();
HWND GetCapture();
bool GetCursorPos(TPoint* p);  // screen coordinates
bool GetClientRect(HWND wnd, TRect* r);
bool ValidateRect(HWND wnd, const TRect* r);
// The window's non-client device context: the control's canvas stands in.
HDC GetWindowDC(HWND wnd);
int ReleaseDC(HWND wnd, HDC dc);

// Shift state from the current keyboard (Shift, Ctrl) and the key data of a
// key message (Alt: bit 29).
TShiftState KeyDataToShiftState(intptr_t keyData);

// ---------------------------------------------------------------------------
// Screen and Application.

class TScreen : public TComponent {
 public:
  TScreen();
  ~TScreen() override;

  // The screen cursor overrides every control's own cursor while it is not
  // crDefault.
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor c);

  // Registered cursors: Screen->Cursors[5] = LoadCursor(HInstance, "RevCursor");
  class TCursorTable {
   public:
    HCURSOR& operator[](int index) { return FTable[index]; }
    HCURSOR Get(int index) const;

   private:
    std::unordered_map<int, HCURSOR> FTable;
  };
  TCursorTable Cursors;


 private:
  TCursor FCursor = crDefault;
};

using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;

// The text the user is shown for an exception, wherever it was caught: the
// library's own message, a fixed text for exhausted memory, else what().
AnsiString ExceptionText(const std::exception& E);

class TApplication : public TComponent {
 public:
  TApplication();

  // Handles the exception being caught (call inside a catch block): runs
  // OnException when set, else ShowException.
  void HandleException(TObject* Sender);
  // Default report: ExceptionText on stderr (the application replaces it
  // with a message box through OnException).
  void ShowException(const std::exception& E);
  const AnsiString& GetTitle() const { return FTitle; }
  void SetTitle(const AnsiString& t) { FTitle = t; }

  TExceptionEvent OnException;

 private:
  AnsiString FTitle;
};

extern TScreen* Screen;            // created on first use of the layer
extern TApplication* Application;  // likewise
// Creates Screen and Application if they do not exist yet (a QApplication
// must exist). Every control constructor calls it.
void InitControls();

