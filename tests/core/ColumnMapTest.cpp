#include <gtest/gtest.h>

#include "core/ColumnMap.h"

namespace {

const std::vector<std::string> kTable = {"office_id", "office_name", "office_type_code", "ho_name", "qal_facility_id"};

struct ColumnCase {
    const char* what;
    std::vector<std::string> headers;
    std::vector<int> expected;
};

TEST(ColumnMap, PlacesColumnsByHeaderAndKeepsTheRest) {
    const ColumnCase cases[] = {
        {"headers in other case and with blanks",
         {" OFFICE_ID", "Office_Name ", "OFFICE_TYPE_CODE", "Ho_Name", "QAL_FACILITY_ID"},
         {0, 1, 2, 3, 4}},
        {"key columns swapped",
         {"office_id", "office_name", "qal_facility_id", "ho_name", "office_type_code"},
         {0, 1, 4, 3, 2}},
        {"unknown headers keep their places", {"id", "office_name", "type", "parent", "facility"}, {0, 1, 2, 3, 4}},
        {"a named column displaces an unnamed one, which takes the freed place",
         {"pincode", "office_name", "office_id", "ho_name", "office_type_code"},
         {4, 1, 0, 3, 2}},
        {"duplicate header: the second keeps its place", {"office_id", "office_id", "x", "y", "z"}, {0, 1, 2, 3, 4}},
        {"more file columns than table columns", {"a", "b", "c", "d", "e", "f"}, {0, 1, 2, 3, 4, -1}},
        {"a named column beyond the table's width", {"a", "b", "c", "d", "e", "ho_name"}, {0, 1, 2, -1, 4, 3}},
        {"fewer file columns", {"office_id", "office_name"}, {0, 1}},
    };
    for (const ColumnCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(vesk::mapColumnsByHeader(c.headers, kTable), c.expected);
    }
}

}  // namespace
