#include "tests/sim/sim_script.h"

#include <sstream>

namespace corvane::sim {
namespace {

bool ToOutcome(const std::string& word, DialOutcome& outcome)
{
    if (word == "connect") outcome = DialOutcome::Connect;
    else if (word == "busy") outcome = DialOutcome::Busy;
    else if (word == "no-dialtone") outcome = DialOutcome::NoDialtone;
    else if (word == "no-dial-tone") outcome = DialOutcome::NoDialTone;
    else if (word == "no-answer") outcome = DialOutcome::NoAnswer;
    else if (word == "flood") outcome = DialOutcome::Flood;
    else return false;
    return true;
}

bool ToReply(const std::string& word, TapReply& reply)
{
    if (word == "ack") reply = TapReply::Ack;
    else if (word == "nak") reply = TapReply::Nak;
    else if (word == "rs") reply = TapReply::Rs;
    else if (word == "esc-eot") reply = TapReply::EscEot;
    else if (word == "none") reply = TapReply::None;
    else return false;
    return true;
}

bool ToNumber(const std::string& word, int& value)
{
    if (word.empty() || word.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::stoi(word);
    return true;
}

}  // namespace

std::string Unescape(const std::string& text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            bytes += text[i];
            continue;
        }
        char c = text[++i];
        if (c == 'r') bytes += '\r';
        else if (c == 'n') bytes += '\n';
        else if (c == 'e') bytes += '\x1b';
        else if (c == 'x' && i + 2 < text.size()) {
            bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else bytes += c;
    }
    return bytes;
}

bool ParseScript(const std::string& text, SimScript& script, std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string directive, arg, arg2;
        if (!(words >> directive)) continue;
        words >> arg;
        words >> arg2;
        // A text argument is the rest of the line after the directive.
        std::string rest = line.substr(line.find(directive) + directive.size());
        rest.erase(0, rest.find_first_not_of(' '));
        int n = 0;
        DialOutcome outcome;
        TapReply reply;
        bool ok = true;
        if (directive == "numeric") script.numeric = true;
        else if (directive == "direct") script.direct = true;
        else if (directive == "flood-after-connect") script.floodAfterConnect = true;
        else if (directive == "no-go-ahead") script.goAhead = false;
        else if (directive == "drop-carrier-after-logoff") script.dropCarrierAfterLogoff = true;
        else if (directive == "busy" && (ok = ToNumber(arg, n)))
            script.dials.insert(script.dials.end(), static_cast<std::size_t>(n), DialOutcome::Busy);
        else if (directive == "dial" && (ok = ToOutcome(arg, outcome))) script.dials.push_back(outcome);
        else if (directive == "later-dials" && (ok = ToOutcome(arg, outcome))) script.laterDials = outcome;
        else if (directive == "init-reply") script.initReply = Unescape(rest);
        else if (directive == "connect-text") script.connectText = Unescape(rest);
        else if (directive == "id-text") script.idText = Unescape(rest);
        else if (directive == "go-ahead-text") script.goAheadText = Unescape(rest);
        else if (directive == "password") script.password = Unescape(rest);
        else if (directive == "id-prompt") {
            if (arg == "unprompted") script.idPrompt = IdPrompt::Unprompted;
            else if (arg == "after-cr") script.idPrompt = IdPrompt::AfterCr;
            else if (arg == "never") script.idPrompt = IdPrompt::Never;
            else ok = false;
        } else if (directive == "logon-reply" && (ok = ToReply(arg, reply))) script.logonReplies.push_back(reply);
        else if (directive == "block" && (ok = ToNumber(arg, n) && ToReply(arg2, reply))) script.blockReplies[n] = reply;
        else if (directive == "logoff-reply" && (ok = ToReply(arg, reply))) script.logoffReply = reply;
        else if (directive == "dial-reply-ms" && (ok = ToNumber(arg, n))) script.dialReplyMs = n;
        else if (directive == "go-ahead-delay-ms" && (ok = ToNumber(arg, n))) script.goAheadDelayMs = n;
        else if (directive == "reply-delay-ms" && (ok = ToNumber(arg, n))) script.replyDelayMs = n;
        else if (directive == "numeric-busy-at-ms" && (ok = ToNumber(arg, n))) script.numericBusyAtMs = n;
        else if (directive == "flood-rate" && (ok = ToNumber(arg, n))) script.floodBytesPerSecond = n;
        else if (directive == "disappear-after-block" && (ok = ToNumber(arg, n))) script.disappearAfterBlock = n;
        else if (ok) ok = false;
        if (!ok) {
            error = "line " + std::to_string(number) + ": cannot use \"" + line + "\"";
            return false;
        }
    }
    return true;
}

}  // namespace corvane::sim
