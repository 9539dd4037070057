#include "core/internet.h"

namespace pixet {

namespace internet {
namespace {
Table g_table{&::InternetOpenA,     &::InternetOpenUrlA,   &::InternetReadFile,  &::InternetCloseHandle,
              &::InternetCrackUrlA, &::InternetCombineUrlA, &::InternetSetOptionA, &::InternetConnectA,
              &::HttpOpenRequestA,  &::HttpSendRequestA,    &::HttpQueryInfoA};
}  // namespace

Table& table() { return g_table; }
}  // namespace internet

void CloseInternetHandle(HINTERNET handle) noexcept { internet::table().InternetCloseHandle(handle); }

}  // namespace pixet
