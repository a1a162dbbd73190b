#pragma once
// Doubles for the send run's transports and ports: they record what they were given and
// answer with scripted results.

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "transport/page_transport.h"
#include "modem/page_ports.h"

namespace corvane::test {

struct AddedPage {
    bool counted;
    PagerRecord* entry;  // the run's entry: valid only while the run lasts
    std::string message;
    std::string logText;
    PagerRecord copy;    // the entry as it was added, for checks after the run
};

// What one call object saw and did.
struct CallRecord {
    bool snpp = false;
    std::string phone;             // the PhoneNumber of the entry that opened the call
    std::vector<AddedPage> pages;  // in call order (AddPageFirst puts a page in front)
    std::vector<std::pair<std::string, std::string>> numeric;  // (PagerID, text) per numeric send
    int alphaSends = 0;
    std::vector<const PagerRecord*> errorsShown;  // ShowError's argument per call
};

using SendScript = std::function<int(std::vector<AddedPage>&)>;
using NumericScript = std::function<int(const PagerRecord&, const std::string&)>;

class CScriptedCall : public IPageCall {
public:
    CScriptedCall(CallRecord& record, SendScript onSend, NumericScript onNumeric)
        : m_record(record), m_onSend(std::move(onSend)), m_onNumeric(std::move(onNumeric))
    {
    }
    void AddPage(bool counted, PagerRecord& entry, const std::string& message, const std::string& logText) override
    {
        Add(m_record.pages.end(), counted, entry, message, logText);
    }
    void AddPageFirst(bool counted, PagerRecord& entry, const std::string& message,
                      const std::string& logText) override
    {
        Add(m_record.pages.begin(), counted, entry, message, logText);
    }
    int SendAlphaPages() override
    {
        ++m_record.alphaSends;
        return m_onSend ? m_onSend(m_record.pages) : 0;
    }
    int SendNumericPage(const PagerRecord& entry, const std::string& text) override
    {
        m_record.numeric.emplace_back(entry.PagerID, text);
        return m_onNumeric ? m_onNumeric(entry, text) : 0;
    }
    void ShowError(const PagerRecord* single) override { m_record.errorsShown.push_back(single); }
    int CountedPages() const override { return static_cast<int>(Counted().size()); }
    std::vector<CountedPage> Counted() const override
    {
        std::vector<CountedPage> counted;
        for (const auto& page : m_record.pages)
            if (page.counted) counted.push_back({page.entry, page.logText});
        return counted;
    }
    bool IsSnpp() const override { return m_record.snpp; }

private:
    void Add(std::vector<AddedPage>::iterator at, bool counted, PagerRecord& entry, const std::string& message,
             const std::string& logText)
    {
        entry.DeliveryStatus = 0;
        m_record.pages.insert(at, {counted, &entry, message, logText, entry});
    }

    CallRecord& m_record;
    SendScript m_onSend;
    NumericScript m_onNumeric;
};

class CScriptedTransports : public ITransports {
public:
    std::unique_ptr<IPageCall> NewModemCall(const PagerRecord& entry) override { return Make(entry, false); }
    std::unique_ptr<IPageCall> NewSnppClient(const PagerRecord& entry) override { return Make(entry, true); }
    bool HandToGateway(const PagerRecord& entry, const std::string& text, bool showErrors) override
    {
        gateway.push_back({entry.UserName, text, showErrors});
        return gatewayResult;
    }

    std::deque<SendScript> sendScripts;  // for the calls' sends, in call order; 0 when none is left
    NumericScript numericScript;
    std::deque<CallRecord> calls;  // deque: the calls keep a reference to their record
    struct Handed {
        std::string name, text;
        bool showErrors;
    };
    std::vector<Handed> gateway;
    bool gatewayResult = true;

private:
    std::unique_ptr<IPageCall> Make(const PagerRecord& entry, bool snpp)
    {
        CallRecord& record = calls.emplace_back();
        record.snpp = snpp;
        record.phone = entry.PhoneNumber;
        SendScript script;
        if (!sendScripts.empty()) {
            script = sendScripts.front();
            sendScripts.pop_front();
        }
        return std::make_unique<CScriptedCall>(record, script, numericScript);
    }
};

class CFakePorts : public IPagePorts {
public:
    bool OpenPagePort(bool showMessages, const std::string& baudText) override
    {
        events.push_back("open page " + baudText + (showMessages ? " shown" : " quiet"));
        return pageOpen = openResult;
    }
    bool OpenMonitorPort(bool) override
    {
        events.push_back("open monitor");
        return monitorOpen = monitorOpenResult;
    }
    void ClosePagePort() override
    {
        events.push_back("close page");
        pageOpen = false;
        port = nullptr;
    }
    void CloseMonitorPort() override
    {
        events.push_back("close monitor");
        monitorOpen = false;
    }
    void EnsurePageBaud(bool, const std::string& baudText) override { bauds.push_back(baudText); }
    bool IsMonitorOpen() const override { return monitorOpen; }
    IBytePort* PagePort() override { return port; }

    bool openResult = true;
    bool monitorOpenResult = true;
    bool pageOpen = false;
    bool monitorOpen = false;
    IBytePort* port = nullptr;  // what PagePort() gives until the page port is closed
    std::vector<std::string> events;
    std::vector<std::string> bauds;
};

}  // namespace corvane::test
