#include "settings/mail_password.h"

namespace corvane {
namespace {

std::string Shift(std::string_view text, int direction)
{
    std::string shifted(text);
    for (std::size_t i = 0; i < shifted.size(); ++i) {
        int amount = static_cast<int>(i % 5) * direction;
        shifted[i] = static_cast<char>((static_cast<unsigned char>(shifted[i]) + amount) & 0xFF);
    }
    return shifted;
}

}  // namespace

std::string ScrambleMailPassword(std::string_view clear)
{
    return Shift(clear, 1);
}

std::string UnscrambleMailPassword(std::string_view stored)
{
    return Shift(stored, -1);
}

std::string ReadMailPassword(ISettings& settings)
{
    return UnscrambleMailPassword(settings.Get(key::MailPassword));
}

void WriteMailPassword(ISettings& settings, std::string_view clear)
{
    settings.Write(key::MailPassword, ScrambleMailPassword(clear));
}

}  // namespace corvane
