// corvane-ctl [-K"title"] [-t MS] TOPIC [DATA]
// corvane-ctl [-K"title"] [-t MS] --topics
// corvane-ctl [-K"title"] [-t MS] --queue
// corvane-ctl --help | --version
//
// Executes TOPIC with DATA (passed unchanged, as one argument) on the running
// instance of the title. Exit status: 0 FACK, 1 not processed or refused, 2 no
// instance answered, 64 a usage error.

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "app/core/command_client.h"
#include "app/core/command_topics.h"
#include "app/core/program_info.h"
#include "app/core/queue_listing.h"

namespace {

constexpr int kExitAck = 0;
constexpr int kExitNotProcessed = 1;
constexpr int kExitNoInstance = 2;
constexpr int kExitUsage = 64;
constexpr int kDefaultTimeoutMs = 5000;

struct Options {
    std::string title = "Corvane";
    int timeoutMs = -1;  // not given
    bool listTopics = false;
    bool listQueue = false;
    std::vector<std::string> operands;
};

void Usage(std::FILE* out)
{
    std::fputs("usage: corvane-ctl [-K\"title\"] [-t MS] TOPIC [DATA]\n"
               "       corvane-ctl [-K\"title\"] [-t MS] --topics\n"
               "       corvane-ctl [-K\"title\"] [-t MS] --queue\n",
               out);
}

// --help: the usage, the options and what each topic does.
void Help()
{
    Usage(stdout);
    std::printf("\n"
                "Executes TOPIC with DATA (one argument, passed unchanged) on the running Corvane\n"
                "(corvane or corvaned) of the title. The answer only confirms that the request was\n"
                "taken: whether a page was delivered is written to the page log or errorlog.txt.\n"
                "\n"
                "  -K\"title\"  the instance's title (default \"Corvane\")\n"
                "  -t MS      time-out for the whole exchange in milliseconds (default 5000;\n"
                "             0 waits without limit, the default for %s)\n"
                "  --topics   print the instance's topics, one a line\n"
                "  --queue    print the requests it has accepted and not yet settled, one a line:\n"
                "             id, state (waiting for a send, queued, sending; \"unkept\" when\n"
                "             its spool could not hold it), time accepted, origin, pager, phone,\n"
                "             pager ID and message, separated by tabs (a backslash is \\\\,\n"
                "             control bytes are \\xHH)\n"
                "  --help     this text\n"
                "  --version  the version\n"
                "\n"
                "Topics (compared without regard to case):\n"
                "  %-13s DATA is a page command (\"pager/message\", \"pager/phone/ID/message\",\n"
                "                or a group name for the pager): queued and sent at the next tick\n"
                "  %-13s DATA is a page command: queued; it waits for a send\n"
                "  %-13s the queue is sent at the next tick\n"
                "  %-13s the new-pager dialog (nothing without windows); answered when it closes\n"
                "  %-13s the pager file is read again and the list redrawn\n"
                "  %-13s the program closes at the first tick with no page in progress\n"
                "\n"
                "Exit status: 0 done, 1 not a topic of the instance or the request was refused,\n"
                "2 no instance answered, 64 a usage error.\n",
                corvane::kTopicAddPager, corvane::kTopicSendPage, corvane::kTopicQueuePage,
                corvane::kTopicSendPages, corvane::kTopicAddPager, corvane::kTopicRereadPagers,
                corvane::kTopicClose);
}

// -K"title" reaches us as -Ktitle when the shell removed the quotes, or with them
// when it was quoted whole; -K title is the split form.
std::string Unquote(std::string value)
{
    if (!value.empty() && value.front() == '"') value.erase(0, 1);
    if (!value.empty() && value.back() == '"') value.pop_back();
    return value;
}

bool ParseTimeout(const std::string& text, int& ms)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    ms = std::atoi(text.c_str());
    return true;
}

enum class Info { None, Help, Version };

