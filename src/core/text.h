// Small helpers for the caller's text: trailing blanks never matter.
#pragma once

#include <cstddef>
#include <string>

namespace pixet::text {

// `text` without its trailing blanks; null counts as empty.
std::string Clip(const char* text);
// Clip, then cut to at most `max_chars` characters.
std::string ClipTo(const char* text, std::size_t max_chars);
std::string Upper(std::string s);
// Copies `text` into a fixed field of `size` bytes, cut to fit, NUL-terminated.
void CopyToField(char* field, std::size_t size, const std::string& text);
// Fills a fixed-length blank-padded field.
void FillBlanks(char* field, std::size_t size);

}  // namespace pixet::text
