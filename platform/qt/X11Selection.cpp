// The X clipboard of another client, read over a connection of its own: the
// toolkit's own reading waits five seconds for every format it asks about
// and asks several times per read, with the window frozen all along.
#include "platform/qt/internal/X11Selection.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <QMimeData>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <class T>
using XcbPtr = std::unique_ptr<T, FreeDeleter>;

// One connection with an unmapped window to receive the selection on.
class Requestor {
 public:
  explicit Requestor(const std::function<void()>& whileWaiting)
      : FConn(xcb_connect(nullptr, &FScreen)), FWhileWaiting(whileWaiting) {}
  ~Requestor() {
    if (FWindow) xcb_destroy_window(FConn, FWindow);
    xcb_disconnect(FConn);
  }
  Requestor(const Requestor&) = delete;
  Requestor& operator=(const Requestor&) = delete;

  bool Open() {
    if (xcb_connection_has_error(FConn)) return false;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(FConn));
    for (int i = 0; i < FScreen && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem) return false;
    FWindow = xcb_generate_id(FConn);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(FConn, XCB_COPY_FROM_PARENT, FWindow, it.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    return true;
  }

  // Atoms of the names, asked for together.
  std::vector<xcb_atom_t> Atoms(const std::vector<QByteArray>& names) {
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (const QByteArray& n : names)
      cookies.push_back(xcb_intern_atom(FConn, 0, static_cast<uint16_t>(n.size()), n.constData()));
    std::vector<xcb_atom_t> atoms;
    for (xcb_intern_atom_cookie_t c : cookies) {
      XcbPtr<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(FConn, c, nullptr));
      atoms.push_back(r ? r->atom : xcb_atom_t{XCB_ATOM_NONE});
    }
    return atoms;
  }

  xcb_window_t Owner(xcb_atom_t selection) {
    XcbPtr<xcb_get_selection_owner_reply_t> r(
        xcb_get_selection_owner_reply(FConn, xcb_get_selection_owner(FConn, selection), nullptr));
    return r ? r->owner : xcb_window_t{XCB_WINDOW_NONE};
  }

  // Asks the owner of 'selection' for 'target' into 'property' of the
  // window; false when no answer came by 'deadline' or the owner refused.
  bool Convert(xcb_atom_t selection, xcb_atom_t target, xcb_atom_t property, Clock::time_point deadline) {
    xcb_convert_selection(FConn, FWindow, selection, target, property, XCB_CURRENT_TIME);
    xcb_flush(FConn);
    XcbPtr<xcb_generic_event_t> e = WaitFor(deadline, [&](xcb_generic_event_t* ev) {
      if ((ev->response_type & 0x7f) != XCB_SELECTION_NOTIFY) return false;
      auto* n = reinterpret_cast<xcb_selection_notify_event_t*>(ev);
      return n->requestor == FWindow && n->selection == selection && n->target == target;
    });
    if (!e) {
      FTimedOut = true;
      return false;
    }
    return reinterpret_cast<xcb_selection_notify_event_t*>(e.get())->property == property;
  }

  // The next new value of 'property' of the window, by 'deadline'.
  bool WaitNewValue(xcb_atom_t property, Clock::time_point deadline) {
    XcbPtr<xcb_generic_event_t> e = WaitFor(deadline, [&](xcb_generic_event_t* ev) {
      if ((ev->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
      auto* n = reinterpret_cast<xcb_property_notify_event_t*>(ev);
      return n->window == FWindow && n->atom == property && n->state == XCB_PROPERTY_NEW_VALUE;
    });
    if (!e) FTimedOut = true;
    return e != nullptr;
  }

  // Takes the whole of 'property' off the window: its type and bytes.
  bool TakeProperty(xcb_atom_t property, xcb_atom_t& type, QByteArray& bytes) {
    XcbPtr<xcb_get_property_reply_t> r(xcb_get_property_reply(
        FConn, xcb_get_property(FConn, 1, FWindow, property, XCB_GET_PROPERTY_TYPE_ANY, 0, UINT32_MAX / 4),
        nullptr));
    if (!r) return false;
    type = r->type;
    bytes = QByteArray(static_cast<const char*>(xcb_get_property_value(r.get())),
                       xcb_get_property_value_length(r.get()));
    return true;
  }

  // An answer did not come in time, or the connection broke: as opposed to
  // an owner that answered with a refusal.
  bool NoAnswer() const { return FTimedOut || xcb_connection_has_error(FConn); }

 private:
  template <class Match>
  XcbPtr<xcb_generic_event_t> WaitFor(Clock::time_point deadline, Match match) {
    for (;;) {
      while (xcb_generic_event_t* ev = xcb_poll_for_event(FConn)) {
        XcbPtr<xcb_generic_event_t> held(ev);
        if (match(ev)) return held;
      }
      if (xcb_connection_has_error(FConn)) return nullptr;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return nullptr;
      // In short slices when there is something to do meanwhile.
      const auto slice = FWhileWaiting ? std::min<long long>(left, kSliceMs) : left;
      pollfd p{xcb_get_file_descriptor(FConn), POLLIN, 0};
      const int ready = poll(&p, 1, static_cast<int>(slice) + 1);
      if (ready < 0 && errno != EINTR) return nullptr;
      if (ready == 0 && FWhileWaiting) FWhileWaiting();
    }
  }

  static constexpr long long kSliceMs = 20;

  int FScreen = 0;
  xcb_connection_t* FConn;
  std::function<void()> FWhileWaiting;
  xcb_window_t FWindow = 0;
  bool FTimedOut = false;
};

}  // namespace

