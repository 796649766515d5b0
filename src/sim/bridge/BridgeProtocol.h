#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kordan {

// The line protocol between the program and kordan-bridge.exe, shared by both ends. A line
// is fields separated by single blanks and ended by LF (a CR before it is ignored). Every
// field is escaped, so titles, registry values and paths may hold any byte: a byte below
// "!", above "~" or "%" itself is written as "%" and two upper-case hex digits. The first
// field of every line is the request's number, which its answer repeats; see the README.
namespace bridge {

// Escapes one field; the empty text stays empty.
std::string escape(std::string_view text);
// The text of an escaped field; nullopt for a malformed escape or a raw blank.
std::optional<std::string> unescape(std::string_view field);

// One line of escaped fields, with its LF.
std::string joinLine(const std::vector<std::string>& fields);
// The fields of one line without its LF (a trailing CR is dropped); nullopt when a field
// is malformed or the line is empty.
std::optional<std::vector<std::string>> splitLine(std::string_view line);

// A decimal whole number in [min, max] ("-" allowed before the digits, nothing else).
std::optional<int64_t> parseInteger(std::string_view field, int64_t min, int64_t max);

} // namespace bridge
} // namespace kordan
