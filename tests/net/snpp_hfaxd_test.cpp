// SNPP with a login against a server that no one here wrote: HylaFAX's hfaxd (the "hfaxd"
// test server), which takes no page before LOGI and forgets the login at every RESE. The
// user corvane has the password corvane-pw there. What hfaxd queued is read from its spool.

#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/poll_pump.h"
#include "engine/send_run.h"
#include "engine/transports.h"
#include "settings/memory_settings.h"
#include "tests/engine/send_run_doubles.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_servers.h"

namespace corvane {
namespace {

using Pages = std::vector<std::pair<std::string, std::string>>;

std::string ReadText(const std::filesystem::path& path)
{
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

class SnppHfaxd : public ::testing::Test {
protected:
    void SetUp() override
    {
        CORVANE_REQUIRE_SERVER("hfaxd", port);
        settings.Write(key::LogFileName, dir.File("log.txt"));
        settings.Write(key::DialAttempts, "0");
        dir.Write("log.txt", "");
        dir.Write("errorlog.txt", "");
    }
    std::string Dial(const std::string& login) const
    {
        return "SNPP:" + login + "127.0.0.1:" + std::to_string(port);
    }
    // The jobs queued by user corvane whose text ends with this test's mark, as (pager ID, text).
    Pages Queued() const
    {
        Pages pages;
        const std::filesystem::path spool = test::ServersDir() + "/hfaxd/spool";
        for (const char* queue : {"sendq", "doneq"}) {
            std::error_code error;
            for (const auto& job : std::filesystem::directory_iterator(spool / queue, error)) {
                std::istringstream lines(ReadText(job.path()));
                std::string line, pin, document, owner;
                while (std::getline(lines, line)) {
                    if (line.rfind("page:0::", 0) == 0) pin = line.substr(8);
                    if (line.rfind("data:0::", 0) == 0) document = line.substr(8);
                    if (line.rfind("owner:", 0) == 0) owner = line.substr(6);
                }
                const std::string text = document.empty() ? "" : ReadText(spool / document);
                if (owner == "corvane" && text.ends_with(mark)) pages.emplace_back(pin, text);
            }
        }
        std::sort(pages.begin(), pages.end());
        return pages;
    }

    int port = 0;
    const std::string mark = " #" + std::to_string(::getpid()) + "-" + std::to_string(std::time(nullptr));
    test::CTempDir dir;
    CMemorySettings settings;
    test::CRecordingMessageBox boxes;
    test::CFakeMainView view;
    CSystemClock clock;
    CPollPump pump;
};

TEST_F(SnppHfaxd, ASendRunLogsInForEveryPage)
{
    DataFiles files {dir.path(), settings, boxes};
    test::CFakePorts ports;
    CTransports transports {{settings, ports, &view, pump, clock, boxes}};
    CPagerList pagers;
    CPageQueue queue;
    for (const char* pin : {"5550101", "5550102"}) {
        PagerRecord& p = *pagers.NewPager();
        p.UserName = std::string("Pager ") + pin;
        p.PagerID = pin;
        p.PagerType = "1";
        p.PhoneNumber = Dial("corvane@");
        p.SystemPassword = "corvane-pw";  // the service's password is the login's
        p.Groups = {"Night"};
    }
    queue.QueueRequest(kOriginProgram, "Night", "", "", "Boiler pressure high" + mark);
    SendRunContext context {queue, pagers, files, ports, transports, view, pump, clock};
    RunQueue(context, kSendInteractive);

    EXPECT_EQ(dir.Read("errorlog.txt"), "");
    EXPECT_NE(dir.Read("log.txt").find("Pager 5550102: Boiler pressure high" + mark), std::string::npos);
    EXPECT_EQ(Queued(), (Pages {{"5550101", "Boiler pressure high" + mark}, {"5550102", "Boiler pressure high" + mark}}));
    ASSERT_EQ(boxes.shown.size(), 1u) << boxes.Texts();
    EXPECT_EQ(boxes.shown[0].text, "Your page(s) were delivered successfully.");
}

}  // namespace
}  // namespace corvane