bool Parse(int argc, char** argv, Options& options, Info& info)
{
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') break;
        if (arg == "-h" || arg == "--help" || arg == "--version") {
            info = arg == "--version" ? Info::Version : Info::Help;
            return true;
        }
        if (arg == "--topics") {
            options.listTopics = true;
        } else if (arg == "--queue") {
            options.listQueue = true;
        } else if (arg[1] == 'K' || arg[1] == 'k') {
            if (arg.size() > 2) {
                options.title = Unquote(arg.substr(2));
            } else if (++i < argc) {
                options.title = Unquote(argv[i]);
            } else {
                return false;
            }
        } else if (arg[1] == 't') {
            const std::string value = arg.size() > 2 ? arg.substr(2) : (++i < argc ? argv[i] : "");
            if (!ParseTimeout(value, options.timeoutMs)) return false;
        } else {
            return false;
        }
    }
    for (; i < argc; ++i) options.operands.push_back(argv[i]);
    if (options.listTopics && options.listQueue) return false;
    if (options.listTopics || options.listQueue) return options.operands.empty();
    return !options.operands.empty() && options.operands.size() <= 2;
}

int Report(const corvane::CommandReply& reply, const Options& options, const std::string& topic)
{
    using corvane::CommandStatus;
    switch (reply.status) {
    case CommandStatus::Ack:
        return kExitAck;
    case CommandStatus::NotProcessed:
        std::fprintf(stderr, "corvane-ctl: \"%s\" did not process the topic \"%s\".\n", options.title.c_str(),
                     topic.c_str());
        return kExitNotProcessed;
    case CommandStatus::Refused:
        std::fprintf(stderr, "corvane-ctl: \"%s\" refused the request: %s.\n", options.title.c_str(),
                     reply.detail.c_str());
        return kExitNotProcessed;
    case CommandStatus::NoInstance:
        break;
    }
    std::fprintf(stderr, "corvane-ctl: no instance of \"%s\" answered (%s).\n", options.title.c_str(),
                 reply.detail.c_str());
    return kExitNoInstance;
}

const char* OriginName(int origin)
{
    switch (origin) {
    case 1: return "program";
    case 2: return "command";
    case 3: return "resubmitted";
    default: return "?";
    }
}

void PrintPending(const std::vector<corvane::SpooledRequest>& pending)
{
    using corvane::EscapeListingText;
    for (const auto& request : pending) {
        std::tm local {};
        localtime_r(&request.queuedAt, &local);
        char when[32];
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
        std::printf("%llu\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", static_cast<unsigned long long>(request.id),
                    corvane::QueueStateName(request).c_str(), when, OriginName(request.origin),
                    EscapeListingText(request.name).c_str(), EscapeListingText(request.phoneOverride).c_str(),
                    EscapeListingText(request.idOverride).c_str(), EscapeListingText(request.message).c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    Info info = Info::None;
    if (!Parse(argc, argv, options, info)) {
        Usage(stderr);
        return kExitUsage;
    }
    if (info == Info::Help) Help();
    if (info == Info::Version) std::printf("corvane-ctl %s\n", corvane::CorvaneVersion());
    if (info != Info::None) return kExitAck;

    const corvane::CCommandClient client(options.title);
    if (options.listTopics) {
        std::vector<std::string> topics;
        const auto reply = client.Topics(topics, options.timeoutMs < 0 ? kDefaultTimeoutMs : options.timeoutMs);
        for (const auto& topic : topics) std::printf("%s\n", topic.c_str());
        return Report(reply, options, "--topics");
    }
    if (options.listQueue) {
        std::vector<corvane::SpooledRequest> pending;
        const auto reply = client.Queue(pending, options.timeoutMs < 0 ? kDefaultTimeoutMs : options.timeoutMs);
        if (reply.status == corvane::CommandStatus::Ack) PrintPending(pending);
        return Report(reply, options, "--queue");
    }

    const std::string& topic = options.operands[0];
    const std::string data = options.operands.size() > 1 ? options.operands[1] : std::string();
    // The new-pager dialog is answered when the user closes it: wait for that.
    int timeoutMs = options.timeoutMs;
    if (timeoutMs < 0) timeoutMs = topic == corvane::kTopicAddPager ? 0 : kDefaultTimeoutMs;
    return Report(client.Execute(topic, data, timeoutMs), options, topic);
}
