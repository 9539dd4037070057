#include "base/whole_file.h"

#include <new>
#include <stdexcept>

#include "base/last_error.h"
#include "base/unique_any.h"

namespace pixet {

bool WriteAll(HANDLE file, const void* bytes, DWORD size) noexcept {
  for (DWORD done = 0, written = 0; done < size; done += written)
    if (!::WriteFile(file, static_cast<const char*>(bytes) + done, size - done, &written, nullptr) || written == 0)
      return false;
  return true;
}

bool CloseWritten(unique_file& file) noexcept { return ::CloseHandle(file.release()) != FALSE; }

namespace {

// Both forms of the read, once the file is open (or not).
DWORD ReadOpenFile(const unique_file& file, std::vector<unsigned char>& bytes) {
  bytes.clear();
  if (!file) return LastError();
  LARGE_INTEGER length{};
  if (!::GetFileSizeEx(file.get(), &length)) return LastError();
  if (length.QuadPart > MAXDWORD) return ERROR_FILE_TOO_LARGE;
  const DWORD size = static_cast<DWORD>(length.QuadPart);
  try {
    bytes.resize(size);
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  } catch (const std::length_error&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  DWORD done = 0;
  DWORD error = 0;
  while (done < size && error == 0) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data() + done, size - done, &read, nullptr))
      error = LastError();
    else if (read == 0)
      error = ERROR_HANDLE_EOF;  // the file became shorter than measured
    done += read;
  }
  if (error != 0) bytes.clear();
  return error;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

DWORD ReadWholeFile(const std::string& name, std::vector<unsigned char>& bytes) {
  return ReadOpenFile(
      unique_file(::CreateFileA(name.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr)),
      bytes);
}

DWORD ReadWholeFile(const std::wstring& name, std::vector<unsigned char>& bytes) {
  return ReadOpenFile(
      unique_file(::CreateFileW(name.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr)),
      bytes);
}

std::vector<unsigned char> ReadWholeFile(const std::string& name) {
  std::vector<unsigned char> bytes;
  ReadWholeFile(name, bytes);
  return bytes;
}

}  // namespace pixet
