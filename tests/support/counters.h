// While a counter lives, the library's table entries go through shims that track what it
// makes until it lets go of it, so a test can see that nothing was left behind: engine
// start-ups, objects and the streams handed to the engine; WinINet handles and reads.
// The shims may run on several threads at once; read the results once the calls are done.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <set>
#include <vector>

#include "core/test_seams.h"

namespace pixet::testing {

// Things made and not yet let go of, and lets-go of things never made (twice, or foreign).
class LiveSet {
 public:
  void Made(const void* thing) { std::lock_guard<std::mutex> lock(mutex_); if (thing != nullptr) live_.insert(thing); }
  void Gone(const void* thing) { std::lock_guard<std::mutex> lock(mutex_); unknown_ += live_.erase(thing) == 0; }
  std::size_t Live() const { std::lock_guard<std::mutex> lock(mutex_); return live_.size(); }
  int Unknown() const { std::lock_guard<std::mutex> lock(mutex_); return unknown_; }

 private:
  mutable std::mutex mutex_;
  std::set<const void*> live_;
  int unknown_ = 0;
};

class EngineCounter {
 public:
  EngineCounter();   // wraps the entries of the current table
  ~EngineCounter();  // puts the real entries back
  EngineCounter(const EngineCounter&) = delete;
  EngineCounter& operator=(const EngineCounter&) = delete;

  int Startups() const { return startups_; }
  int Shutdowns() const { return shutdowns_; }
  LiveSet& Objects() { return objects_; }  // images, bitmaps, graphics, attributes
  // Streams handed to the engine that someone still holds (an image made from one keeps it).
  int StreamsHeld();
  // Streams held still, or gone with their memory block left; lets go of the others.
  int StreamsLeft();
  HBITMAP LastHbitmap() const { return last_hbitmap_; }  // the newest one the engine made

  // Called by the shims.
  void OnStartup() { ++startups_; }
  void OnShutdown() { ++shutdowns_; }
  void OnStream(IStream* stream);
  void OnHbitmap(HBITMAP made) { last_hbitmap_ = made; }

 private:
  struct Stream { IStream* stream; HGLOBAL block; };
  std::atomic<int> startups_{0}, shutdowns_{0};
  std::atomic<HBITMAP> last_hbitmap_{nullptr};
  LiveSet objects_;
  std::mutex mutex_;
  std::vector<Stream> streams_;  // each with a reference of the counter's own
  engine::Table saved_;
};

class InternetCounter {
 public:
  InternetCounter();
  ~InternetCounter();
  InternetCounter(const InternetCounter&) = delete;
  InternetCounter& operator=(const InternetCounter&) = delete;

  void FailOpen(bool on) { fail_open_ = on; }  // InternetOpenA fails while on
  bool fail_open() const { return fail_open_; }
  int Reads() const { return reads_; }
  LiveSet& Handles() { return handles_; }
  void OnRead() { ++reads_; }

 private:
  std::atomic<bool> fail_open_{false};
  std::atomic<int> reads_{0};
  LiveSet handles_;
  internet::Table saved_;
};

}  // namespace pixet::testing
