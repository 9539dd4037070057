#include "support/internet_counter.h"

#include <cstring>

#include "core/internet.h"

namespace pixet::testing {

namespace {

InternetCounter* g_active = nullptr;
pixet::internet::Table g_real{};

std::string TextOf(const char* s) { return s != nullptr ? s : ""; }

HINTERNET WINAPI OpenShim(LPCSTR agent, DWORD access, LPCSTR proxy, LPCSTR bypass, DWORD flags) {
  InternetCounter* c = g_active;
  if (c != nullptr && c->fail_open()) {
    ::SetLastError(ERROR_INTERNET_INTERNAL_ERROR);
    return nullptr;
  }
  HINTERNET made = g_real.InternetOpenA(agent, access, proxy, bypass, flags);
  if (c != nullptr)
    c->OnOpen({TextOf(agent), access, proxy == nullptr, bypass == nullptr, TextOf(proxy), TextOf(bypass), flags},
              made);
  return made;
}

HINTERNET WINAPI OpenUrlShim(HINTERNET session, LPCSTR url, LPCSTR headers, DWORD length, DWORD flags,
                             DWORD_PTR context) {
  HINTERNET made = g_real.InternetOpenUrlA(session, url, headers, length, flags, context);
  if (InternetCounter* c = g_active)
    c->OnOpenUrl(session, {TextOf(url), headers == nullptr, TextOf(headers), length, flags, context, made != nullptr},
                 made);
  return made;
}

BOOL WINAPI ReadShim(HINTERNET file, LPVOID buffer, DWORD size, LPDWORD read) {
  if (InternetCounter* c = g_active) c->OnRead(size);
  return g_real.InternetReadFile(file, buffer, size, read);
}

BOOL WINAPI CloseShim(HINTERNET handle) {
  if (InternetCounter* c = g_active) c->OnClose(handle);
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

InternetCounter* InternetCounter::active() { return g_active; }

void InternetCounter::OnOpen(const Open& open, HINTERNET made) {
  std::lock_guard<std::mutex> lock(mutex_);
  opens_.push_back(open);
  if (made != nullptr) sessions_.insert(made);
}

void InternetCounter::OnOpenUrl(HINTERNET session, const OpenUrl& call, HINTERNET made) {
  std::lock_guard<std::mutex> lock(mutex_);
  urls_.push_back(call);
  if (made != nullptr) {
    addresses_.insert(made);
    parent_of_.emplace_back(made, session);
  }
}

void InternetCounter::OnRead(DWORD asked) {
  std::lock_guard<std::mutex> lock(mutex_);
  reads_.push_back(asked);
}

void InternetCounter::OnClose(HINTERNET handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (addresses_.erase(handle) != 0) {
    for (auto it = parent_of_.begin(); it != parent_of_.end(); ++it)
      if (it->first == handle) {
        parent_of_.erase(it);
        break;
      }
    return;
  }
  if (sessions_.erase(handle) == 0) {
    ++unknown_closes_;
    return;
  }
  for (const auto& [address, session] : parent_of_)
    if (session == handle) addresses_first_ = false;  // an address of it is still open
}

std::vector<InternetCounter::Open> InternetCounter::Opens() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return opens_;
}
std::vector<InternetCounter::OpenUrl> InternetCounter::OpenUrls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return urls_;
}
std::vector<DWORD> InternetCounter::ReadSizes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return reads_;
}
int InternetCounter::Reads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(reads_.size());
}
std::size_t InternetCounter::Live() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sessions_.size() + addresses_.size();
}
int InternetCounter::UnknownCloses() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return unknown_closes_;
}
bool InternetCounter::AddressesClosedFirst() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return addresses_first_;
}

}  // namespace pixet::testing
