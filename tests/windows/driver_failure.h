// How the driver's helpers fail: a GoogleTest failure recorded at the line that called them.
#pragma once

#include <gtest/gtest.h>

#include <source_location>

#define SETUP_TEST_FAIL_AT(where) \
  ADD_FAILURE_AT((where).file_name(), static_cast<int>((where).line()))
