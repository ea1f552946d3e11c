#include <gtest/gtest.h>

#include "store/SqlDialect.h"

namespace vesk::store {
namespace {

struct Case {
    const char* sql;
    const char* expected;
};

TEST(TranslateSql, RewritesOnlyWhatTheEngineCannotRead) {
    const Case cases[] = {
        {"SELECT Left(a, 1) FROM t", "SELECT Left$(a, 1) FROM t"},
        {"SELECT IIf(IsNull(x), 0, x)", "SELECT IIf(IsNull$(x), 0, x)"},
        {"SELECT isnull /* c */ (x)", "SELECT isnull$ /* c */ (x)"},
        {"SELECT x ISNULL", "SELECT x ISNULL"},
        {"SELECT * FROM a LEFT JOIN (SELECT 1) b ON 1", "SELECT * FROM a LEFT JOIN (SELECT 1) b ON 1"},
        {"SELECT 'Left(x)', \"Left(\", [Left(] -- Left(\n", "SELECT 'Left(x)', \"Left(\", [Left(] -- Left(\n"},
        {"SELECT 'it''s Left(' , Left(b,2)", "SELECT 'it''s Left(' , Left$(b,2)"},
        {"SELECT LeftOver(x), x.Left", "SELECT LeftOver(x), x.Left"},
        {"SELECT TOP 1 ooffice_name FROM Youroffice", "SELECT ooffice_name FROM Youroffice LIMIT 1"},
        {"select distinct top 10 a from t order by a desc;", "select distinct a from t order by a desc LIMIT 10;"},
        {"DELETE FROM t; SELECT TOP 1 a FROM t; SELECT b", "DELETE FROM t; SELECT a FROM t LIMIT 1; SELECT b"},
        {"SELECT top FROM t", "SELECT top FROM t"},  // a column named top
        {"SELECT a FROM (SELECT TOP 1 a FROM t)", "SELECT a FROM (SELECT TOP 1 a FROM t)"},
        {"SELECT 'unterminated Left(", "SELECT 'unterminated Left("},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(translateSql(c.sql), c.expected);
    }
}

}  // namespace
}  // namespace vesk::store
