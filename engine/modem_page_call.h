#pragma once
// One telephone call to a paging company through the page modem: the TAP dialogue for
// alphanumeric pages (dial, log on, one checksummed block per page, log off, hang up)
// and the numeric dial, where the modem keys the pager's PIN and digits as tones.
//
// The call works on a port that is already open and initialised; it owns neither the
// port nor the modem settings. Every wait runs through the event pump, so the user can
// cancel, and an Exit or Close during the call cancels it and is carried out after.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "common/event_pump.h"
#include "common/message_box.h"
#include "common/status_line.h"
#include "transport/page_transport.h"
#include "modem/byte_port.h"
#include "modem/network_line.h"
#include "settings/settings.h"

namespace corvane {

struct ModemCallDeps {
    ISettings& settings;
    IStatusLine* status;  // may be null
    IEventPump& pump;
    const IClock& clock;
    IMessageBox& messageBox;
};

// Where the call finds its port when a send starts (the page slot's port at that moment,
// which may be none). Asking late means a port reopened in between is never used stale.
using PortSource = std::function<IBytePort*()>;

struct CallPage {
    bool counted = false;
    PagerRecord* entry = nullptr;
    std::string message;  // printable 7-bit text: every other byte became a space
    std::string logText;
    std::string pagerId;  // the digits of the pager's PagerID
};

// TAP control bytes.
inline constexpr char kStx = 0x02;
inline constexpr char kEtx = 0x03;
inline constexpr char kEot = 0x04;
inline constexpr char kAck = 0x06;
inline constexpr char kCr = 0x0D;
inline constexpr char kNak = 0x15;
inline constexpr char kEsc = 0x1B;
inline constexpr char kRs = 0x1E;

class CModemPageCall : public IPageCall {
public:
    CModemPageCall(ModemCallDeps deps, std::string initString, const std::string& phoneNumber, PortSource port,
                   int dialAttempts, int connectionWaitSeconds, int postDialDelaySeconds,
                   std::string systemPassword);

    // Non-zero: pulse dialling ("DP"), else tone ("DT").
    void SetDialMethod(int method);
    // 2: speaker off ("M0"), 0: speaker on ("M2"), otherwise no speaker command.
    void SetSpeaker(int setting);

    void AddPage(bool counted, PagerRecord& entry, const std::string& message,
                 const std::string& logText) override;
    void AddPageFirst(bool counted, PagerRecord& entry, const std::string& message,
                      const std::string& logText) override;
    int SendAlphaPages() override;
    // The send run's form: the entry's PagerID and PinDelayTime.
    int SendNumericPage(const PagerRecord& entry, const std::string& numericText) override;
    int SendNumericPage(const std::string& pin, const std::string& pinDelayText, const std::string& numericText);
    // A voice call for the user's handset: the modem dials and stays silent; busy and
    // no-dial-tone replies are re-dialled. 0 when the time ran out without a complaint
    // (the user has taken the call), else the result codes above (modem_voice_dial.cpp).
    int VoiceDial();
    void ShowError(const PagerRecord* single) override;
    int CountedPages() const override { return m_countedPages; }
    std::vector<CountedPage> Counted() const override;
    bool IsSnpp() const override { return false; }

    int Result() const { return m_result; }
    unsigned WriteError() const { return m_writeError; }
    bool Cancelled() const { return m_cancelled; }
    // An Exit or Close ended the call; the shell carries it out now.
    bool QuitRequested() const { return m_quitRequested; }
    bool IsDirect() const { return m_direct; }
    const std::string& DialString() const { return m_dialString; }
    const std::string& DialCommand() const { return m_dialCommand; }
    const std::string& SpeakerCommand() const { return m_speakerCommand; }
    const std::vector<CallPage>& Pages() const { return m_pages; }
    int DialsMade() const { return m_dials; }
    std::uint64_t LastWaitMs() const { return m_lastWaitMs; }

    // The block of one page: STX, ID, CR, message, CR, ETX, three checksum characters, CR.
    static std::string BuildBlock(std::string_view pagerId, std::string_view message);
    // The three checksum characters of the bytes from STX through ETX.
    static std::string Checksum(std::string_view stxThroughEtx);
    static std::string SanitiseMessage(std::string_view message);
    static std::string PagerIdDigits(std::string_view pagerId);
    // The message box text of a result; empty for 0 and unknown codes.
    static std::string ResultText(int result, bool group);

private:
    CallPage MakePage(bool counted, PagerRecord& entry, const std::string& message, const std::string& logText);
    bool BeginSend();
    int EndSend(int result);

    // The TAP dialogue, one step each; 0 goes on, anything else is the call's result.
    int RunTapCall();
    int DialUntilConnected();
    int ConnectNetworkLine();
    int AwaitConnection();
    int AwaitLogonPrompt();
    int LogOn();
    int AwaitGoAhead();
    int SendPages(int& lastFailure, int& lastBlockResult);
    int SendBlock(const CallPage& page);
    int LogOffAndHangUp(int lastFailure, int lastBlockResult);
    int DialNumeric(const std::string& pin, const std::string& pinDelayText, const std::string& digits);
    int DialVoice();
    // Dials command until the modem stays silent for waitMs (the call went through: the
    // modem hangs up, kCallOk), up to the dial attempts with pauseMs between dials. A
    // BUSY after busyMeansTakenMs means the far end hung up after taking the page.
    int DialUntilSilent(const std::string& command, int waitMs, int pauseMs, std::uint64_t busyMeansTakenMs);

    // Waits for one of the replies: its 1-based index, 0 on time-out, -1 on cancel.
    int WaitFor(int timeoutMs, std::initializer_list<std::string_view> replies);
    // 1 when cancelled, 0 when the time has passed. The port is not read meanwhile.
    int Pause(int ms);
    bool TakeCancel(PumpResult pumped);
    bool NextByte(char& byte);
    void PurgeReceive();
    bool WriteChecked(std::string_view bytes);
    int HangUp();
    int HangUpWith(int result);
    std::string DialLine() const;
    void Status(const std::string& text);

    ModemCallDeps m;
    PortSource m_portSource;
    IBytePort* m_port = nullptr;
    // The line when it reaches the terminal over the network: connected in place of the
    // dial, closed in place of the hang-up.
    INetworkLine* m_network = nullptr;

    std::string m_initString;
    std::string m_dialString;
    std::string m_systemPassword;
    std::string m_dialCommand = "DT";
    std::string m_speakerCommand;
    bool m_direct = false;
    bool m_translated = false;  // a dialing location never adds its own tone or pulse command: always false
    int m_dialAttempts;
    int m_connectionWait;
    int m_postDialDelay;

    std::vector<CallPage> m_pages;
    int m_countedPages = 0;
    int m_result = kCallOk;
    unsigned m_writeError = 0;
    int m_dials = 0;
    bool m_cancelled = false;
    bool m_quitRequested = false;
    bool m_portFailed = false;
    bool m_blocksBegun = false;  // the TAP call reached its pages
    std::uint64_t m_lastWaitMs = 0;
    // Bytes read from the port but not yet looked at by a wait: a reply that arrives in
    // the same burst as the next one must leave the next one for the next wait.
    std::string m_unread;
    std::size_t m_unreadPos = 0;
};

}  // namespace corvane
