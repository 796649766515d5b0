#pragma once

#include <string>
#include <string_view>

namespace kordan {

// The program keeps texts as UTF-8; the wide Windows calls take UTF-16. Invalid input
// is replaced, never rejected, so a strange byte cannot make a call fail unnoticed.
std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view utf16);

} // namespace kordan
