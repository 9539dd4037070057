// Loads a library at run time and looks up its entry points by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "pixet/export.h"

struct HINSTANCE__;

namespace pixet {

class PIXET_API DllLoader {
 public:
  enum LoadMethod : std::int32_t { kLoadLibrary = 1, kModuleHandle = 2 };

  DllLoader() = default;
  DllLoader(const DllLoader&) = delete;
  DllLoader& operator=(const DllLoader&) = delete;

  // 0: the library is now held; 1: failure (or a library is held already).
  // Methods other than 1 and 2 count as 1.
  std::int32_t Load(const char* name, std::int32_t method);
  // 0: done; 1: FreeLibrary failed (the handle is forgotten all the same).
  std::int32_t Unload();
  std::int32_t IsLoaded() const { return module_ != nullptr ? 1 : 0; }
  // The entry point's address, or null when none is loaded or the name is unknown.
  void* GetProcedure(const char* name);
  // The system's last-error code now, not LASTERROR.
  static std::uint32_t OsLastError();

  std::uint32_t LastError() const { return last_error_; }
  std::int32_t Method() const { return load_method_; }
  HINSTANCE__* Module() const { return module_; }
  const char* ModuleFileName() const { return module_file_name_.get(); }
  const char* ProcedureName() const { return procedure_name_; }

 protected:
  virtual void OnLoadError();  // LASTERROR := GetLastError
  virtual void OnProcError();  // LASTERROR := GetLastError

 public:
  // Runs Unload. Declared after the two slots so they keep their places.
  virtual ~DllLoader();

 private:
  std::uint32_t last_error_ = 0;   // LASTERROR
  std::int32_t load_method_ = 0;   // LOADMETHOD
  // HMODULE. Raw, as the layout has it: held only when loaded with kLoadLibrary, and then
  // released by Unload, which the destructor runs.
  HINSTANCE__* module_ = nullptr;
  std::unique_ptr<char[]> module_file_name_;  // SZMODULEFILENAME: NUL-terminated (one pointer wide)
  std::size_t module_file_name_size_ = 0;
  char procedure_name_[64] = {};   // SZPROCEDURENAME
};

}  // namespace pixet
