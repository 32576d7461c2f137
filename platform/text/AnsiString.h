// The 8-bit string that holds code page 932 text: rows, file names and
// clipboard text pass in it. Indexing is 0-based, as std::string's.
//
// Copies share one buffer, counted by reference, and a string takes a buffer
// of its own before any write (copy on write): the two panes and the undo
// records hold the same row texts without copying them. The interface is
// the part of std::string's that this program uses, with one rule that
// std::string does not have:
//
//   Any non-const access (operator[], at, data, front, back, begin, end and
//   their reverse forms, as well as every changing member) may move the text
//   to a fresh buffer. A pointer, reference or iterator taken from the string
//   before it, c_str() and const data() included, is then no longer the
//   string's. Read through a const string (std::as_const) where nothing is
//   written: a const access never copies and never moves the text.
//
// A writable access first makes the buffer the string's own and marks it
// unshareable, so a pointer or reference taken from it can never write into
// a later copy; such a string is copied, not shared, by the next copy of it,
// which may therefore allocate and throw std::bad_alloc. The next changing
// member function (append, assign, resize, ...) makes it shareable again.
//
// The count is not atomic: a string and its copies belong to one thread; a
// string may be handed to another thread whole (moved, or its last copy), as
// a future hands over its value. The program keeps its texts on the GUI
// thread and starts no threads of its own, so the count costs no lock.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iosfwd>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

class AnsiString {
 public:
  using value_type = char;
  using size_type = std::size_t;
  using difference_type = std::ptrdiff_t;
  using reference = char&;
  using const_reference = const char&;
  using iterator = char*;
  using const_iterator = const char*;
  using reverse_iterator = std::reverse_iterator<iterator>;
  using const_reverse_iterator = std::reverse_iterator<const_iterator>;
  static constexpr size_type npos = static_cast<size_type>(-1);

  AnsiString() noexcept = default;
  AnsiString(const char* s);  // NOLINT: implicit, as std::string's
  AnsiString(const char* s, size_type n) { assign(s, n); }
  AnsiString(size_type n, char c) { assign(n, c); }
  AnsiString(const std::string& s) : AnsiString(s.data(), s.size()) {}  // NOLINT: implicit
  explicit AnsiString(std::string_view s) : AnsiString(s.data(), s.size()) {}
  AnsiString(std::initializer_list<char> chars) : AnsiString(chars.begin(), chars.size()) {}
  AnsiString(const AnsiString& s, size_type pos, size_type n = npos) : AnsiString(s.substr(pos, n)) {}
  template <typename It, typename = std::enable_if_t<!std::is_integral_v<It>>>
  AnsiString(It first, It last) {
    for (; first != last; ++first) push_back(static_cast<char>(*first));
  }
  // Shares other's buffer, or copies it when other has given out a writable
  // pointer (see the top): may throw std::bad_alloc.
  AnsiString(const AnsiString& other) : FRep(Share(other.FRep)) {}
  AnsiString(AnsiString&& other) noexcept : FRep(std::exchange(other.FRep, nullptr)) {}
  ~AnsiString() { Release(FRep); }

  AnsiString& operator=(const AnsiString& other) {
    Rep* shared = Share(other.FRep);  // before the release: other may be *this
    Release(FRep);
    FRep = shared;
    return *this;
  }
  AnsiString& operator=(AnsiString&& other) noexcept {
    if (this != &other) {
      Release(FRep);
      FRep = std::exchange(other.FRep, nullptr);
    }
    return *this;
  }
  AnsiString& operator=(const char* s) { return assign(s); }
  AnsiString& operator=(char c) { return assign(1, c); }

  AnsiString& assign(const AnsiString& s) { return *this = s; }
  AnsiString& assign(const char* s);
  AnsiString& assign(const char* s, size_type n);
  AnsiString& assign(size_type n, char c);
  template <typename It, typename = std::enable_if_t<!std::is_integral_v<It>>>
  AnsiString& assign(It first, It last) {
    return *this = AnsiString(first, last);
  }

  // Size and capacity.
  size_type size() const noexcept { return FRep ? FRep->Size : 0; }
  size_type length() const noexcept { return size(); }
  bool empty() const noexcept { return size() == 0; }
  size_type capacity() const noexcept { return FRep ? FRep->Capacity : 0; }
  static constexpr size_type max_size() noexcept { return kMaxSize; }
  void reserve(size_type n);
  void shrink_to_fit();
  void resize(size_type n, char c = '\0');
  void clear() noexcept;

