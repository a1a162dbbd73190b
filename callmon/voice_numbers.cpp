#include "callmon/voice_numbers.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace corvane {

std::vector<VoiceNumber> VoiceNumbersOf(const PagerRecord& pager, ISettings& settings, VoiceButton button)
{
    std::vector<VoiceNumber> numbers;
    auto add = [&](const SettingKey& label, const std::string& number) {
        if (std::any_of(number.begin(), number.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            numbers.push_back({settings.Get(label), number});
    };
    if (button == VoiceButton::Voice) {
        add(key::Voice1Label, pager.VoiceOne);
        add(key::Voice2Label, pager.VoiceTwo);
    } else {
        add(key::DataLabel, pager.CustomData);
    }
    return numbers;
}

std::string DialableNumber(const std::string& number)
{
    constexpr std::string_view kDialable = "0123456789*#,Ww@!()- ";
    // A number written "+<country> (<area>) <number>" keeps its '+': the page call
    // dials it from the dialing location.
    std::string dialable = number.starts_with('+') ? "+" : "";
    for (char c : number)
        if (kDialable.find(c) != std::string_view::npos) dialable.push_back(c);
    return dialable;
}

}  // namespace corvane
