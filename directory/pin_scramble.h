#pragma once
// PINs in the paging server's directory export may be stored scrambled: "P" and then the
// digits, each digit d at position i written as the digit in column d of row i mod 10 of
// a fixed table. The table is the one this program and the paging server exchange.

#include <string>
#include <string_view>

namespace corvane {

// A value that begins with "P" loses it and has its digits put back; any other value, and
// every character that is not a digit, stays as it is.
std::string UnscramblePin(std::string_view stored);
// The stored form of a PIN ("P" and the scrambled digits): the inverse of UnscramblePin.
std::string ScramblePin(std::string_view pin);

}  // namespace corvane
