#pragma once
// A send run with recording doubles around it and real log files in a temporary folder.

#include <gtest/gtest.h>

#include "directory/message_texts.h"
#include "engine/send_run.h"
#include "settings/memory_settings.h"
#include "tests/engine/send_run_doubles.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {

inline const std::string kAt = "03/07/01 09:05AM ";  // the fake clock's time in a log line

class SendRunTest : public ::testing::Test {
protected:
    SendRunTest()
    {
        settings.Write(key::LogFileName, dir.File("log.txt"));
        settings.Write(key::PagePort, "/dev/ttyS0");
        dir.Write("log.txt", "");
        dir.Write("errorlog.txt", "");
    }

    PagerRecord& AddPager(const std::string& name, const std::string& phone = "5551212", const std::string& type = "1")
    {
        PagerRecord& p = *pagers.NewPager();
        p.UserName = name;
        p.PhoneNumber = phone;
        p.PagerType = type;
        p.PagerID = "1" + std::to_string(p.Code);
        return p;
    }
    void Queue(const std::string& name, const std::string& message, int origin = kOriginProgram)
    {
        queue.QueueRequest(origin, name, "", "", message);
    }
    SendRunContext Context() { return {queue, pagers, files, ports, transports, view, pump, clock}; }
    void Run(int mode = kSendInteractive)
    {
        SendRunContext context = Context();
        RunQueue(context, mode);
    }

    std::string PageLog() const { return dir.Read("log.txt"); }
    std::string ErrorLog() const { return dir.Read("errorlog.txt"); }
    std::vector<std::string> Messages(const CallRecord& call) const
    {
        std::vector<std::string> messages;
        for (const auto& page : call.pages) messages.push_back(page.message);
        return messages;
    }

    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    DataFiles files {dir.path(), settings, boxes};
    CFakeClock clock;
    CFakePump pump {clock};
    CFakeMainView view;
    CFakePorts ports;
    CScriptedTransports transports;
    CPagerList pagers;
    CPageQueue queue;
};

// A send script that gives the call's pages these statuses and returns result.
inline std::function<int(std::vector<AddedPage>&)> Answer(int result, std::vector<int> statuses = {})
{
    return [result, statuses](std::vector<AddedPage>& pages) {
        for (std::size_t i = 0; i < pages.size() && i < statuses.size(); ++i)
            pages[i].entry->DeliveryStatus = static_cast<std::uint16_t>(statuses[i]);
        return result;
    };
}

}  // namespace corvane::test
