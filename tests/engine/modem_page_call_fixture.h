#pragma once
// A modem page call against the in-process paging central, under the fake clock.

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <string>

#include "engine/modem_page_call.h"
#include "modem/modem_control.h"
#include "settings/memory_settings.h"
#include "tests/sim/paging_central.h"
#include "tests/sim/sim_port.h"
#include "tests/support/fakes.h"

namespace corvane::test {

using sim::DialOutcome;
using sim::TapReply;
using Pages = std::vector<sim::AcceptedPage>;
using Texts = std::vector<std::string>;

const std::string kDial = "ATDT5551212\r";
const std::string kLogon = "\x1bPG1PW\r";
const std::string kLogoff = "\x04\r";

inline std::string Block(const std::string& id, const std::string& message)
{
    return CModemPageCall::BuildBlock(id, message);
}

struct CallOptions {
    std::string init = kDefaultInit;
    std::string phone = "555-1212";
    int attempts = 5;
    int postDialDelay = 8;
    int dialMethod = 0;
    int speaker = 1;
};

class ModemCallTest : public ::testing::Test {
protected:

    // A new central from `script` (and a fresh record of the status line).
    void StartCentral()
    {
        central = std::make_unique<sim::CPagingCentral>(script);
        port = std::make_unique<sim::CSimPort>(*central, clock);
        pump.ready = [this] { return port->ReadyFor(pump.lastFd); };
        view.statusLine.clear();
    }

    CModemPageCall& MakeCall(const CallOptions& o = {})
    {
        if (!port) StartCentral();
        sim::CSimPort* line = port.get();
        call = std::make_unique<CModemPageCall>(ModemCallDeps {settings, &view, pump, clock, boxes}, o.init, o.phone,
                                                [line] { return line; }, o.attempts, 60, o.postDialDelay, "PW");
        call->SetDialMethod(o.dialMethod);
        call->SetSpeaker(o.speaker);
        return *call;
    }

    // One call with a counted page per message, to pagers "1", "2", ...
    int Send(const Texts& messages = {"x"}, const CallOptions& o = {})
    {
        MakeCall(o);
        for (const std::string& message : messages)
            call->AddPage(true, Pager(std::to_string(pagers.size() + 1)), message, message);
        return call->SendAlphaPages();
    }

    PagerRecord& Pager(const std::string& id)
    {
        PagerRecord& pager = pagers.emplace_back();
        pager.UserName = "P" + id;
        pager.PagerID = id;
        pager.DeliveryStatus = 77;  // adding a page must reset it
        return pager;
    }

    std::vector<int> Statuses() const
    {
        std::vector<int> statuses;
        for (const auto& pager : pagers) statuses.push_back(pager.DeliveryStatus);
        return statuses;
    }
    Texts Writes() const
    {
        Texts writes;
        for (const auto& w : port->writes) writes.push_back(w.bytes);
        return writes;
    }
    std::uint64_t Time(const std::string& bytes, int nth = 1) const { return port->WriteTime(bytes, nth); }
    int Count(const std::string& bytes) const { return port->CountWrites(bytes); }
    int Shown(const std::string& status) const
    {
        return static_cast<int>(std::count(view.statusLine.begin(), view.statusLine.end(), status));
    }

    CFakeClock clock;
    CFakePump pump {clock};
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    CFakeMainView view;
    sim::SimScript script;
    std::unique_ptr<sim::CPagingCentral> central;
    std::unique_ptr<sim::CSimPort> port;
    std::unique_ptr<CModemPageCall> call;
    std::deque<PagerRecord> pagers;
};

}  // namespace corvane::test
