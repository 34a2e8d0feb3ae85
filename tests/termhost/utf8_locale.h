// Tests of multibyte text run in a UTF-8 locale, and leave the "C" one.
#pragma once

#include <gtest/gtest.h>

#include <clocale>

namespace termhost {

class Utf8LocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
    }
    void TearDown() override { std::setlocale(LC_CTYPE, "C"); }
};

}  // namespace termhost
