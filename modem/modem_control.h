#pragma once
// The Hayes command conventions every modem dialogue relies on: the replies that are
// recognised, the speaker and dial commands, the rewriting of the page modem's
// initialisation string for the line speed, and the initialisation exchange that ends
// the opening of a port.

#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/event_pump.h"
#include "common/message_box.h"
#include "modem/byte_port.h"

namespace corvane {

// Modem replies, matched anywhere in what arrived since a wait began.
inline constexpr std::string_view kReplyOk = "OK\r\n";
inline constexpr std::string_view kReplyError = "ERROR\r\n";
inline constexpr std::string_view kReplyConnect = "CONNECT";
inline constexpr std::string_view kReplyNoDialtone = "NO DIALTONE\r\n";
inline constexpr std::string_view kReplyNoDialTone = "NO DIAL TONE\r\n";
inline constexpr std::string_view kReplyBusy = "BUSY\r\n";

// The initialisation string that makes the page "modem" a direct line to the terminal.
inline constexpr std::string_view kDirectInit = "DIRECT";
inline constexpr const char* kDefaultInit = "M1Q0X4E0V1S7=255";

inline constexpr int kInitReplyWaitMs = 5000;

// "DialingSpeaker": 0 speaker always on ("M2"), 2 always off ("M0"), otherwise the
// modem's own choice (no command).
std::string SpeakerCommand(int speakerSetting);
// "DialingMethod": 0 tone ("DT"), anything else pulse ("DP").
std::string DialMethodCommand(int method);
// A field as it may enter a command line (the phone number, the PIN, "DialPrefix"): a
// control byte would end the line and let the rest run as commands, and ';' sends the
// modem back to command mode. Everything else stays: the dial modifiers W @ ! , and the
// touch-tone letters A-D, * and #.
std::string CommandLineField(std::string_view field);

// Rewrites the page modem's string for the line speed: the 300-baud token of the first
// modem family found is replaced by that family's token for baud. A leading '=' asks
// for no rewriting; a leading "AT" is removed (it is put back when the string is sent).
std::string PreparePageInitString(std::string initString, long baud);

enum class ModemRole { Page, Monitor };

struct ModemIo {
    IEventPump& pump;
    const IClock& clock;
    IMessageBox& messageBox;
};

// Sends "AT" + initString + CR and waits up to 5 s for OK. The page modem's "DIRECT"
// sends nothing. The wait takes no events: it cannot be cancelled. Failures are shown
// under "Communications Error" when showMessages is set; returns true when ready.
bool InitialiseModem(IBytePort& port, const std::string& initString, ModemRole role, bool showMessages,
                     const ModemIo& io);

}  // namespace corvane
