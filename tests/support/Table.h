// tests/support/Table.h
// A row of a parameterised table: its name names the test case and stands
// for the row in failure output. Rows derive from table::Row, so one
// printer and one naming helper serve every table.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace table
{
struct Row
{
    const char* name;
};

inline std::ostream& operator<<(std::ostream& out, const Row& row)
{
    return out << row.name;
}

// INSTANTIATE_TEST_SUITE_P(Rows, SomeTest, testing::ValuesIn(Rows), table::RowName());
struct RowName
{
    template <class R>
    std::string operator()(const testing::TestParamInfo<R>& info) const
    {
        return info.param.name;
    }
};
} // namespace table
