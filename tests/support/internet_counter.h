// Counting shims around the library's WinINet table: while an InternetCounter lives,
// every WinINet call the library makes is recorded with its arguments, and every handle
// opened is tracked until it is closed. Thread-safe.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace pixet::testing {

class InternetCounter {
 public:
  struct Open {  // InternetOpenA
    std::string agent;
    DWORD access = 0;
    bool proxy_null = true, bypass_null = true;
    std::string proxy, bypass;
    DWORD flags = 0;
  };
  struct OpenUrl {  // InternetOpenUrlA
    std::string url;
    bool headers_null = true;
    std::string headers;
    DWORD headers_length = 0;
    DWORD flags = 0;
    DWORD_PTR context = 0;
    bool opened = false;
  };

  InternetCounter();   // wraps the entries of the library's table
  ~InternetCounter();  // puts the real entries back

  InternetCounter(const InternetCounter&) = delete;
  InternetCounter& operator=(const InternetCounter&) = delete;

  // Makes InternetOpenA fail (return null) while on.
  void FailOpen(bool on) { fail_open_ = on; }

  std::vector<Open> Opens() const;
  std::vector<OpenUrl> OpenUrls() const;
  std::vector<DWORD> ReadSizes() const;  // the byte counts asked for
  int Reads() const;
  // Handles made and not closed, and closes of handles never seen made.
  std::size_t Live() const;
  int UnknownCloses() const;
  // Whether every address handle was closed before the session it was opened on.
  bool AddressesClosedFirst() const;

  static InternetCounter* active();

  // Called by the shims.
  void OnOpen(const Open& open, HINTERNET made);
  void OnOpenUrl(HINTERNET session, const OpenUrl& call, HINTERNET made);
  void OnRead(DWORD asked);
  void OnClose(HINTERNET handle);
  bool fail_open() const { return fail_open_; }

 private:
  mutable std::mutex mutex_;
  std::vector<Open> opens_;
  std::vector<OpenUrl> urls_;
  std::vector<DWORD> reads_;
  std::set<HINTERNET> sessions_, addresses_;
  std::vector<std::pair<HINTERNET, HINTERNET>> parent_of_;  // (address, session)
  bool addresses_first_ = true;
  int unknown_closes_ = 0;
  bool fail_open_ = false;
  unsigned char saved_[64];
};

}  // namespace pixet::testing
