#pragma once
// A modem page call against the in-process paging central, under the fake clock.

#include <gtest/gtest.h>

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

class ModemCallTest : public ::testing::Test {
protected:
    struct CallOptions {
        std::string init = kDefaultInit;
        std::string phone = "555-1212";
        int attempts = 5;
        int connectionWait = 60;
        int postDialDelay = 8;
        std::string password = "PW";
        int dialMethod = 0;
        int speaker = 1;
    };

    // Creates the central from `script`; call once the script is set.
    void StartCentral()
    {
        central = std::make_unique<sim::CPagingCentral>(script);
        port = std::make_unique<sim::CSimPort>(*central, clock);
        pump.ready = [this] { return port->ReadyFor(pump.lastFd); };
    }

    std::unique_ptr<CModemPageCall> MakeCall(const CallOptions& o)
    {
        if (!port) StartCentral();
        sim::CSimPort* line = port.get();
        auto call = std::make_unique<CModemPageCall>(ModemCallDeps {settings, &view, pump, clock, boxes}, o.init,
                                                     o.phone, [line] { return line; }, o.attempts, o.connectionWait,
                                                     o.postDialDelay, o.password);
        call->SetDialMethod(o.dialMethod);
        call->SetSpeaker(o.speaker);
        return call;
    }
    std::unique_ptr<CModemPageCall> MakeCall() { return MakeCall(CallOptions {}); }

    PagerRecord& Pager(const std::string& name, const std::string& id)
    {
        PagerRecord& pager = pagers.emplace_back();
        pager.UserName = name;
        pager.PagerID = id;
        pager.PagerType = "1";
        pager.DeliveryStatus = 77;  // adding a page must reset it
        return pager;
    }

    // The statuses of the pagers in the order they were made.
    std::vector<int> Statuses() const
    {
        std::vector<int> statuses;
        for (const auto& pager : pagers) statuses.push_back(pager.DeliveryStatus);
        return statuses;
    }

    std::uint64_t Time(const std::string& bytes, int nth = 1) const { return port->WriteTime(bytes, nth); }

    CFakeClock clock;
    CFakePump pump {clock};
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    CFakeMainView view;
    sim::SimScript script;
    std::unique_ptr<sim::CPagingCentral> central;
    std::unique_ptr<sim::CSimPort> port;
    std::deque<PagerRecord> pagers;
};

inline std::string Block(const std::string& id, const std::string& message)
{
    return CModemPageCall::BuildBlock(id, message);
}

}  // namespace corvane::test
