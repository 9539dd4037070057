// Shared by every part of pixet_bench: the window layout the operations work in, the
// engine headers, and small file and text helpers.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/gdiplus_include.h"
#include "base/whole_file.h"
#include "pixet/pixet.h"
#include "pixet/refhost.h"

#undef LoadImage  // Pixet::LoadImage, not the Win32 macro

namespace bench {

// The window the display, load and capture operations work in.
constexpr int kClientWidth = 1024;
constexpr int kClientHeight = 640;
constexpr std::int16_t kDisplayField = 1;  // plain control, 800 x 600 at 0, 0
constexpr int kDisplayWidth = 800;
constexpr int kDisplayHeight = 600;
constexpr std::int16_t kImageField = 2;  // image control beside it
constexpr std::int16_t kSourceField = 3;  // image control holding the large JPEG, a control-number source
constexpr DWORD kBmpPixelOffset = 1078;  // 14 + 40 + 1024: Pixet's capture file layout

// Milliseconds from the performance counter; only differences mean anything.
double NowMs();

// The median of `v`; 0 when it is empty.
double Median(std::vector<double> v);

// Size of a file in bytes, -1 when there is none.
long long FileSize(const std::string& name);

void DeleteFiles(const std::vector<std::string>& names);

// ASCII names only: the bench's own inputs and outputs.
std::wstring Wide(const std::string& s);
std::string Upper(std::string s);

// Runs this program again with `arguments` and gives what it printed on stdout (empty
// when it could not start).
std::string RunSelf(const std::string& arguments);

// Starts an engine session of the process's own; false when the engine does not start.
bool StartEngine(ULONG_PTR& token);

// Hands file bytes to the window's image control, as both LoadImage legs end.
void HandToImageControl(pixet::refhost::DesktopHost& host, PixetHostWindow* window, const unsigned char* bytes,
                        DWORD size);

// Reads `name` and hands its bytes to the image control; false when it cannot be read.
bool HandFileToImageControl(pixet::refhost::DesktopHost& host, PixetHostWindow* window, const std::string& name);
// The same for control `field`.
bool HandFileToControl(pixet::refhost::DesktopHost& host, PixetHostWindow* window, std::int16_t field,
                       const std::string& name);

}  // namespace bench
