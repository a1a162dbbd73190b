#pragma once
// The numbers the Voice and Other buttons of the main form dial for a pager: its two
// voice numbers (labelled "Voice1Label" and "Voice2Label") and its other data
// ("DataLabel").

#include <string>
#include <vector>

#include "directory/pager_record.h"
#include "settings/settings.h"

namespace corvane {

enum class VoiceButton { Voice, Other };

struct VoiceNumber {
    std::string label;   // "Work", "Home", "Other" or what the settings call them
    std::string number;  // as the pager holds it
    bool operator==(const VoiceNumber&) const = default;
};

// In that order; a field without a digit in it is no number and is left out.
std::vector<VoiceNumber> VoiceNumbersOf(const PagerRecord& pager, ISettings& settings, VoiceButton button);

// What of a number may go into a dial command: digits, '*', '#', the pause ',' and the
// waits 'W', '@', '!', and the separators a modem skips ("(", ")", "-", " "). A line end
// or a ';' in a stored number would otherwise end the command and start another. A
// leading '+' stays: the number is in the canonical form.
std::string DialableNumber(const std::string& number);

}  // namespace corvane
