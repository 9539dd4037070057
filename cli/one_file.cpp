#include "one_file.h"

#include <windows.h>

#include <cwchar>
#include <map>

#include "cli.h"

namespace pixet::cli {

namespace {

using ::cli::Wide;

// What `get(buffer, size)` writes: a call that returns the length written, or the size
// it needs when the buffer is too small, and 0 when it fails (empty then).
template <class Get>
std::wstring Fetch(Get get) {
  std::wstring out(MAX_PATH, L'\0');
  DWORD n = get(&out[0], static_cast<DWORD>(out.size()));
  if (n >= out.size()) {
    out.resize(n);
    n = get(&out[0], n);
  }
  if (n == 0 || n >= out.size()) return {};
  out.resize(n);
  return out;
}

std::wstring LongPath(const std::wstring& path) {
  return Fetch([&](wchar_t* buffer, DWORD size) { return ::GetLongPathNameW(path.c_str(), buffer, size); });
}

// Ordinal, ignoring case with the system's own upper-case table, as file names compare.
int Compare(const wchar_t* a, std::size_t a_size, const wchar_t* b, std::size_t b_size) {
  return ::CompareStringOrdinal(a, static_cast<int>(a_size), b, static_cast<int>(b_size), TRUE);
}
bool SameStart(const std::wstring& text, const std::wstring& start) {
  return text.size() >= start.size() && Compare(text.data(), start.size(), start.data(), start.size()) == CSTR_EQUAL;
}
struct NameOrder {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return Compare(a.data(), a.size(), b.data(), b.size()) == CSTR_LESS_THAN;
  }
};

// A name as the file system would find it: the full path as every Win32 call reads it
// (Wine too drops trailing dots and blanks, and reads "con.png" as the device), the stored
// long name of what exists.
struct Resolved {
  std::wstring folder;  // with its final '\'
  std::wstring leaf;
  bool exists = false;
};

Resolved Resolve(const std::string& name) {
  const std::wstring given = Wide(name);
  std::wstring path =
      Fetch([&](wchar_t* buffer, DWORD size) { return ::GetFullPathNameW(given.c_str(), size, buffer, nullptr); });
  if (path.empty()) path = given;
  Resolved r;
  r.exists = ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (std::wstring whole = r.exists ? LongPath(path) : std::wstring(); !whole.empty()) path = whole;
  const std::size_t cut = path.find_last_of(L'\\') + 1;  // 0 without one
  r.folder = path.substr(0, cut);
  r.leaf = path.substr(cut);
  if (!r.exists && !r.folder.empty())
    if (std::wstring folder = LongPath(r.folder); !folder.empty())
      r.folder = folder.back() == L'\\' ? folder : folder + L'\\';
  return r;
}

struct Split {
  std::wstring base;
  std::wstring extension;  // without the dot
  std::size_t dots = 0;
};

Split SplitName(const std::wstring& leaf) {
  Split s;
  const std::size_t dot = leaf.rfind(L'.');
  s.base = leaf.substr(0, dot);
  if (dot != std::wstring::npos) s.extension = leaf.substr(dot + 1);
  for (wchar_t c : leaf) s.dots += c == L'.';
  return s;
}

// An 8.3 name, which the file system gives no short name of its own.
bool Is83(const Split& s) {
  if (s.base.empty() || s.base.size() > 8 || s.extension.size() > 3 || s.dots > 1) return false;
  for (wchar_t c : s.base + s.extension)
    if (!(c < 0x80 && (::IsCharAlphaNumericW(c) || std::wcschr(L"!#$%&'()-@^_`{}~", c) != nullptr))) return false;
  return true;
}

// The letters and digits a generated short name keeps, in order.
std::wstring Kept(const std::wstring& text) {
  std::wstring kept;
  for (wchar_t c : text)
    if (c >= 0x80 || ::IsCharAlphaNumericW(c)) kept += c;
  return kept;
}

// Whether `name`, which does not exist, has the form of a short name the file system may
// generate for `other` (in the same folder, not 8.3, not existing either) when `other`
// is written first: 8.3 with "~" and letters or digits after it, the other's first three
// extension characters, and its base's first letters before the "~". Windows (NTFS with
// short names on) writes "LONGER~1.PNG", or after four of them two letters and four hex
// digits ("LO3A2F~1.PNG"), when the file is made. Wine differs: it computes "LONG~GLF.PNG"
// from the name whenever asked, so there a name of Windows' form stays a file of its own;
// it is refused all the same.
bool CouldBeShortNameOf(const Resolved& name, const Resolved& other) {
  if (name.exists || other.exists || Compare(name.folder.data(), name.folder.size(), other.folder.data(),
                                             other.folder.size()) != CSTR_EQUAL)
    return false;
  const Split s = SplitName(name.leaf);
  const Split o = SplitName(other.leaf);
  const std::size_t tilde = s.base.find(L'~');
  if (!Is83(s) || Is83(o) || tilde == 0 || tilde == std::wstring::npos || tilde + 1 == s.base.size() ||
      Kept(s.base.substr(tilde + 1)).size() != s.base.size() - tilde - 1)
    return false;
  const std::wstring extension = Kept(o.extension).substr(0, 3);
  if (Kept(s.extension).size() != extension.size() || !SameStart(extension, Kept(s.extension))) return false;
  const std::wstring start = s.base.substr(0, tilde);
  const bool hashed = start.size() == 6 && start.find_first_not_of(L"0123456789ABCDEFabcdef", 2) == std::wstring::npos;
  return SameStart(Kept(o.base), Kept(start)) || (hashed && SameStart(Kept(o.base), Kept(start.substr(0, 2))));
}

}  // namespace

std::optional<Twins> FirstTwins(const std::vector<std::string>& names) {
  std::vector<Resolved> resolved;
  std::map<std::wstring, std::size_t, NameOrder> seen;
  std::vector<std::size_t> tilded;  // the names that may be short names, to pair with all others
  for (std::size_t i = 0; i < names.size(); ++i) {
    resolved.push_back(Resolve(names[i]));
    const Resolved& r = resolved.back();
    if (const auto [at, added] = seen.emplace(r.folder + r.leaf, i); !added) return Twins{at->second, i};
    // Only a name with a "~" may be a short name: it is paired with every earlier name,
    // any other name with the earlier ones that have one.
    const bool tilde = r.leaf.find(L'~') != std::wstring::npos;
    const std::size_t pairs = tilde ? i : tilded.size();
    for (std::size_t k = 0; k < pairs; ++k) {
      const std::size_t j = tilde ? k : tilded[k];
      if (CouldBeShortNameOf(r, resolved[j]) || CouldBeShortNameOf(resolved[j], r)) return Twins{j, i};
    }
    if (tilde) tilded.push_back(i);
  }
  return std::nullopt;
}

}  // namespace pixet::cli
