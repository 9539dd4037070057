#include "support/test_support.h"

#include <cstring>
#include <fstream>

#include <gtest/gtest.h>

#include "pixet/refhost.h"

namespace pixet::testing {

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void RemoveFile(const std::string& path) { ::DeleteFileA(path.c_str()); }

std::wstring Wide(const std::string& text) {
  wchar_t wide[2048] = {};
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 2048);
  return wide;
}

std::string Ansi(const std::wstring& text) {
  char ansi[2048] = {};
  ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, ansi, 2048, nullptr, nullptr);
  return ansi;
}

std::vector<std::wstring> FilesInW(const std::wstring& folder) {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do
    if (std::wstring(found.cFileName) != L"." && std::wstring(found.cFileName) != L"..") files.push_back(found.cFileName);
  while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return files;
}

namespace {
const wchar_t* const kTempVariables[] = {L"TMP", L"TEMP"};
}  // namespace

ScopedTempFolder::ScopedTempFolder(const std::wstring& folder) {
  for (const wchar_t* name : kTempVariables) {
    wchar_t value[MAX_PATH] = {};
    saved_.push_back(::GetEnvironmentVariableW(name, value, MAX_PATH) != 0 ? value : L"");
    ::SetEnvironmentVariableW(name, folder.c_str());
  }
}

ScopedTempFolder::~ScopedTempFolder() {
  for (std::size_t i = 0; i < saved_.size(); ++i)
    ::SetEnvironmentVariableW(kTempVariables[i], saved_[i].empty() ? nullptr : saved_[i].c_str());
}

std::vector<std::string> FilesStartingWith(const std::string& prefix) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.emplace_back(found.cFileName);
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return names;
}

std::string Sample(const std::string& name) { return "data\\" + name; }
std::string Output(const std::string& name) {
  ::CreateDirectoryA("out", nullptr);
  return "out\\" + name;
}

namespace {

// "PORT CLOSED_PORT PID", written by the server once it listens.
std::pair<int, int> HttpServerPorts() {
  std::ifstream info("http-server.txt");
  int port = 0;
  int closed = 0;
  info >> port >> closed;
  EXPECT_NE(port, 0) << "no test HTTP server: run the suite through ctest, which starts it";
  return {port, closed};
}

}  // namespace

int HttpPort() { return HttpServerPorts().first; }
int ClosedHttpPort() { return HttpServerPorts().second; }
int ServerPort(int field) {
  std::ifstream info("http-server.txt");
  int value = 0;
  for (int i = 0; i <= field; ++i) info >> value;
  return value;
}

namespace {

BITMAPINFOHEADER Header32(int width, int height) {  // bottom-up unless `height` is negative
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  return header;
}

HGLOBAL Block(const std::string& bytes) {
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  std::memcpy(::GlobalLock(block), bytes.data(), bytes.size());
  ::GlobalUnlock(block);
  return block;
}

void Replace(UINT format, HANDLE data) {
  ::OpenClipboard(nullptr);
  ::EmptyClipboard();
  ::SetClipboardData(format, data);
  ::CloseClipboard();
}

}  // namespace

void PutBitmap(const Pixels& p) { Replace(CF_BITMAP, ::CreateBitmap(p.width, p.height, 1, 32, p.rgb.data())); }
void PutText(const std::string& text) { Replace(CF_TEXT, Block(text + '\0')); }
void PutDibOnly(const Pixels& p) {  // bottom-up, as DIBs on the clipboard usually are
  const BITMAPINFOHEADER header = Header32(p.width, p.height);
  std::string dib(reinterpret_cast<const char*>(&header), sizeof header);
  for (int y = p.height; y-- > 0;) dib.append(reinterpret_cast<const char*>(&p.rgb[y * p.width]), p.width * 4u);
  Replace(CF_DIB, Block(dib));
}

Pixels ClipboardPixels() {
  Pixels out;
  if (!::OpenClipboard(nullptr)) return out;
  if (auto bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP))) {
    BITMAP b{};
    ::GetObjectA(bitmap, sizeof b, &b);
    out = {b.bmWidth, b.bmHeight, std::vector<std::uint32_t>(static_cast<std::size_t>(b.bmWidth) * b.bmHeight)};
    BITMAPINFOHEADER header = Header32(b.bmWidth, -b.bmHeight);
    HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(b.bmHeight), out.rgb.data(),
                reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    for (auto& p : out.rgb) p &= 0xFFFFFF;
  }
  ::CloseClipboard();
  return out;
}

std::string ClipboardText() {
  std::string text;
  if (!::OpenClipboard(nullptr)) return text;
  if (HANDLE block = ::GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(::GlobalLock(block));
    ::GlobalUnlock(block);
  }
  ::CloseClipboard();
  return text;
}

refhost::DesktopHost& DefaultHost() {
  static refhost::DesktopHost host;
  return host;
}

}  // namespace pixet::testing
