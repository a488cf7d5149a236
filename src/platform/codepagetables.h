#pragma once

#include <array>

namespace codepage {

struct Page
{
    int number;
    std::array<char16_t, 128> high;  // the characters of 0x80-0xFF
};

extern const std::array<Page, 10> Pages;

}
