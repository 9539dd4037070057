#include "support/internet_counter.h"

#include <cstring>

#include "core/internet.h"

namespace pixet::testing {

namespace {

InternetCounter* g_active = nullptr;
pixet::internet::Table g_real{};

HINTERNET WINAPI OpenShim(LPCSTR agent, DWORD access, LPCSTR proxy, LPCSTR bypass, DWORD flags) {
  if (g_active != nullptr && g_active->fail_open()) {
    ::SetLastError(ERROR_INTERNET_INTERNAL_ERROR);
    return nullptr;
  }
  HINTERNET made = g_real.InternetOpenA(agent, access, proxy, bypass, flags);
  if (g_active != nullptr) g_active->OnMade(made);
  return made;
}

HINTERNET WINAPI OpenUrlShim(HINTERNET session, LPCSTR url, LPCSTR headers, DWORD length, DWORD flags,
                             DWORD_PTR context) {
  HINTERNET made = g_real.InternetOpenUrlA(session, url, headers, length, flags, context);
  if (g_active != nullptr) g_active->OnMade(made);
  return made;
}

BOOL WINAPI ReadShim(HINTERNET file, LPVOID buffer, DWORD size, LPDWORD read) {
  if (g_active != nullptr) g_active->OnRead();
  return g_real.InternetReadFile(file, buffer, size, read);
}

BOOL WINAPI CloseShim(HINTERNET handle) {
  if (g_active != nullptr) g_active->OnClose(handle);
  return g_real.InternetCloseHandle(handle);
}

}  // namespace

InternetCounter::InternetCounter() {
  pixet::internet::Table& table = *PixetInternetTable();
  static_assert(sizeof table <= sizeof saved_);
  std::memcpy(saved_, &table, sizeof table);
  g_real = table;
  table.InternetOpenA = &OpenShim;
  table.InternetOpenUrlA = &OpenUrlShim;
  table.InternetReadFile = &ReadShim;
  table.InternetCloseHandle = &CloseShim;
  g_active = this;
}

InternetCounter::~InternetCounter() {
  g_active = nullptr;
  std::memcpy(PixetInternetTable(), saved_, sizeof(pixet::internet::Table));
}

void InternetCounter::OnMade(HINTERNET made) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (made != nullptr) live_.insert(made);
}
void InternetCounter::OnRead() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++reads_;
}
void InternetCounter::OnClose(HINTERNET handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (live_.erase(handle) == 0) ++unknown_closes_;
}
int InternetCounter::Reads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return reads_;
}
std::size_t InternetCounter::Live() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return live_.size();
}
int InternetCounter::UnknownCloses() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return unknown_closes_;
}

}  // namespace pixet::testing
