#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vesk {

/// A blank: space, tab or line break.
inline bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

/// Leading and trailing blanks (spaces, tabs, line breaks) removed.
std::string trim(std::string_view text);
/// The same, as a view of the text.
std::string_view trimmed(std::string_view text);

/// ASCII upper case, as the database's UCase compares office codes; and lower case.
std::string upper(std::string_view text);
std::string lower(std::string_view text);

/// At most about 60 characters of a text, for quoting a cell in a message; a longer text
/// ends in an ellipsis. Never cuts a UTF-8 character in two.
std::string excerpt(std::string_view text, std::size_t characters = 60);

bool equalsNoCase(std::string_view a, std::string_view b);

/// The text as XML character data or an attribute value: & < > and " escaped.
std::string xmlEscaped(std::string_view text);

/// Appends a character as UTF-8. A zero character is dropped (it would end the text
/// wherever it is handed on as a C string); a surrogate, which no text may hold alone,
/// becomes U+FFFD, as does anything past U+10FFFF.
void appendUtf8(std::string& out, std::uint32_t character);

/// The spreadsheet letters of a 1-based column number: 1 -> "A", 27 -> "AA", 83 -> "CE".
std::string columnLetters(int column);

}  // namespace vesk
