#include "common.h"

#include <cctype>

namespace bench {

double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / frequency;
}

long long FileSize(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void DeleteFiles(const std::vector<std::string>& names) {
  for (const std::string& name : names) ::DeleteFileA(name.c_str());
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool StartEngine(ULONG_PTR& token) {
  Gdiplus::GdiplusStartupInput input;
  return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
}

void HandToImageControl(pixet::refhost::DesktopHost& host, PixetHostWindow* window, const unsigned char* bytes,
                        DWORD size) {
  host.WritePropertyBytes(pixet::refhost::Target::Of(window, kImageField), pixet::refhost::Property::ImageFileBytes, bytes,
                          size);
}

bool HandFileToImageControl(pixet::refhost::DesktopHost& host, PixetHostWindow* window, const std::string& name) {
  return HandFileToControl(host, window, kImageField, name);
}

bool HandFileToControl(pixet::refhost::DesktopHost& host, PixetHostWindow* window, std::int16_t field,
                       const std::string& name) {
  std::vector<unsigned char> bytes;
  if (pixet::ReadWholeFile(name, bytes) != 0) return false;
  host.WritePropertyBytes(pixet::refhost::Target::Of(window, field), pixet::refhost::Property::ImageFileBytes,
                          bytes.data(), bytes.size());
  return true;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string RunSelf(const std::string& arguments) {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = "\"" + std::string(self) + "\" " + arguments;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!::CreatePipe(&read, &write, &inherit, 0)) return {};
  ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);  // only the child's end is inherited
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  const BOOL started =
      ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  ::CloseHandle(write);  // else the read below never sees the end of the child's output
  std::string output;
  if (started) {
    char buffer[256];
    DWORD got = 0;
    while (::ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  ::CloseHandle(read);
  return output;
}

}  // namespace bench
