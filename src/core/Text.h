#pragma once

#include <string>
#include <string_view>

namespace vesk {

/// Leading and trailing blanks (spaces, tabs, line breaks) removed.
std::string trim(std::string_view text);

/// ASCII upper case, as the database's UCase compares office codes.
std::string upper(std::string_view text);

bool equalsNoCase(std::string_view a, std::string_view b);

}  // namespace vesk
