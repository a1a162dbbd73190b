// The voice dial of the modem page call: the monitor modem dials a number for the user,
// who picks up the handset on the same line while the modem waits in silence.

#include <algorithm>
#include <climits>

#include "engine/modem_page_call.h"
#include "modem/modem_control.h"

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
    int lastReply = 0;
    for (;;) {
        if (m_dials > 0) {
            Status(lastReply == 2 ? "Busy, waiting 10 seconds for retry" : "No dialtone, waiting 10 seconds for retry");
            if (!WriteChecked("\r")) return HangUpWith(kCallWriteError);
            if (Pause(kVoiceRedialPauseMs)) return kCallCancelled;
        }
        Status("Dialing " + m_dialString);
        ++m_dials;
        PurgeReceive();
        if (!WriteChecked(DialLine() + "\r")) return HangUpWith(kCallWriteError);
        const int reply = WaitFor(waitMs, {kReplyNoDialtone, kReplyBusy, kReplyNoDialTone});
        if (reply < 0) return HangUpWith(kCallCancelled);
        // A modem that went away is not a call the user has taken.
        if (reply == 0 && m_portFailed) return kCallWriteError;
        if (reply == 0) {
            // No complaint in all that time: the user is on the line. The modem lets go
            // of it; the handset keeps the call.
            Status("Hanging up");
            HangUp();
            return kCallOk;
        }
        lastReply = reply;
        if (m_dials <= m_dialAttempts) continue;
        return reply == 2 ? kCallBusy : kCallNoDialtone;
    }
}

}  // namespace corvane