TX11ClipboardRead ReadX11Clipboard(const QByteArray& exactType, int waitMs, QMimeData& out,
                                   const std::function<void()>& whileWaiting) {
  Requestor x(whileWaiting);
  if (!x.Open()) return TX11ClipboardRead::NoDisplay;
  enum { Clipboard, Targets, Incr, Property, Exact, Utf8String, Utf8Plain, Plain, Latin1String };
  const std::vector<xcb_atom_t> atom =
      x.Atoms({"CLIPBOARD", "TARGETS", "INCR", "SORVELAN_CLIPBOARD", exactType, "UTF8_STRING",
               "text/plain;charset=utf-8", "text/plain", "STRING"});
  if (x.NoAnswer()) return TX11ClipboardRead::NoAnswer;
  if (x.Owner(atom[Clipboard]) == XCB_WINDOW_NONE) return TX11ClipboardRead::Read;

  // What the owner offers. One that does not list its formats is asked for
  // UTF-8 text straight away.
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
  std::vector<xcb_atom_t> offered;
  xcb_atom_t type = XCB_ATOM_NONE;
  QByteArray bytes;
  if (x.Convert(atom[Clipboard], atom[Targets], atom[Property], deadline)) {
    if (!x.TakeProperty(atom[Property], type, bytes)) return TX11ClipboardRead::NoAnswer;
    const auto* list = reinterpret_cast<const xcb_atom_t*>(bytes.constData());
    offered.assign(list, list + bytes.size() / static_cast<qsizetype>(sizeof(xcb_atom_t)));
  } else if (x.NoAnswer()) {
    return TX11ClipboardRead::NoAnswer;
  } else {
    offered = {atom[Utf8String]};
  }

  int chosen = -1;
  for (int want : {Exact, Utf8String, Utf8Plain, Plain, Latin1String}) {
    for (xcb_atom_t a : offered)
      if (a == atom[want]) chosen = want;
    if (chosen >= 0) break;
  }
  if (chosen < 0) return TX11ClipboardRead::Read;  // nothing in a text format

  if (!x.Convert(atom[Clipboard], atom[chosen], atom[Property], deadline))
    return x.NoAnswer() ? TX11ClipboardRead::NoAnswer : TX11ClipboardRead::Read;
  if (!x.TakeProperty(atom[Property], type, bytes)) return TX11ClipboardRead::NoAnswer;
  if (type == atom[Incr]) {
    // Taking the property asked for the first piece; an empty piece ends.
    bytes.clear();
    for (;;) {
      deadline = Clock::now() + std::chrono::milliseconds(waitMs);
      QByteArray piece;
      if (!x.WaitNewValue(atom[Property], deadline) || !x.TakeProperty(atom[Property], type, piece))
        return TX11ClipboardRead::NoAnswer;
      if (piece.isEmpty()) break;
      bytes += piece;
    }
  }

  if (chosen == Exact) out.setData(QString::fromLatin1(exactType), bytes);
  else if (chosen == Latin1String) out.setText(QString::fromLatin1(bytes));
  else out.setText(QString::fromUtf8(bytes));
  return TX11ClipboardRead::Read;
}
