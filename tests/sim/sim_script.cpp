#include "tests/sim/sim_script.h"

#include <functional>
#include <map>
#include <sstream>

namespace corvane::sim {

std::string Unescape(const std::string& text)
{
    static const std::map<char, char> kEscapes = {{'r', '\r'}, {'n', '\n'}, {'e', '\x1b'}};
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool escape = text[i] == '\\' && i + 1 < text.size();
        const char c = escape ? text[++i] : text[i];
        bytes += escape && kEscapes.count(c) ? kEscapes.at(c) : c;
    }
    return bytes;
}

bool ParseScript(std::istream& in, SimScript& s, std::string& error)
{
    static const std::map<std::string, DialOutcome> kOutcomes = {
        {"connect", DialOutcome::Connect},        {"busy", DialOutcome::Busy},
        {"no-dialtone", DialOutcome::NoDialtone}, {"no-dial-tone", DialOutcome::NoDialTone},
        {"no-answer", DialOutcome::NoAnswer}};
    static const std::map<std::string, TapReply> kReplies = {
        {"ack", TapReply::Ack}, {"nak", TapReply::Nak}, {"rs", TapReply::Rs}, {"esc-eot", TapReply::EscEot},
        {"none", TapReply::None}};
    static const std::map<std::string, IdPrompt> kPrompts = {
        {"unprompted", IdPrompt::Unprompted}, {"after-cr", IdPrompt::AfterCr}, {"never", IdPrompt::Never}};
    std::string arg, arg2, rest;
    int n = -1;
    // Each directive takes its arguments and says whether they made sense.
    auto set = [](auto& field, auto value) { return field = value, true; };
    auto outcome = [&](DialOutcome& o) { return kOutcomes.count(arg) && set(o, kOutcomes.at(arg)); };
    auto reply = [&](TapReply& r) { return kReplies.count(arg) && set(r, kReplies.at(arg)); };
    auto number = [&](int& field) { return n >= 0 && set(field, n); };
    const std::map<std::string, std::function<bool()>> directives = {
        {"numeric", [&] { return set(s.numeric, true); }},
        {"numeric-number", [&] { return !arg.empty() && (s.numericNumbers.push_back(arg), true); }},
        {"direct", [&] { return set(s.direct, true); }},
        {"flood-after-connect", [&] { return set(s.floodAfterConnect, true); }},
        {"no-go-ahead", [&] { return set(s.goAhead, false); }},
        {"drop-carrier-after-logoff", [&] { return set(s.dropCarrierAfterLogoff, true); }},
        {"busy", [&] { return n >= 0 && (s.dials.insert(s.dials.end(), n, DialOutcome::Busy), true); }},
        {"dial", [&] { return outcome(s.dials.emplace_back()); }},
        {"later-dials", [&] { return outcome(s.laterDials); }},
        {"init-reply", [&] { return set(s.initReply, Unescape(rest)); }},
        {"connect-text", [&] { return set(s.connectText, Unescape(rest)); }},
        {"id-text", [&] { return set(s.idText, Unescape(rest)); }},
        {"go-ahead-text", [&] { return set(s.goAheadText, Unescape(rest)); }},
        {"password", [&] { return set(s.password, Unescape(rest)); }},
        {"id-prompt", [&] { return kPrompts.count(arg) && set(s.idPrompt, kPrompts.at(arg)); }},
        {"logon-reply", [&] { return reply(s.logonReplies.emplace_back()); }},
        {"block", [&] { return n > 0 && kReplies.count(arg2) && set(s.blockReplies[n], kReplies.at(arg2)); }},
        {"logoff-reply", [&] { return reply(s.logoffReply); }},
        {"dial-reply-ms", [&] { return number(s.dialReplyMs); }},
        {"go-ahead-delay-ms", [&] { return number(s.goAheadDelayMs); }},
        {"reply-delay-ms", [&] { return number(s.replyDelayMs); }},
        {"numeric-busy-at-ms", [&] { return number(s.numericBusyAtMs); }},
        {"flood-rate", [&] { return number(s.floodBytesPerSecond); }},
        {"disappear-after-block", [&] { return number(s.disappearAfterBlock); }},
        {"disappear-after-dial", [&] { return number(s.disappearAfterDial); }},
    };
    std::string line;
    for (int count = 1; std::getline(in, line); ++count) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string directive;
        if (!(words >> directive)) continue;
        std::getline(words >> std::ws, rest);  // a text argument is the rest of the line
        arg = arg2 = "";
        std::istringstream(rest) >> arg >> arg2;
        n = !arg.empty() && arg.find_first_not_of("0123456789") == std::string::npos ? std::stoi(arg) : -1;
        if (!directives.count(directive) || !directives.at(directive)()) {
            error = "line " + std::to_string(count) + ": cannot use \"" + line + "\"";
            return false;
        }
    }
    return true;
}

}  // namespace corvane::sim
