#include <gtest/gtest.h>

#include "model/tables.hpp"

using korvant::Tab2;
using korvant::Tab4;

TEST(Tables, ColumnMajorFromOne) {
  Tab2<int> a;
  a.size_to(3, 2);
  a(2, 1) = 5;
  a(1, 2) = 7;
  EXPECT_EQ(a.v[1], 5);
  EXPECT_EQ(a.v[3], 7);
  Tab4<float> t;
  t.size_to(2, 3, 2, 2);
  t(2, 3, 2, 2) = 1.0f;
  EXPECT_EQ(t.v.back(), 1.0f);
}
