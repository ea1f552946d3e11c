#pragma once

#include <string>
#include <vector>

namespace vesk {

/// Where each column of a file goes in a table. A file column whose header (trimmed, any
/// letter case) names a table column goes there; the others keep their positions, and a
/// column whose position a named column has taken moves to the first table column left
/// free, so no column's data is lost while there is room for it. -1: the column is dropped
/// (the file has more columns than the table).
std::vector<int> mapColumnsByHeader(const std::vector<std::string>& headers,
                                    const std::vector<std::string>& tableColumns);

}  // namespace vesk
