#include "modem/modem_control.h"

#include <algorithm>
#include <array>

#include "modem/reply_text.h"

namespace corvane {
namespace {

constexpr const char* kCommCaption = "Communications Error";

// The 300-baud token of each modem family, in the order they are looked for. The long
// "+MS=B103" form comes before the short one, which is its prefix.
enum Family { kAmpN, kS37Three, kS37One, kMs64, kMsB103Long, kMsB103Short, kPercentB, kDollarMb };
constexpr std::array<std::string_view, 8> kFamilyTokens = {
    "&N1", "S37=3", "S37=1", "+MS=64,0,300,300", "+MS=B103,0,300,300,300,300", "+MS=B103,0,300,300",
    "%B300", "$MB300",
};

struct RateCodes {
    long baud;
    int ampN;  // &N link-rate number
    int s37;   // S37 rate code (not in numeric order above 14400)
};
constexpr RateCodes kRates[] = {
    {1200, 2, 5},    {2400, 3, 6},    {4800, 4, 7},    {7200, 5, 8},    {9600, 6, 9},
    {12000, 7, 10},  {14400, 8, 11},  {16800, 9, 26},  {19200, 10, 12}, {21600, 11, 33},
    {24000, 12, 29}, {26400, 13, 34}, {28800, 14, 15},
};

const RateCodes* FindRate(long baud)
{
    for (const auto& rate : kRates)
        if (rate.baud == baud) return &rate;
    return nullptr;
}

std::string Replacement(Family family, const RateCodes& rate)
{
    const std::string b = std::to_string(rate.baud);
    const bool bell212 = rate.baud == 1200;  // 1200 baud is Bell 212A, faster rates V.34
    switch (family) {
    case kAmpN: return "&N" + std::to_string(rate.ampN);
    case kS37Three:
    case kS37One: return "S37=" + std::to_string(rate.s37);
    case kMs64: return (bell212 ? "+MS=69,0," : "+MS=11,0,") + b + "," + b;
    case kMsB103Long: return (bell212 ? "+MS=B212,0," : "+MS=V34,0,") + b + "," + b + "," + b + "," + b;
    case kMsB103Short: return (bell212 ? "+MS=B212,0," : "+MS=V34,0,") + b + "," + b;
    case kPercentB: return "%B" + b;
    case kDollarMb: return "$MB" + b;
    }
    return {};
}

void ReplaceAll(std::string& text, std::string_view token, const std::string& replacement)
{
    for (std::size_t at = text.find(token); at != std::string::npos;
         at = text.find(token, at + replacement.size()))
        text.replace(at, token.size(), replacement);
}

enum class InitReply { None, Ok, Error };

// Reads what has arrived; an ERROR in the same text as an OK wins.
InitReply AwaitInitReply(IBytePort& port, const ModemIo& io)
{
    CReplyText received;
    const std::uint64_t start = io.clock.TickMs();
    for (;;) {
        std::uint64_t elapsed = io.clock.TickMs() - start;
        int left = elapsed >= kInitReplyWaitMs ? 0 : static_cast<int>(kInitReplyWaitMs - elapsed);
        io.pump.Wait(std::min(left, kPumpIntervalMs), port.Fd(), false);
        char buffer[256];
        for (int chunk = 0; chunk < 16; ++chunk) {
            std::size_t n = port.Read(buffer, sizeof buffer);
            if (n == 0) break;
            for (std::size_t i = 0; i < n; ++i) received.Append(buffer[i]);
        }
        port.TakeErrors();
        if (received.Contains(kReplyError)) return InitReply::Error;
        if (received.Contains(kReplyOk)) return InitReply::Ok;
        if (io.clock.TickMs() - start >= kInitReplyWaitMs) return InitReply::None;
    }
}

}  // namespace

std::string SpeakerCommand(int speakerSetting)
{
    if (speakerSetting == 2) return "M0";
    if (speakerSetting == 0) return "M2";
    return {};
}

std::string DialMethodCommand(int method)
{
    return method != 0 ? "DP" : "DT";
}

std::string CommandLineField(std::string_view field)
{
    std::string kept;
    for (char c : field) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == ';') continue;
        kept.push_back(c);
    }
    return kept;
}

std::string PreparePageInitString(std::string initString, long baud)
{
    bool keepAsIs = false;
    if (!initString.empty() && initString.front() == '=') {
        initString.erase(0, 1);
        keepAsIs = true;
    }
    // "AT" is put back when the string is sent. In either case: "ATat..." would make the
    // modem answer the line ('A') instead of taking the string.
    if (initString.size() > 1 && (initString[0] == 'A' || initString[0] == 'a') &&
        (initString[1] == 'T' || initString[1] == 't'))
        initString.erase(0, 2);
    if (keepAsIs) return initString;

    for (std::size_t f = 0; f < kFamilyTokens.size(); ++f) {
        if (initString.find(kFamilyTokens[f]) == std::string::npos) continue;
        if (const RateCodes* rate = FindRate(baud))
            ReplaceAll(initString, kFamilyTokens[f], Replacement(static_cast<Family>(f), *rate));
        break;  // only the first family found is rewritten, whatever the speed
    }
    return initString;
}

bool InitialiseModem(IBytePort& port, const std::string& initString, ModemRole role, bool showMessages,
                     const ModemIo& io)
{
    const bool page = role == ModemRole::Page;
    if (page && initString == kDirectInit) return true;

    auto fail = [&](const std::string& text) {
        if (showMessages) io.messageBox.Show(text, kCommCaption, MbIcon::Warning, MbButtons::Ok);
        return false;
    };

    port.Purge(false, true);
    port.Write("AT" + initString + "\r");
    unsigned errors = port.TakeErrors() & ~kCommRxParity;
    if (errors != 0)
        return fail(std::string(page ? "Unable to write to the page modem port.  Error code "
                                     : "Unable to write to the monitor modem port.  Error code ") +
                    std::to_string(errors) + ".");

    switch (AwaitInitReply(port, io)) {
    case InitReply::Ok: return true;
    case InitReply::Error:
        return fail(page ? "Unable to initialize the page modem.  There is an unrecognized command in the "
                           "initialization string."
                         : "Unable to initialize the monitor modem.  There is an unrecognized command in the "
                           "initialization string.");
    case InitReply::None:
        // The monitor modem has always said "unrecognized command" here too.
        return fail(page ? "Unable to initialize the page modem.  No response was received."
                         : "Unable to initialize the monitor modem.  There is an unrecognized command in the "
                           "initialization string.");
    }
    return false;
}

}  // namespace corvane
