// The shared 8-bit string: buffer handling, the changing members and the
// parts that are not worth inlining.
#include "platform/text/AnsiString.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <ostream>
#include <stdexcept>

const char AnsiString::kEmpty[1] = {'\0'};

namespace {

// A writable stand-in for the empty string's terminator, for the writable
// accessors of an empty string: only '\0' may be written there, as with
// std::string.
char gEmptyOwn[1] = {'\0'};

void CheckSize(std::size_t n) {
  if (n > AnsiString::max_size()) throw std::length_error("AnsiString: too long");
}

}  // namespace

AnsiString::Rep* AnsiString::Allocate(size_type capacity) {
  CheckSize(capacity);
  void* p = std::malloc(sizeof(Rep) + capacity + 1);
  if (!p) throw std::bad_alloc();
  Rep* r = static_cast<Rep*>(p);
  r->Refs = 1;
  r->Size = 0;
  r->Capacity = static_cast<std::uint32_t>(capacity);
  Chars(r)[0] = '\0';
  return r;
}

AnsiString::Rep* AnsiString::Clone(const Rep* r, size_type capacity) {
  Rep* c = Allocate(std::max<size_type>(capacity, r->Size));
  std::memcpy(Chars(c), Chars(const_cast<Rep*>(r)), r->Size + 1);
  c->Size = r->Size;
  return c;
}

void AnsiString::Release(Rep* r) noexcept {
  if (!r) return;
  if (r->Refs <= 1)
    std::free(r);
  else
    --r->Refs;
}

char* AnsiString::Own() {
  if (!FRep) return gEmptyOwn;
  if (FRep->Refs > 1) {
    Rep* c = Clone(FRep, FRep->Size);
    --FRep->Refs;
    FRep = c;
  }
  FRep->Refs = 0;
  return Chars(FRep);
}

AnsiString::size_type AnsiString::NewCapacity(size_type n) const noexcept {
  // Growing a buffer of its own doubles it, so that appending stays linear;
  // a new or a shared buffer gets exactly what is asked for.
  if (!FRep || FRep->Refs > 1) return n;
  return std::max(n, std::min<size_type>(2 * size_type{FRep->Capacity}, kMaxSize));
}

char* AnsiString::Prepare(size_type n, size_type keep) {
  CheckSize(n);
  if (FRep && FRep->Refs <= 1 && n <= FRep->Capacity) {
    FRep->Refs = 1;
    return Chars(FRep);
  }
  Rep* r = Allocate(NewCapacity(n));
  if (FRep) {
    keep = std::min<size_type>(keep, FRep->Size);
    std::memcpy(Chars(r), Chars(FRep), keep);
    Release(FRep);
  }
  FRep = r;
  return Chars(r);
}

AnsiString::AnsiString(const char* s) { assign(s); }

AnsiString& AnsiString::assign(const char* s) { return assign(s, std::strlen(s)); }

AnsiString& AnsiString::assign(const char* s, size_type n) {
  if (n == 0) {
    clear();
    return *this;
  }
  const char* own = c_str();
  if (s >= own && s <= own + size()) {
    // A part of this very string: keep its bytes before the buffer changes.
    return *this = AnsiString(s, n);
  }
  char* d = Prepare(n, 0);
  std::memcpy(d, s, n);
  d[n] = '\0';
  FRep->Size = static_cast<std::uint32_t>(n);
  return *this;
}

AnsiString& AnsiString::assign(size_type n, char c) {
  if (n == 0) {
    clear();
    return *this;
  }
  char* d = Prepare(n, 0);
  std::memset(d, static_cast<unsigned char>(c), n);
  d[n] = '\0';
  FRep->Size = static_cast<std::uint32_t>(n);
  return *this;
}

void AnsiString::reserve(size_type n) {
  if (n <= capacity() && (!FRep || FRep->Refs <= 1)) return;
  const size_type keep = size();
  Rep* r = Allocate(std::max(n, keep));
  if (FRep) {
    std::memcpy(Chars(r), Chars(FRep), keep + 1);
    r->Size = static_cast<std::uint32_t>(keep);
    Release(FRep);
  }
  FRep = r;
}

void AnsiString::shrink_to_fit() {
  if (!FRep || FRep->Refs > 1 || FRep->Capacity == FRep->Size) return;
  if (FRep->Size == 0) {
    clear();
    return;
  }
  Rep* r = Clone(FRep, FRep->Size);
  Release(FRep);
  FRep = r;
}

