// What pixet.dll makes and lets go of, seen through its imports: the tests run the DLL that
// ships, with its import address table pointed at counting hooks (InstallImportHooks, once
// per process, before the first object binds) and its look-ups of engine entry points
// answered with counting shims. The hooks always forward to the real functions; a counter
// only switches the tallies on while it lives, so a test sees that nothing was left behind:
// engine start-ups, objects and streams; WinINet handles; device contexts, GDI objects and
// what is selected into DCs; clipboard opens; memory blocks and their locks; files, threads
// and loaded modules. Bitmaps handed to a control or to the clipboard, and blocks
// handed to a stream, belong to their receivers and leave the tallies.
// The hooks run on any thread; read the tallies once the calls are done.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "base/gdiplus_include.h"

namespace pixet::testing {

void InstallImportHooks();

// How often each thing was taken and not yet let go of (made, loaded, locked), and how often
// something not held was let go of (twice, or taken before the counts began).
class Tally {
 public:
  void Add(const void* thing, int times);
  void Made(const void* thing) { Add(thing, 1); }
  void Gone(const void* thing) { Add(thing, -1); }
  void HandedOver(const void* thing);  // the receiver's now: no longer held, and no complaint when unknown
  std::size_t Held() const;
  int Unknown() const;

 private:
  mutable std::mutex mutex_;
  std::map<const void*, int> held_;
  int unknown_ = 0;
};

class EngineCounter {
 public:
  EngineCounter();
  ~EngineCounter();
  EngineCounter(const EngineCounter&) = delete;
  EngineCounter& operator=(const EngineCounter&) = delete;

  int Startups() const { return startups_; }
  int Shutdowns() const { return shutdowns_; }
  Tally& Objects() { return objects_; }  // images, bitmaps, graphics, attributes
  // Streams handed to the engine that someone still holds (an image made from one keeps it).
  int StreamsHeld();
  // Streams held still, or gone with their memory block left; lets go of the others.
  int StreamsLeft();
  HBITMAP LastHbitmap() const { return last_hbitmap_; }  // the newest one the engine made
  // While the counter lives, entry `name` runs `replacement` (of the entry's own type) instead.
  void Replace(const char* name, void* replacement);

  // Called by the shims.
  void OnStartup() { ++startups_; }
  void OnShutdown() { ++shutdowns_; }
  void OnStream(IStream* stream);
  void OnHbitmap(HBITMAP made) { last_hbitmap_ = made; }

 private:
  struct Stream { IStream* stream; HGLOBAL block; };
  std::atomic<int> startups_{0}, shutdowns_{0};
  std::atomic<HBITMAP> last_hbitmap_{nullptr};
  Tally objects_;
  std::mutex mutex_;
  std::vector<Stream> streams_;  // each with a reference of the counter's own
  std::vector<std::string> replaced_;
};

class HandleCounter {
 public:
  HandleCounter();
  ~HandleCounter();
  HandleCounter(const HandleCounter&) = delete;
  HandleCounter& operator=(const HandleCounter&) = delete;

  // What is left, one line per kind ("2 device contexts not released"); empty when all balance.
  // Also, once Confine has named the folders, each file the library made, moved, deleted or
  // had the engine save outside them.
  std::vector<std::string> Left();
  // From now on, files the library touches must lie in one of `folders` (full paths ending
  // in "\\"); devices ("\\\\.\\NUL") are no files and pass.
  void Confine(const std::vector<std::string>& folders);
  void Touched(const char* path);
  void Touched(const wchar_t* path);
  // While the counter lives, every call the DLL makes to import `name` fails as that function
  // fails (its failure value, with ERROR_NOT_ENOUGH_MEMORY as the last error); "malloc": only
  // the library's next allocation.
  void Fail(const std::string& name);
  bool Failing(const char* name);

  Tally dcs, gdi_objects, blocks, files, threads, modules, locks, internet;
  std::atomic<int> reads{0};  // of WinINet bodies
  std::atomic<int> failing_mallocs{0};  // how many of the library's next allocations fail
  std::atomic<int> clipboard_opens{0};
  std::atomic<int> selections_left{0};  // DCs let go of with an object of the library's still selected
  // Per DC and object type, what was selected before the library's first selection.
  std::mutex selections_mutex;
  std::map<std::pair<HDC, DWORD>, HGDIOBJ> originals;

 private:
  std::mutex fail_mutex_;
  std::set<std::string> failing_;
  std::vector<std::wstring> folders_;  // under fail_mutex_
  std::vector<std::string> outside_;
};

}  // namespace pixet::testing
