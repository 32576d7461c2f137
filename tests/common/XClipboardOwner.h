// Another program holding the X clipboard (the CLIPBOARD selection), for the
// tests on a real X server: a client of its own that offers bytes under the
// targets it is given and answers requests from a thread, sending texts
// above a piece size in pieces (INCR); or, made silent, one that never
// answers, like a program halted by a signal. It may also change between
// reads: stop answering after some, or send different bytes each time; and
// it may be slow to answer.
#pragma once

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// How an answering owner changes from one request for bytes to the next
// (requests for the list of formats do not count).
struct XClipboardChanges {
  int AnswersBeforeSilence = -1;  // after so many, it answers no more; -1: never
  bool Numbered = false;          // the bytes of the n-th answer end in n
  int DelayMs = 0;                // each answer is so late
};

class XClipboardOwner {
 public:
  struct Offer {
    std::string Target;  // an atom name: UTF8_STRING, STRING, a MIME type
    std::string Bytes;
  };

  using Changes = XClipboardChanges;

  // pieceSize 0 sends every text whole.
  XClipboardOwner(std::vector<Offer> offers, bool answers, size_t pieceSize = 0, Changes changes = {})
      : FConn(xcb_connect(nullptr, nullptr)), FOffers(std::move(offers)), FPieceSize(pieceSize), FChanges(changes) {
    if (xcb_connection_has_error(FConn)) return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(FConn)).data;
    FWindow = xcb_generate_id(FConn);
    xcb_create_window(FConn, XCB_COPY_FROM_PARENT, FWindow, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    FClipboard = Atom("CLIPBOARD");
    FTargets = Atom("TARGETS");
    FIncr = Atom("INCR");
    for (const Offer& o : FOffers) FOfferAtoms.push_back(Atom(o.Target));
    xcb_set_selection_owner(FConn, FWindow, FClipboard, XCB_CURRENT_TIME);
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(FConn, xcb_get_selection_owner(FConn, FClipboard), nullptr), &std::free);
    FOwns = owner && owner->owner == FWindow;
    if (FOwns && answers) FServer = std::thread([this] { Serve(); });
  }

  ~XClipboardOwner() {
    if (FServer.joinable()) {
      // Ends the serving loop: an event to our own window.
      xcb_client_message_event_t stop{};
      stop.response_type = XCB_CLIENT_MESSAGE;
      stop.format = 32;
      stop.window = FWindow;
      stop.type = FTargets;
      xcb_send_event(FConn, 0, FWindow, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&stop));
      xcb_flush(FConn);
      FServer.join();
    }
    xcb_disconnect(FConn);
  }

  XClipboardOwner(const XClipboardOwner&) = delete;
  XClipboardOwner& operator=(const XClipboardOwner&) = delete;

  bool Owns() const { return FOwns; }

 private:
  struct Transfer {
    xcb_window_t Requestor;
    xcb_atom_t Property, Target;
    std::string Bytes;
    size_t Sent = 0;
  };

  xcb_atom_t Atom(const std::string& name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
        xcb_intern_atom_reply(
            FConn, xcb_intern_atom(FConn, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr),
        &std::free);
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
  }

  void Serve() {
    while (xcb_generic_event_t* ev = xcb_wait_for_event(FConn)) {
      std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> held(ev, &std::free);
      switch (ev->response_type & 0x7f) {
        case XCB_CLIENT_MESSAGE: return;
        case XCB_SELECTION_REQUEST: Answer(*reinterpret_cast<xcb_selection_request_event_t*>(ev)); break;
        case XCB_PROPERTY_NOTIFY: NextPiece(*reinterpret_cast<xcb_property_notify_event_t*>(ev)); break;
        default: break;
      }
    }
  }

  void Answer(const xcb_selection_request_event_t& req) {
    std::this_thread::sleep_for(std::chrono::milliseconds(FChanges.DelayMs));
    xcb_atom_t property = req.property ? req.property : req.target;
    if (req.target == FTargets) {
      std::vector<xcb_atom_t> list{FTargets};
      list.insert(list.end(), FOfferAtoms.begin(), FOfferAtoms.end());
      xcb_change_property(FConn, XCB_PROP_MODE_REPLACE, req.requestor, property, XCB_ATOM_ATOM, 32,
                          static_cast<uint32_t>(list.size()), list.data());
    } else {
      const Offer* offer = nullptr;
      for (size_t i = 0; i < FOffers.size(); ++i)
        if (FOfferAtoms[i] == req.target) offer = &FOffers[i];
      if (offer && FChanges.AnswersBeforeSilence >= 0 && FDataAnswers >= FChanges.AnswersBeforeSilence) return;
      std::string bytes;
      if (offer) {
        ++FDataAnswers;
        bytes = offer->Bytes;
        if (FChanges.Numbered) bytes += std::to_string(FDataAnswers);
      }
      if (!offer) {
        property = XCB_ATOM_NONE;
      } else if (FPieceSize > 0 && bytes.size() > FPieceSize) {
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(FConn, req.requestor, XCB_CW_EVENT_MASK, &events);
        const uint32_t size = static_cast<uint32_t>(bytes.size());
        xcb_change_property(FConn, XCB_PROP_MODE_REPLACE, req.requestor, property, FIncr, 32, 1, &size);
        FTransfers.push_back({req.requestor, property, req.target, bytes});
      } else {
        xcb_change_property(FConn, XCB_PROP_MODE_REPLACE, req.requestor, property, req.target, 8,
                            static_cast<uint32_t>(bytes.size()), bytes.data());
      }
    }
    xcb_selection_notify_event_t note{};
    note.response_type = XCB_SELECTION_NOTIFY;
    note.time = req.time;
    note.requestor = req.requestor;
    note.selection = req.selection;
    note.target = req.target;
    note.property = property;
    xcb_send_event(FConn, 0, req.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&note));
    xcb_flush(FConn);
  }

  // The requestor took the last piece off its window: the next one, or the
  // empty piece that ends the transfer.
  void NextPiece(const xcb_property_notify_event_t& e) {
    if (e.state != XCB_PROPERTY_DELETE) return;
    for (size_t i = 0; i < FTransfers.size(); ++i) {
      Transfer& t = FTransfers[i];
      if (t.Requestor != e.window || t.Property != e.atom) continue;
      const size_t n = std::min(FPieceSize, t.Bytes.size() - t.Sent);
      xcb_change_property(FConn, XCB_PROP_MODE_REPLACE, t.Requestor, t.Property, t.Target, 8,
                          static_cast<uint32_t>(n), t.Bytes.data() + t.Sent);
      t.Sent += n;
      if (n == 0) FTransfers.erase(FTransfers.begin() + static_cast<std::ptrdiff_t>(i));
      xcb_flush(FConn);
      return;
    }
  }

  xcb_connection_t* FConn;
  std::vector<Offer> FOffers;
  std::vector<xcb_atom_t> FOfferAtoms;
  size_t FPieceSize;
  Changes FChanges;
  int FDataAnswers = 0;
  xcb_window_t FWindow = 0;
  xcb_atom_t FClipboard = 0, FTargets = 0, FIncr = 0;
  std::vector<Transfer> FTransfers;
  bool FOwns = false;
  std::thread FServer;
};
