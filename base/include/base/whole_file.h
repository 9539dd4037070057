// Whole files: reading one into memory, and writing all of a buffer, the same way in the
// library, the reference host, the tests and the bench.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/unique_any.h"

namespace pixet {

// Writes all `size` bytes at the file's position; false when any write fails or stops short.
bool WriteAll(HANDLE file, const void* bytes, DWORD size) noexcept;

// Closes a file written through `file` now; false when the close fails, as it may when the
// system held back part of what was written and cannot write it.
bool CloseWritten(unique_file& file) noexcept;

// Reads the whole file into `bytes`. 0, or the error number of what failed, and then
// `bytes` is empty: never a short or failed read. Others may read, write or delete the
// file meanwhile; one that becomes shorter than measured is an error.
DWORD ReadWholeFile(const std::string& name, std::vector<unsigned char>& bytes);
DWORD ReadWholeFile(const std::wstring& name, std::vector<unsigned char>& bytes);

// The whole file's bytes; empty when it cannot be read.
std::vector<unsigned char> ReadWholeFile(const std::string& name);

}  // namespace pixet
