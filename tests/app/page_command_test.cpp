#include "app/core/page_command.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

PageRequest Req(std::string name, std::string phone, std::string id, std::string message)
{
    return {kOriginCommand, std::move(name), std::move(phone), std::move(id), std::move(message)};
}

TEST(PageCommand, FieldsAsWritten)
{
    const std::pair<const char*, PageRequest> cases[] = {
        // Exactly three slashes: the four-field form, even where the message meant them.
        {"John/Meeting at 3/4 o'clock/now", Req("John", "Meeting at 3", "4 o'clock", "now")},
        // A quote right after the first slash: the two-field form, quotes removed.
        {"John/\"Meeting at 3/4 o'clock/now\"", Req("John", "", "", "Meeting at 3/4 o'clock/now")},
        {"John/555-1212/ID7/", Req("John", "555-1212", "ID7", "")},
        {"John///Hi", Req("John", "", "", "Hi")},
        {"Sales Team/Stock is low", Req("Sales Team", "", "", "Stock is low")},  // a group name
        {"John/a/b", Req("John", "", "", "a/b")},
        {"John/a/b/c/d", Req("John", "", "", "a/b/c/d")},
        {"/orphan", Req("", "", "", "orphan")},
        {"John/", Req("John", "", "", "")},
        // Nothing is trimmed.
        {" John /  spaced  ", Req(" John ", "", "", "  spaced  ")},
        {"John/ \"x\"", Req("John", "", "", " \"x\"")},
        // Quotes come off only when they open and close the message.
        {"John/\"unterminated", Req("John", "", "", "\"unterminated")},
        {"John/say \"hi\"", Req("John", "", "", "say \"hi\"")},
        {"John/\"", Req("John", "", "", "\"")},
        {"John/\"\"", Req("John", "", "", "")},
        {"John/\"a\"/b/c", Req("John", "", "", "\"a\"/b/c")},
        {"John//\"x\"", Req("John", "", "", "/\"x\"")},
        // Line ends and tabs belong to the message.
        {"John/two\r\nlines\t", Req("John", "", "", "two\r\nlines\t")},
        // No slash at all: an empty request is queued all the same.
        {"no slash here", Req("", "", "", "")},
        {"", Req("", "", "", "")},
        {"John \"Hi\"", Req("", "", "", "")},
    };
    for (const auto& [text, expected] : cases) {
        CPageQueue queue;
        queue.QueueRequest(kOriginProgram, "Ann", "", "", "first");
        ParsePageCommand(text, queue);
        ASSERT_EQ(queue.requests.size(), 2u) << text;
        EXPECT_EQ(queue.requests[1], expected) << text;
        EXPECT_EQ(queue.sendRequest, kSendNone) << "the caller sets the send trigger";
    }
}

}  // namespace
}  // namespace corvane
