// Counting shims around the engine table: while an EngineCounter lives, every table
// entry is wrapped so tests can see whether every start-up was shut down and every engine
// object and stream released. The shims may run on several threads at once; read the
// results once they are done.
#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace pixet::testing {

class EngineCounter {
 public:
  EngineCounter();   // wraps the entries of the current table
  ~EngineCounter();  // puts the real entries back

  EngineCounter(const EngineCounter&) = delete;
  EngineCounter& operator=(const EngineCounter&) = delete;

  int Startups() const { return startups_; }
  int Shutdowns() const { return shutdowns_; }
  // Engine objects (images, bitmaps, graphics, attributes) made and not yet released.
  std::size_t Live() const { return live_.size(); }
  // Releases of objects this counter never saw made (double or foreign releases).
  int UnknownReleases() const { return unknown_releases_; }

  // Streams handed to GdipCreateBitmapFromStream reach the engine wrapped, so the counter
  // sees when it lets go of them. Those it still holds (an image made from one keeps it):
  int StreamsHeld() const;
  // Streams not yet gone: held by the engine, still referenced by anyone else once the
  // engine let go, or whose memory block outlived them. Checks the released ones.
  int StreamsLeft();

  // Called by the shims.
  void OnMade(const void* object);
  void OnReleased(const void* object);
  void OnStartup(bool ok);
  void OnShutdown();
  struct CountingStream;
  void* WrapStream(void* stream);  // an IStream*, wrapped; the caller releases the wrapper


 private:
  void Reset();
  std::mutex mutex_;
  std::set<const void*> live_;
  int startups_ = 0;
  int shutdowns_ = 0;
  int unknown_releases_ = 0;
  std::vector<std::unique_ptr<CountingStream>> streams_;
  void* saved_table_[64];
};

}  // namespace pixet::testing