void AnsiString::resize(size_type n, char c) {
  const size_type old = size();
  if (n == old) return;
  if (n == 0) {
    clear();
    return;
  }
  char* d = Prepare(n, std::min(n, old));
  if (n > old) std::memset(d + old, static_cast<unsigned char>(c), n - old);
  d[n] = '\0';
  FRep->Size = static_cast<std::uint32_t>(n);
}

void AnsiString::clear() noexcept {
  if (!FRep) return;
  if (FRep->Refs > 1) {
    --FRep->Refs;
    FRep = nullptr;
    return;
  }
  FRep->Refs = 1;
  FRep->Size = 0;
  Chars(FRep)[0] = '\0';
}

const char& AnsiString::at(size_type i) const {
  if (i >= size()) throw std::out_of_range("AnsiString::at");
  return c_str()[i];
}

char& AnsiString::at(size_type i) {
  if (i >= size()) throw std::out_of_range("AnsiString::at");
  return Own()[i];
}

AnsiString& AnsiString::append(const AnsiString& s, size_type pos, size_type n) {
  if (pos > s.size()) throw std::out_of_range("AnsiString::append");
  return append(s.data() + pos, std::min(n, s.size() - pos));
}

AnsiString& AnsiString::append(const char* s) { return append(s, std::strlen(s)); }

AnsiString& AnsiString::insert(size_type pos, const char* s) { return replace(pos, 0, s, std::strlen(s)); }

AnsiString& AnsiString::replace(size_type pos, size_type n, const char* s) {
  return replace(pos, n, s, std::strlen(s));
}

AnsiString& AnsiString::replace(size_type pos, size_type n, const char* s, size_type count) {
  const size_type old = size();
  if (pos > old) throw std::out_of_range("AnsiString::replace");
  n = std::min(n, old - pos);
  if (count > kMaxSize - (old - n)) throw std::length_error("AnsiString: too long");
  const char* own = c_str();
  if (count > 0 && s >= own && s <= own + old) {
    // The new bytes lie in this very string: take them out first.
    const AnsiString copy(s, count);
    return replace(pos, n, copy.data(), count);
  }
  const size_type size = old - n + count;
  if (size == 0) {
    clear();
    return *this;
  }
  const size_type tail = old - pos - n;
  if (FRep && FRep->Refs <= 1 && size <= FRep->Capacity) {
    char* d = Chars(FRep);
    FRep->Refs = 1;
    std::memmove(d + pos + count, d + pos + n, tail);
    if (count > 0) std::memcpy(d + pos, s, count);
    d[size] = '\0';
    FRep->Size = static_cast<std::uint32_t>(size);
    return *this;
  }
  // A new buffer: the head, the new bytes, the tail.
  Rep* r = Allocate(NewCapacity(size));
  char* d = Chars(r);
  std::memcpy(d, own, pos);
  if (count > 0) std::memcpy(d + pos, s, count);
  std::memcpy(d + pos + count, own + pos + n, tail);
  d[size] = '\0';
  r->Size = static_cast<std::uint32_t>(size);
  Release(FRep);
  FRep = r;
  return *this;
}

AnsiString& AnsiString::replace(size_type pos, size_type n, size_type count, char c) {
  return replace(pos, n, AnsiString(count, c));
}

AnsiString::iterator AnsiString::erase(const_iterator first, const_iterator last) {
  const size_type pos = static_cast<size_type>(first - c_str());
  erase(pos, static_cast<size_type>(last - first));
  return Own() + pos;
}

AnsiString AnsiString::substr(size_type pos, size_type n) const {
  const size_type total = size();
  if (pos > total) throw std::out_of_range("AnsiString::substr");
  n = std::min(n, total - pos);
  if (pos == 0 && n == total) return *this;
  return AnsiString(c_str() + pos, n);
}

AnsiString::size_type AnsiString::copy(char* dest, size_type n, size_type pos) const {
  return View().copy(dest, n, pos);
}

AnsiString AnsiString::Joined(std::string_view a, std::string_view b) {
  AnsiString out;
  if (a.size() + b.size() == 0) return out;
  out.reserve(a.size() + b.size());
  out.append(a.data(), a.size());
  out.append(b.data(), b.size());
  return out;
}

std::ostream& operator<<(std::ostream& out, const AnsiString& s) { return out << std::string_view(s); }
