#include "app/core/page_command.h"

#include <algorithm>

namespace corvane {
namespace {

bool IsQuoted(const std::string& message)
{
    return message.size() >= 2 && message.front() == '"' && message.back() == '"';
}

}  // namespace

PageRequest PageCommandRequest(const std::string& text)
{
    const std::size_t first = text.find('/');
    if (first == std::string::npos) {
        // Nothing names a pager: the queue runner finds none and records the request as not sent.
        return PageRequest{kOriginCommand, "", "", "", ""};
    }

    auto slashes = std::count(text.begin(), text.end(), '/');
    // A message quoted right after the pager name is taken whole, slashes and all.
    if (first + 1 < text.size() && text[first + 1] == '"') slashes = 1;

    std::string pager = text.substr(0, first);
    if (slashes == 3) {
        const std::size_t second = text.find('/', first + 1);
        const std::size_t third = text.find('/', second + 1);
        return PageRequest{kOriginCommand, std::move(pager), text.substr(first + 1, second - first - 1),
                           text.substr(second + 1, third - second - 1), text.substr(third + 1)};
    }

    std::string message = text.substr(first + 1);
    if (IsQuoted(message)) message = message.substr(1, message.size() - 2);
    return PageRequest{kOriginCommand, std::move(pager), "", "", std::move(message)};
}

void ParsePageCommand(const std::string& text, CPageQueue& queue)
{
    PageRequest request = PageCommandRequest(text);
    queue.QueueRequest(request.origin, std::move(request.name), std::move(request.phoneOverride),
                       std::move(request.idOverride), std::move(request.message), kSendCommand);
}

}  // namespace corvane
