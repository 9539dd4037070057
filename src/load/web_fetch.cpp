#include "load/web_fetch.h"

#include <windows.h>
#include <wininet.h>

#include <cwchar>
#include <memory>
#include <new>

#include "core/host_access.h"
#include "core/internet.h"
#include "core/text.h"
#include "load/http_body.h"

namespace pixet {

namespace {

constexpr int kMaxRedirects = 5;
// The system's own time limits equal the object's; this grace lets them speak first.
constexpr DWORD kWatchdogGraceMs = 250;

enum class Failure { None, Open, Connect, Certificate, Status, Redirects, Downgrade, Timeout, TooLarge, Cut, Disk };

void Show(Failure failure, DWORD status) {
  std::string text;
  switch (failure) {
    case Failure::None: return;
    case Failure::Open: text = "An error occurred calling InternetOpen function!"; break;
    case Failure::Connect: text = "An error occurred calling InternetOpenUrl function!"; break;
    case Failure::Certificate: text = "The web server's certificate was not accepted!"; break;
    case Failure::Status: text = "The web server answered with status " + std::to_string(status) + "!"; break;
    case Failure::Redirects: text = "Too many redirects (more than 5)!"; break;
    case Failure::Downgrade: text = "A redirect from https to http was refused!"; break;
    case Failure::Timeout: text = "The web server did not answer in time!"; break;
    case Failure::TooLarge: text = "The image is larger than the size limit!"; break;
    case Failure::Cut: text = "The download was cut off before its end!"; break;
    case Failure::Disk: text = "The download could not be written to the temporary folder!"; break;
  }
  host::ShowMessage(text.c_str());
}

bool IsCertificateError(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID: case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_INVALID_CA: case ERROR_INTERNET_SEC_CERT_ERRORS: case ERROR_INTERNET_SEC_CERT_NO_REV:
    case ERROR_INTERNET_SEC_CERT_REV_FAILED: case ERROR_INTERNET_SEC_INVALID_CERT: case ERROR_INTERNET_SEC_CERT_REVOKED:
      return true;
    default:
      return false;
  }
}

// One send on a thread of its own, so that the caller can stop waiting at its deadline: the
// system bounds neither the secure handshake nor closing a handle in the middle of it. The
// job goes with whichever of the two lets go of it last.
struct SendJob {
  explicit SendJob(HINTERNET request) : request(request) {}
  const HINTERNET request;  // the caller's
  const unique_handle done{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  BOOL sent = FALSE;
  DWORD error = 0;
};

// What the send thread starts with: its share of the job, and a reference on this module
// that the thread gives back as it exits, so that the code it runs stays loaded.
struct SendStart {
  std::shared_ptr<SendJob> job;
  unique_module module;
};

DWORD WINAPI RunSend(void* parameter) {
  std::unique_ptr<SendStart> start(static_cast<SendStart*>(parameter));
  SendJob& job = *start->job;
  job.sent = ::HttpSendRequestW(job.request, nullptr, 0, nullptr, 0);
  job.error = job.sent ? 0 : ::GetLastError();
  ::SetEvent(job.done.get());
  const HMODULE module = start->module.release();  // the exit below gives it back
  start.reset();
  ::FreeLibraryAndExitThread(module, 0);
}

// Sends the request; false with the error when it failed or did not end within the limit.
bool SendWithin(HINTERNET request, DWORD limit_ms, DWORD& error) {
  std::unique_ptr<SendStart> start;
  try {
    start.reset(new SendStart{std::make_shared<SendJob>(request), unique_module()});
  } catch (const std::bad_alloc&) {
    error = ERROR_NOT_ENOUGH_MEMORY;
    return false;
  }
  const std::shared_ptr<SendJob> job = start->job;
  if (!job->done || !::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&RunSend),
                                          start->module.put())) {
    error = ::GetLastError();
    return false;
  }
  const unique_handle thread(::CreateThread(nullptr, 0, RunSend, start.get(), 0, nullptr));
  if (!thread) {
    error = ::GetLastError();
    return false;  // `start` gives the module back
  }
  start.release();  // the thread's now
  const bool finished = ::WaitForSingleObject(job->done.get(), limit_ms + kWatchdogGraceMs) == WAIT_OBJECT_0;
  error = finished ? job->error : ERROR_INTERNET_TIMEOUT;
  return finished && job->sent;
}

bool StartsWithNoCase(const std::wstring& s, const wchar_t* prefix) {
  return text::Upper(s.substr(0, std::wcslen(prefix))) == text::Upper(prefix);
}