  // Reading. The const forms never copy.
  const char* c_str() const noexcept { return FRep ? Chars(FRep) : kEmpty; }
  const char* data() const noexcept { return c_str(); }
  const char& operator[](size_type i) const noexcept { return c_str()[i]; }
  const char& at(size_type i) const;
  const char& front() const noexcept { return c_str()[0]; }
  const char& back() const noexcept { return Chars(FRep)[FRep->Size - 1]; }  // not empty, as std::string's
  const_iterator begin() const noexcept { return c_str(); }
  const_iterator end() const noexcept { return c_str() + size(); }
  const_iterator cbegin() const noexcept { return begin(); }
  const_iterator cend() const noexcept { return end(); }
  const_reverse_iterator rbegin() const noexcept { return const_reverse_iterator(end()); }
  const_reverse_iterator rend() const noexcept { return const_reverse_iterator(begin()); }
  operator std::string_view() const noexcept { return {c_str(), size()}; }  // NOLINT: implicit
  // A copy for the code that keeps std::string (settings file, tests).
  operator std::string() const { return std::string(c_str(), size()); }  // NOLINT: implicit

  // Writable access: the buffer becomes the string's own (see the top).
  char* data() { return Own(); }
  char& operator[](size_type i) { return Own()[i]; }
  char& at(size_type i);
  char& front() { return Own()[0]; }
  char& back() { return Own()[size() - 1]; }
  iterator begin() { return Own(); }
  iterator end() { return Own() + size(); }
  reverse_iterator rbegin() { return reverse_iterator(end()); }
  reverse_iterator rend() { return reverse_iterator(begin()); }

  // Changing.
  AnsiString& append(const AnsiString& s) { return append(s.data(), s.size()); }
  AnsiString& append(const AnsiString& s, size_type pos, size_type n = npos);
  AnsiString& append(const char* s);
  AnsiString& append(const char* s, size_type n) { return replace(size(), 0, s, n); }
  AnsiString& append(size_type n, char c) { return replace(size(), 0, n, c); }
  template <typename It, typename = std::enable_if_t<!std::is_integral_v<It>>>
  AnsiString& append(It first, It last) {
    return append(AnsiString(first, last));
  }
  AnsiString& operator+=(const AnsiString& s) { return append(s); }
  AnsiString& operator+=(const char* s) { return append(s); }
  AnsiString& operator+=(char c) { return append(&c, 1); }
  void push_back(char c) { append(&c, 1); }
  void pop_back() { erase(size() - 1, 1); }

  AnsiString& insert(size_type pos, const AnsiString& s) { return replace(pos, 0, s.data(), s.size()); }
  AnsiString& insert(size_type pos, const char* s);
  AnsiString& insert(size_type pos, const char* s, size_type n) { return replace(pos, 0, s, n); }
  AnsiString& insert(size_type pos, size_type n, char c) { return replace(pos, 0, n, c); }
  AnsiString& erase(size_type pos = 0, size_type n = npos) { return replace(pos, n, nullptr, 0); }
  iterator erase(const_iterator first, const_iterator last);
  iterator erase(const_iterator at) { return erase(at, at + 1); }
  AnsiString& replace(size_type pos, size_type n, const AnsiString& s) { return replace(pos, n, s.data(), s.size()); }
  AnsiString& replace(size_type pos, size_type n, const char* s);
  AnsiString& replace(size_type pos, size_type n, const char* s, size_type count);
  AnsiString& replace(size_type pos, size_type n, size_type count, char c);
  void swap(AnsiString& other) noexcept { std::swap(FRep, other.FRep); }
  friend void swap(AnsiString& a, AnsiString& b) noexcept { a.swap(b); }

  // Searching and parts; a part of the whole text shares its buffer.
  AnsiString substr(size_type pos = 0, size_type n = npos) const;
  size_type copy(char* dest, size_type n, size_type pos = 0) const;
  size_type find(std::string_view s, size_type pos = 0) const noexcept { return View().find(s, pos); }
  size_type find(const char* s, size_type pos = 0) const { return View().find(s, pos); }
  size_type find(const char* s, size_type pos, size_type n) const { return View().find(s, pos, n); }
  size_type find(char c, size_type pos = 0) const noexcept { return View().find(c, pos); }
  size_type rfind(std::string_view s, size_type pos = npos) const noexcept { return View().rfind(s, pos); }
  size_type rfind(const char* s, size_type pos = npos) const { return View().rfind(s, pos); }
  size_type rfind(char c, size_type pos = npos) const noexcept { return View().rfind(c, pos); }
  size_type find_first_of(std::string_view s, size_type pos = 0) const noexcept { return View().find_first_of(s, pos); }
  size_type find_first_of(const char* s, size_type pos = 0) const { return View().find_first_of(s, pos); }
  size_type find_first_of(char c, size_type pos = 0) const noexcept { return View().find_first_of(c, pos); }
  size_type find_first_not_of(std::string_view s, size_type pos = 0) const noexcept {
    return View().find_first_not_of(s, pos);
  }
  size_type find_first_not_of(const char* s, size_type pos = 0) const { return View().find_first_not_of(s, pos); }
  size_type find_first_not_of(char c, size_type pos = 0) const noexcept { return View().find_first_not_of(c, pos); }
  size_type find_last_of(std::string_view s, size_type pos = npos) const noexcept { return View().find_last_of(s, pos); }
  size_type find_last_of(const char* s, size_type pos = npos) const { return View().find_last_of(s, pos); }
  size_type find_last_of(char c, size_type pos = npos) const noexcept { return View().find_last_of(c, pos); }
  size_type find_last_not_of(std::string_view s, size_type pos = npos) const noexcept {
    return View().find_last_not_of(s, pos);
  }
  size_type find_last_not_of(const char* s, size_type pos = npos) const { return View().find_last_not_of(s, pos); }
  size_type find_last_not_of(char c, size_type pos = npos) const noexcept { return View().find_last_not_of(c, pos); }
  bool starts_with(std::string_view s) const noexcept { return View().starts_with(s); }
  bool starts_with(char c) const noexcept { return View().starts_with(c); }
  bool ends_with(std::string_view s) const noexcept { return View().ends_with(s); }
  bool ends_with(char c) const noexcept { return View().ends_with(c); }

