// The input held back while a read of the X clipboard waited, kept through
// the message box the read may lead to.
#include "platform/qt/internal/X11HeldInput.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

namespace {

// Sees the program's X events before the toolkit does. Everything queued
// when Mark is called comes before the mark it sends, which the server
// queues behind it: keys and requests to close for the program's windows
// met until then are taken out, and sent to the same windows again once the
// modal window of the moment of the mark is the modal window again.
class HeldInput : public QObject, public QAbstractNativeEventFilter {
 public:
  static HeldInput* Current;

  explicit HeldInput(xcb_connection_t* conn)
      : QObject(QCoreApplication::instance()), FConn(conn), FModal(QGuiApplication::modalWindow()) {
    FMarkAtom = Atom("SORVELAN_INPUT_MARK");
    FProtocols = Atom("WM_PROTOCOLS");
    FDeleteWindow = Atom("WM_DELETE_WINDOW");
    // The mark goes to a window of its own, which cannot go away before the
    // mark is back: sent to a window that is gone, it would never come, and
    // the input of the program's windows would be taken for good.
    FMarkWindow = xcb_generate_id(FConn);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(FConn)).data->root;
    xcb_create_window(FConn, XCB_COPY_FROM_PARENT, FMarkWindow, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    QCoreApplication::instance()->installNativeEventFilter(this);
    // The box that blocks the windows has no signal to watch for its end.
    FPoll.setInterval(kPollMs);
    QObject::connect(&FPoll, &QTimer::timeout, this, [this] { HandBackWhenFree(); });
  }
  ~HeldInput() override {
    if (Current == this) Current = nullptr;
  }

  // Takes what is queued from now on up to a new mark, for the windows the
  // program has now.
  void Mark() {
    for (QWindow* w : QGuiApplication::allWindows())
      if (w->handle()) FWindows.insert(static_cast<xcb_window_t>(w->winId()));
    xcb_client_message_event_t mark{};
    mark.response_type = XCB_CLIENT_MESSAGE;
    mark.format = 32;
    mark.window = FMarkWindow;
    mark.type = FMarkAtom;
    mark.data.data32[0] = ++FSerial;
    FMarked = false;
    xcb_send_event(FConn, 0, FMarkWindow, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&mark));
    xcb_flush(FConn);
    FPoll.start();
  }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (FDone || type != "xcb_generic_event_t") return false;
    auto* ev = static_cast<xcb_generic_event_t*>(message);
    switch (ev->response_type & 0x7f) {
      case XCB_KEY_PRESS:
      case XCB_KEY_RELEASE: {
        const xcb_window_t to = reinterpret_cast<xcb_key_press_event_t*>(ev)->event;
        if (FMarked || !FWindows.count(to)) return false;
        Keep(to, ev);
        return true;
      }
      case XCB_CLIENT_MESSAGE: {
        auto* m = reinterpret_cast<xcb_client_message_event_t*>(ev);
        if (m->window == FMarkWindow) {
          // An earlier mark is passed over: a later one was sent.
          if (m->data.data32[0] == FSerial) {
            FMarked = true;
            HandBackWhenFree();
          }
          return true;
        }
        if (FMarked || m->type != FProtocols || m->data.data32[0] != FDeleteWindow || !FWindows.count(m->window))
          return false;
        Keep(m->window, ev);
        return true;
      }
      default: return false;
    }
  }

 private:
  static constexpr int kPollMs = 20;

  struct Kept {
    xcb_window_t Window;
    std::array<char, 32> Event;  // a core event is 32 bytes
  };

  xcb_atom_t Atom(const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
        xcb_intern_atom_reply(FConn, xcb_intern_atom(FConn, 0, static_cast<uint16_t>(std::strlen(name)), name),
                              nullptr),
        &std::free);
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
  }

  void Keep(xcb_window_t to, const xcb_generic_event_t* ev) {
    Kept k{to, {}};
    std::memcpy(k.Event.data(), ev, k.Event.size());
    FKept.push_back(k);
  }

  // Sent back through the server, with their own times and key states, to
  // the window each was for, which the program made: an event sent without
  // a mask goes to the window's maker. Input that came after the mark and
  // that the toolkit has read by now goes first: the mark is read as soon as
  // events are taken again, so that is at most what came in the last few
  // milliseconds (and what reached a window the box blocked, which the
  // toolkit drops).
  void HandBackWhenFree() {
    if (FDone || !FMarked || QGuiApplication::modalWindow() != FModal.data()) return;
    FDone = true;
    for (const Kept& k : FKept) xcb_send_event(FConn, 0, k.Window, XCB_EVENT_MASK_NO_EVENT, k.Event.data());
    xcb_destroy_window(FConn, FMarkWindow);
    xcb_flush(FConn);
    FKept.clear();
    FPoll.stop();
    QCoreApplication::instance()->removeNativeEventFilter(this);
    Current = nullptr;
    deleteLater();
  }

  xcb_connection_t* FConn;
  QPointer<QWindow> FModal;
  QTimer FPoll;
  xcb_window_t FMarkWindow;
  xcb_atom_t FMarkAtom = XCB_ATOM_NONE, FProtocols = XCB_ATOM_NONE, FDeleteWindow = XCB_ATOM_NONE;
  std::set<xcb_window_t> FWindows;
  std::vector<Kept> FKept;
  uint32_t FSerial = 0;
  bool FMarked = false, FDone = false;
};

HeldInput* HeldInput::Current = nullptr;

}  // namespace

void KeepInputHeldBackByClipboardRead() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->connection()) return;
  // A read while the input of an earlier one is kept adds to it.
  if (!HeldInput::Current) HeldInput::Current = new HeldInput(x11->connection());
  HeldInput::Current->Mark();
}
