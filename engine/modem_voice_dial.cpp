// The voice dial of the modem page call: the monitor modem dials a number for the user,
// who picks up the handset on the same line while the modem waits in silence.

#include <algorithm>
#include <climits>
#include <cstdint>

#include "engine/modem_page_call.h"

namespace corvane {
namespace {

constexpr int kVoiceRedialPauseMs = 10000;
// Beyond the post-dial delay: the time a modem needs to dial and hear the first rings.
constexpr int kVoiceExtraWaitMs = 9000;

}  // namespace

int CModemPageCall::VoiceDial()
{
    if (!BeginSend()) return EndSend(kCallPortNotOpen);
    m_port->ClearBreak();
    m_port->Purge(true, true);
    return EndSend(DialVoice());
}

int CModemPageCall::DialVoice()
{
    const int waitMs = std::clamp(m_postDialDelay, 0, (INT_MAX - kVoiceExtraWaitMs) / 1000) * 1000 + kVoiceExtraWaitMs;
    // A BUSY is never a call taken: the user was to pick up.
    return DialUntilSilent(DialLine() + "\r", waitMs, kVoiceRedialPauseMs, UINT64_MAX);
}

}  // namespace corvane
