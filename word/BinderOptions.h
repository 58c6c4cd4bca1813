// What plenwick-join can ask of the native engine beyond the plain join, to make the result a
// binder that is handed over or printed as one: every option is off unless asked for, so the
// plain join stays what "Join Documents" writes.
#pragma once

namespace plenwick::word {

struct BinderOptions {
  bool bookmarks = false;            // a bookmark at the start of each document
  bool contents = false;             // a first page listing every document (implies bookmarks)
  bool continuousNumbering = false;  // page numbers run through the whole result

  bool Any() const { return bookmarks || contents || continuousNumbering; }
  bool operator==(const BinderOptions&) const = default;
};

}  // namespace plenwick::word
