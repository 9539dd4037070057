// While an InternetCounter lives, the library's WinINet calls go through shims that track
// every handle until it is closed and count the reads. Thread-safe.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <mutex>
#include <set>

namespace pixet::testing {

class InternetCounter {
 public:
  InternetCounter();   // wraps the entries of the library's table
  ~InternetCounter();  // puts the real entries back
  InternetCounter(const InternetCounter&) = delete;
  InternetCounter& operator=(const InternetCounter&) = delete;

  void FailOpen(bool on) { fail_open_ = on; }  // InternetOpenA fails while on
  bool fail_open() const { return fail_open_; }
  int Reads() const;
  std::size_t Live() const;  // handles made and not closed
  int UnknownCloses() const;  // closes of handles never made

  void OnMade(HINTERNET made);
  void OnRead();
  void OnClose(HINTERNET handle);

 private:
  mutable std::mutex mutex_;
  std::set<HINTERNET> live_;
  int reads_ = 0;
  int unknown_closes_ = 0;
  bool fail_open_ = false;
  unsigned char saved_[64];
};

}  // namespace pixet::testing
