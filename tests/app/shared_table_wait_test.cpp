// The shared pager table of a PostgreSQL server that stops answering while the program
// runs: the program goes on through its event pump, the main list stays whole until the new
// one is read, and the end of the program does not wait for the server.

#include <gtest/gtest.h>
#include <unistd.h>

#include "app/core/run_state.h"
#include "settings/memory_settings.h"
#include "tests/app/app_fakes.h"
#include "tests/callmon/line_ports.h"
#include "tests/directory/directory_helpers.h"
#include "tests/directory/odbc_helpers.h"
#include "tests/engine/send_run_doubles.h"
#include "tests/support/fake_frame.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

class SharedTableWait : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!COwnPostgres::Available()) GTEST_SKIP() << "needs PostgreSQL 15 and the test servers' script (ctest)";
        ASSERT_TRUE(server.Made());
        ASSERT_TRUE(server.Start());
        ExecSql(server.ConnectString(), {std::string(R"(CREATE TABLE "Pager_List" )") + kPagerTableColumns,
                                         GeneratedRows(1, 1)});
        CPagerList local;
        local.NewPager()->UserName = "Local One";
        DataFiles files{dir.path(), settings, boxes};
        local.Save(files);
        settings.Write(key::LogFileName, dir.File("log.txt"));
        settings.Write(key::PagePort, "/dev/ttyS0");
        settings.Write(key::SharedType, "1");
        settings.Write(key::ODBCConnectString, "ODBC;" + server.ConnectString());
        settings.Write(key::PageListScanMinutes, "1");
        settings.Write(key::ConfirmPages, "0");
    }

    COwnPostgres server;
    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    CFakeFrame frame;
    CFakeClock clock;
    CFakePump pump{clock};
    CLinePorts ports;
    CScriptedTransports transports;
    CFakeHookLibrary hooks;
    CRunState state{RunStateDeps{settings, boxes, frame, pump, clock, ports, transports, hooks, "Corvane", dir.path()}};
};

TEST_F(SharedTableWait, AServerThatStopsAnsweringHoldsNeitherTheTickNorTheEndOfTheProgram)
{
    state.Create(false, 5, "");
    ASSERT_EQ(CodesOf(state.Pagers()), (Codes{1, -1})) << boxes.Texts();

    // The re-scan finds the server stopped: the tick goes on meanwhile, sends to a shared
    // pager of the old list, and a second re-read asked for meanwhile starts no reading
    // of its own (one would have to wait for the stopped server too). A Cancel does not
    // end the reading.
    ExecSql(server.ConnectString(), {GeneratedRows(2, 2)});
    server.Pause();
    int waits = 0;
    int waitsDuringSecondReread = -1;
    pump.onWait = [&](int) {
        ++waits;
        ::usleep(1000);
        if (waits == 1) {
            EXPECT_EQ(CodesOf(state.Pagers()), (Codes{1, -1}));
            state.Commands().Execute("SendPage", "User 1/hello");
            state.OnTick();
            const int before = waits;
            state.Commands().Execute("RereadPagers", "");
            waitsDuringSecondReread = waits - before;
        }
        if (waits == 100) server.Resume();
        // The user's Cancel is meant for a page: the reading goes on.
        return waits == 2 ? PumpResult::Cancel : PumpResult::Continue;
    };
    clock.Advance(61 * 1000);
    state.OnTick();
    EXPECT_GT(waits, 100);
    EXPECT_EQ(waitsDuringSecondReread, 0);
    ASSERT_EQ(transports.calls.size(), 1u);
    EXPECT_EQ(transports.calls[0].pages.at(0).copy.Code, -1);
    EXPECT_EQ(CodesOf(state.Pagers()), (Codes{1, -1, -2}));
    EXPECT_TRUE(boxes.shown.empty()) << boxes.Texts();

    // The program is closed while the server is stopped again: the reading is left at the
    // quit, without a box or another wait, and the main list stays as it was.
    ExecSql(server.ConnectString(), {GeneratedRows(3, 3)});
    server.Pause();
    waits = 0;
    pump.onWait = [&](int) { return ++waits == 3 ? PumpResult::DeferredQuit : PumpResult::Continue; };
    state.RereadPagers();
    EXPECT_EQ(waits, 3);
    EXPECT_EQ(CodesOf(state.Pagers()), (Codes{1, -1, -2}));
    EXPECT_TRUE(boxes.shown.empty()) << boxes.Texts();
}

}  // namespace
}  // namespace corvane::test