// `location` read against `base`.
std::wstring Combine(const std::wstring& base, const std::wstring& location) {
  DWORD size = 0;
  ::InternetCombineUrlW(base.c_str(), location.c_str(), nullptr, &size, ICU_NO_ENCODE);
  std::wstring joined(size + 1, L'\0');
  if (!::InternetCombineUrlW(base.c_str(), location.c_str(), &joined[0], &size, ICU_NO_ENCODE))
    return {};
  joined.resize(size);
  return joined;
}

// One request for `address` on `session`; a redirect's target goes into `next`.
Failure Request(HINTERNET session, const std::wstring& address, const WebLimits& limits, HANDLE file,
                std::wstring& next, DWORD& status) {
  URL_COMPONENTSW parts{};  // lengths of 1: pointers into `address`
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
  if (!::InternetCrackUrlW(address.c_str(), 0, 0, &parts) ||
      (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) || parts.lpszHostName == nullptr)
    return Failure::Connect;
  const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path = std::wstring(parts.lpszUrlPath != nullptr ? parts.lpszUrlPath : L"", parts.dwUrlPathLength) +
                      std::wstring(parts.lpszExtraInfo != nullptr ? parts.lpszExtraInfo : L"", parts.dwExtraInfoLength);
  path = path.substr(0, path.find(L'#'));
  unique_internet connection(::InternetConnectW(session, host.c_str(), parts.nPort, nullptr, nullptr,
                                                                INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return Failure::Connect;
  DWORD timeout = limits.timeout_ms;
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
    ::InternetSetOptionW(connection.get(), option, &timeout, sizeof timeout);
  const DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                      INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                      (secure ? INTERNET_FLAG_SECURE : 0);
  unique_internet request(::HttpOpenRequestW(connection.get(), L"GET", path.empty() ? L"/" : path.c_str(),
                                                             nullptr, nullptr, nullptr, flags, 0));
  if (!request) return Failure::Connect;
  DWORD error = 0;
  const DWORD started = ::GetTickCount();
  if (!SendWithin(request.get(), limits.timeout_ms, error))
    return IsCertificateError(error)                       ? Failure::Certificate
           : TimedOut(error, started, limits.timeout_ms) ? Failure::Timeout
                                                         : Failure::Connect;
  status = std::wcstoul(QueryHeader(request.get(), HTTP_QUERY_STATUS_CODE).c_str(), nullptr, 10);
  if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
    const std::wstring location = QueryHeader(request.get(), HTTP_QUERY_LOCATION);
    next = location.empty() ? std::wstring() : EncodedAddress(Combine(address, location));
    if (next.empty()) return Failure::Status;
    return secure && !StartsWithNoCase(next, L"https:") ? Failure::Downgrade : Failure::None;
  }
  if (status < 200 || status > 299) return Failure::Status;
  switch (CopyBody(request.get(), BodyLimits{limits.max_bytes, limits.timeout_ms}, file)) {
    case BodyEnd::Whole: return Failure::None;
    case BodyEnd::TooLarge: return Failure::TooLarge;
    case BodyEnd::Cut: return Failure::Cut;
    case BodyEnd::TimedOut: return Failure::Timeout;
    case BodyEnd::Disk: return Failure::Disk;
  }
  return Failure::Disk;
}

Failure Fetch(const std::wstring& address, const WebLimits& limits, HANDLE file, DWORD& status) {
  const unique_internet session = OpenInternetSession();
  if (!session) return Failure::Open;
  std::wstring current = EncodedAddress(address);
  for (int redirects = 0;; ++redirects) {
    std::wstring next;
    const Failure failure = Request(session.get(), current, limits, file, next, status);
    if (failure != Failure::None || next.empty()) return failure;
    if (redirects == kMaxRedirects) return Failure::Redirects;
    current = next;
  }
}

}  // namespace

bool IsWebAddress(const std::wstring& address) {
  return StartsWithNoCase(address, L"http://") || StartsWithNoCase(address, L"https://");
}

bool FetchWebAddress(const std::wstring& address, const WebLimits& limits, auto_delete_wide_file& file) {
  DWORD status = 0;
  Failure failure = Failure::Disk;
  if (const unique_file body = NewBodyFile(file)) failure = Fetch(address, limits, body.get(), status);  // closed here
  if (failure == Failure::None) return true;
  file.reset();
  Show(failure, status);
  return false;
}

}  // namespace pixet
