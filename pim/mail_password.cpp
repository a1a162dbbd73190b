#include "pim/mail_password.h"

namespace corvane {

std::string UnscrambleMailPassword(std::string_view stored)
{
    std::string clear(stored);
    for (std::size_t i = 0; i < clear.size(); ++i)
        clear[i] = static_cast<char>(static_cast<unsigned char>(clear[i]) - i % 5);
    return clear;
}

std::string ReadMailPassword(ISettings& settings)
{
    return UnscrambleMailPassword(settings.Get(key::MailPassword));
}

}  // namespace corvane
