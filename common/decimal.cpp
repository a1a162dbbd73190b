#include "common/decimal.h"

#include <algorithm>
#include <climits>

namespace corvane {

long ToLong(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        int digit = text[i] - '0';
        if (value > (LONG_MAX - digit) / 10) return negative ? LONG_MIN : LONG_MAX;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

int ToInt(std::string_view text)
{
    return static_cast<int>(std::clamp<long>(ToLong(text), INT_MIN, INT_MAX));
}

std::string Clamp(std::string_view text, long low, long high)
{
    return std::to_string(std::clamp(ToLong(text), low, high));
}

}  // namespace corvane
