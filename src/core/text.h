// Small helpers for the caller's text: trailing blanks never matter.
#pragma once

#include <cstddef>
#include <string>

namespace pixet::text {

// `text` without its trailing blanks; null counts as empty.
std::string Clip(const char* text);
// `text` without its trailing blanks; null counts as empty.
std::wstring Clip(const wchar_t* text);
// ANSI text (system code page) as UTF-16, as it is; empty when the system cannot convert it.
std::wstring Widen(const std::string& text);
// Clip, then turned to UTF-16 from the system code page: how a name given as ANSI text
// reaches the code that every form shares. Empty when the system cannot convert it.
std::wstring WideFromAnsi(const char* text);
// UTF-16 text in the system code page, '?' for what it lacks: for messages, which hosts
// show as ANSI text.
std::string AnsiFromWide(const std::wstring& text);
// Text with nothing but ASCII: the same characters as narrow text; otherwise empty.
std::string AsciiOnly(const std::wstring& text);
// Clip, then cut to at most `max_chars` characters.
std::string ClipTo(const char* text, std::size_t max_chars);
// ASCII letters in upper case; every other character as it is.
std::string Upper(std::string s);
std::wstring Upper(std::wstring s);
// Copies `text` into a fixed field of `size` bytes, cut to fit, NUL-terminated.
void CopyToField(char* field, std::size_t size, const std::string& text);
// Fills a fixed-length blank-padded field.
void FillBlanks(char* field, std::size_t size);

}  // namespace pixet::text
