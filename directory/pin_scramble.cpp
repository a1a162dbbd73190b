#include "directory/pin_scramble.h"

#include <array>

namespace corvane {
namespace {

// Every row holds each digit once, so every scrambled digit has exactly one clear digit.
constexpr std::array<std::string_view, 10> kTable = {
    "7391508264", "2806491735", "5048273916", "9613725048", "0475916382",
    "3169082457", "8520649173", "1957360824", "4782135609", "6234857091"};

constexpr bool EveryRowIsAPermutation()
{
    for (std::string_view row : kTable) {
        if (row.size() != 10) return false;
        for (char digit = '0'; digit <= '9'; ++digit)
            if (row.find(digit) == std::string_view::npos) return false;
    }
    return true;
}
static_assert(EveryRowIsAPermutation());

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

std::string UnscramblePin(std::string_view stored)
{
    if (stored.empty() || stored.front() != 'P') return std::string(stored);
    std::string pin(stored.substr(1));
    for (std::size_t i = 0; i < pin.size(); ++i)
        if (IsDigit(pin[i])) pin[i] = static_cast<char>('0' + kTable[i % 10].find(pin[i]));
    return pin;
}

std::string ScramblePin(std::string_view pin)
{
    std::string stored = "P";
    for (std::size_t i = 0; i < pin.size(); ++i)
        stored += IsDigit(pin[i]) ? kTable[i % 10][static_cast<std::size_t>(pin[i] - '0')] : pin[i];
    return stored;
}

}  // namespace corvane