  int compare(const AnsiString& s) const noexcept { return View().compare(s.View()); }
  int compare(const char* s) const { return View().compare(s); }
  int compare(size_type pos, size_type n, const AnsiString& s) const { return View().compare(pos, n, s.View()); }
  int compare(size_type pos, size_type n, const char* s) const { return View().compare(pos, n, s); }

  friend bool operator==(const AnsiString& a, const AnsiString& b) noexcept {
    return a.FRep == b.FRep || a.View() == b.View();
  }
  friend bool operator==(const AnsiString& a, const char* b) { return a.View() == std::string_view(b); }
  friend std::strong_ordering operator<=>(const AnsiString& a, const AnsiString& b) noexcept {
    return a.View() <=> b.View();
  }
  friend std::strong_ordering operator<=>(const AnsiString& a, const char* b) { return a.View() <=> std::string_view(b); }

  friend AnsiString operator+(const AnsiString& a, const AnsiString& b) { return Joined(a.View(), b.View()); }
  friend AnsiString operator+(const AnsiString& a, const char* b) { return Joined(a.View(), b); }
  friend AnsiString operator+(const char* a, const AnsiString& b) { return Joined(a, b.View()); }
  friend AnsiString operator+(const AnsiString& a, char b) { return Joined(a.View(), std::string_view(&b, 1)); }
  friend AnsiString operator+(char a, const AnsiString& b) { return Joined(std::string_view(&a, 1), b.View()); }
  friend AnsiString operator+(AnsiString&& a, const AnsiString& b) { return std::move(a.append(b)); }
  friend AnsiString operator+(AnsiString&& a, const char* b) { return std::move(a.append(b)); }
  friend AnsiString operator+(AnsiString&& a, char b) { return std::move(a.append(&b, 1)); }

  // How many strings share this one's buffer (0 for the empty string): for
  // tests and measurements.
  long use_count() const noexcept { return FRep ? (FRep->Refs == 0 ? 1 : FRep->Refs) : 0; }

 private:
  // The shared buffer: a header followed by Capacity + 1 bytes. Refs counts
  // the strings that hold it; 0 marks a buffer held by one string that has
  // handed out a writable pointer and must not be shared.
  struct Rep {
    std::uint32_t Refs;
    std::uint32_t Size;
    std::uint32_t Capacity;
  };
  static constexpr size_type kMaxSize = 0xFFFFFFFEu;
  static const char kEmpty[1];

  static char* Chars(Rep* r) noexcept { return reinterpret_cast<char*>(r + 1); }
  std::string_view View() const noexcept { return {c_str(), size()}; }
  static Rep* Allocate(size_type capacity);
  static Rep* Clone(const Rep* r, size_type capacity);
  static Rep* Share(Rep* r) {
    if (!r) return nullptr;
    if (r->Refs == 0) return Clone(r, r->Size);
    ++r->Refs;
    return r;
  }
  static void Release(Rep* r) noexcept;
  static AnsiString Joined(std::string_view a, std::string_view b);
  // The buffer made this string's own and unshareable; its characters.
  char* Own();
  // Makes room for a change: a buffer of this string's own, shareable, with
  // room for n characters, keeping the first `keep` characters.
  char* Prepare(size_type n, size_type keep);
  // Capacity of a new buffer for n characters.
  size_type NewCapacity(size_type n) const noexcept;

  Rep* FRep = nullptr;
};

std::ostream& operator<<(std::ostream& out, const AnsiString& s);

template <>
struct std::hash<AnsiString> {
  std::size_t operator()(const AnsiString& s) const noexcept { return std::hash<std::string_view>()(s); }
};
