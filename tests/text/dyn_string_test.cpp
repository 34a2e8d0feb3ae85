#include <gtest/gtest.h>
#include "text/dyn_string.h"
#include "host/host_interface.h"
TEST(DynString, Placeholder) { DynString s("abc"); EXPECT_EQ(s.len, 3); }
