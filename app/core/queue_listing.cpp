#include "app/core/queue_listing.h"

namespace corvane {
namespace {

constexpr const char* kVerb = "QUEUE ";

bool ParseNumber(const std::string& text, std::uint64_t& value)
{
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::stoull(text);
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool Unescape(const std::string& text, std::string& bytes)
{
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '\\') {
            bytes += '\\';
            ++i;
        } else if (i + 3 < text.size() && text[i + 1] == 'x' && HexDigit(text[i + 2]) >= 0 &&
                   HexDigit(text[i + 3]) >= 0) {
            bytes += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
            i += 3;
        } else {
            return false;
        }
    }
    return true;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

bool DecodeLine(const std::string& line, SpooledRequest& request)
{
    const std::vector<std::string> f = SplitTabs(line);
    std::uint64_t id = 0, queuedAt = 0, origin = 0;
    if (f.size() != 8 || !ParseNumber(f[0], id) || !ParseNumber(f[2], queuedAt) || !ParseNumber(f[3], origin))
        return false;
    request = SpooledRequest{};
    request.id = id;
    request.queuedAt = static_cast<std::time_t>(queuedAt);
    request.origin = static_cast<int>(origin);
    std::string state = f[1];
    request.kept = state.size() < 7 || state.compare(state.size() - 7, 7, " unkept") != 0;
    if (!request.kept) state.resize(state.size() - 7);
    if (state == "sending") {
        request.sending = true;
    } else if (state != "waiting" && state != "queued") {
        return false;
    }
    request.sendMode = state == "waiting" ? 0 : 1;
    return Unescape(f[4], request.name) && Unescape(f[5], request.phoneOverride) &&
           Unescape(f[6], request.idOverride) && Unescape(f[7], request.message);
}

}  // namespace

std::string EscapeListingText(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::string QueueStateName(const SpooledRequest& request)
{
    std::string state = request.sending ? "sending" : request.sendMode == 0 ? "waiting" : "queued";
    return request.kept ? state : state + " unkept";
}

std::string EncodeQueueRequest(std::uint64_t after)
{
    return kVerb + std::to_string(after) + "\n";
}

bool DecodeQueueRequest(const std::string& line, std::uint64_t& after)
{
    const std::string verb = kVerb;
    return line.compare(0, verb.size(), verb) == 0 && ParseNumber(line.substr(verb.size()), after);
}

std::string EncodeQueueAnswer(const std::vector<SpooledRequest>& pending, std::uint64_t after, std::size_t budget)
{
    std::string answer;
    for (const SpooledRequest& request : pending) {
        if (request.id <= after) continue;
        if (!answer.empty() && answer.size() >= budget) return answer + "MORE\n";
        answer += std::to_string(request.id) + "\t" + QueueStateName(request) + "\t" +
                  std::to_string(static_cast<long long>(request.queuedAt)) + "\t" + std::to_string(request.origin) +
                  "\t" + EscapeListingText(request.name) + "\t" + EscapeListingText(request.phoneOverride) + "\t" +
                  EscapeListingText(request.idOverride) + "\t" + EscapeListingText(request.message) + "\n";
    }
    return answer + "END\n";
}

bool DecodeQueueAnswer(const std::string& answer, std::vector<SpooledRequest>& into, bool& more)
{
    std::size_t start = 0;
    for (std::size_t lf; (lf = answer.find('\n', start)) != std::string::npos; start = lf + 1) {
        const std::string line = answer.substr(start, lf - start);
        if (line == "END" || line == "MORE") {
            more = line == "MORE";
            return lf + 1 == answer.size();
        }
        SpooledRequest request;
        if (!DecodeLine(line, request)) return false;
        into.push_back(std::move(request));
    }
    return false;
}

}  // namespace corvane
