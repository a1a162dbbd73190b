// corvane-make-pagers: writes a pager directory (PAGERS.DAT and MONITOR.DAT) with the
// program's own pager file code.
//
//   corvane-make-pagers demo DIR/         the demo pagers that data/demo/ ships
//   corvane-make-pagers bulk DIR/ COUNT   COUNT made-up pagers (1..32000), for measurements
//   corvane-make-pagers snpp DIR/ SNPP:127.0.0.1:PORT
//                                         points the pagers of DIR that go to an SNPP server on
//                                         this machine at PORT (the demo's server takes a free port)

#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "directory/pager_list.h"
#include "settings/memory_settings.h"

using namespace corvane;

namespace {

class CStderrBox final : public IMessageBox {
public:
    MbAnswer Show(const std::string& text, const std::string& caption, MbIcon, MbButtons) override
    {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return MbAnswer::Cancel;
    }
};

struct DemoPager {
    const char* name;
    const char* type;   // "1" alphanumeric, "0" numeric
    const char* phone;  // the paging company's modem, the pager's own number, or SNPP:host:port
    const char* id;
    std::vector<std::string> groups;
    const char* voiceOne;
    const char* voiceTwo;
    const char* data;
    const char* content;  // "0" default message, "1" prompt, "2" the custom message
    const char* message;
    std::uint16_t autoFlags;
};

// Alphanumeric pagers reached by modem (TAP), numeric pagers dialled directly, and
// alphanumeric pagers reached over SNPP (a server on this machine, port 4444).
const DemoPager kDemo[] = {
    {"Alice Archer", "1", "5550100", "1001", {"Support"}, "555-0111", "555-0112", "Room 101", "1", "", 1},
    {"Bob Baker", "1", "5550100", "1002", {"Support", "Sales"}, "555-0121", "555-0122", "Room 102", "1", "", 0},
    {"Carol Chen", "1", "5550100", "1003", {"Sales"}, "555-0131", "", "Room 205", "2", "Please call the office.", 0},
    {"Dan Duarte", "0", "5550150", "", {"Field"}, "555-0141", "555-0142", "Van 3", "1", "", 0},
    {"Erin Evans", "0", "5550160", "4321", {"Field", "Support"}, "555-0151", "", "Van 7", "0", "", 0},
    {"Frank Foster", "1", "SNPP:127.0.0.1:4444", "5552001", {"Sales"}, "555-0161", "", "Branch North", "1", "", 0},
    {"Grace Green", "1", "SNPP:127.0.0.1:4444", "5552002", {"Field"}, "555-0171", "555-0172", "Branch South", "1", "", 0},
};

void FillDemo(CPagerList& list)
{
    for (const DemoPager& d : kDemo) {
        PagerRecord& p = *list.NewPager();
        p.UserName = d.name;
        p.PagerType = d.type;
        p.PhoneNumber = d.phone;
        p.PagerID = d.id;
        p.Groups = d.groups;
        p.VoiceOne = d.voiceOne;
        p.VoiceTwo = d.voiceTwo;
        p.CustomData = d.data;
        p.DefaultPageContent = d.content;
        p.CustomMessage = d.message;
        p.AutoPageFlags = d.autoFlags;
        if (p.IsNumeric()) p.MaximumPageLength = 20;
    }
}

void FillBulk(CPagerList& list, int count)
{
    char text[64];
    for (int i = 1; i <= count; ++i) {
        PagerRecord* p = list.NewPager();
        if (!p) return;
        std::snprintf(text, sizeof text, "Pager %05d", i);
        p->UserName = text;
        p->PagerType = i % 3 == 0 ? "0" : "1";
        std::snprintf(text, sizeof text, "555%04d", i % 10000);
        p->PhoneNumber = i % 5 == 0 ? "SNPP:127.0.0.1:4444" : text;
        p->PagerID = std::to_string(100000 + i);
        std::snprintf(text, sizeof text, "Group %03d", (i - 1) / 50 + 1);
        p->Groups = {text};
        std::snprintf(text, sizeof text, "555-%04d", (i * 7) % 10000);
        p->VoiceOne = text;
        std::snprintf(text, sizeof text, "Desk %d", i % 400);
        p->CustomData = text;
    }
}

// The demo's SNPP pagers name the server on this machine; whatever port they had, they get
// the one the server listens on now. Every other pager stays as it is.
int PointSnppPagers(const DataFiles& files, const std::string& address)
{
    const std::string local = "SNPP:127.0.0.1:";
    if (address.rfind(local, 0) != 0 || address.size() == local.size()) {
        std::fprintf(stderr, "the address must be %sPORT\n", local.c_str());
        return 2;
    }
    CPagerList list;
    list.LoadLocal(files);
    int changed = 0;
    for (const auto& pager : list.records()) {
        if (pager->PhoneNumber.rfind(local, 0) != 0 || pager->PhoneNumber == address) continue;
        pager->PhoneNumber = address;
        ++changed;
    }
    if (changed > 0 && !list.Save(files)) return 1;
    std::printf("%d pagers of %sPAGERS.DAT now go to %s\n", changed, files.dataDir.c_str(), address.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || (std::string(argv[1]) != "demo" && argc < 4)) {
        std::fprintf(stderr, "usage: %s demo DIR/ | bulk DIR/ COUNT | snpp DIR/ SNPP:127.0.0.1:PORT\n", argv[0]);
        return 2;
    }
    std::string mode = argv[1];
    std::string dir = argv[2];
    if (!dir.empty() && dir.back() != '/') dir += '/';

    CMemorySettings settings;
    CStderrBox box;
    if (mode == "snpp") return PointSnppPagers(DataFiles{dir, settings, box}, argv[3]);
    CPagerList list;
    if (mode == "demo") {
        FillDemo(list);
    } else if (mode == "bulk") {
        int count = std::atoi(argv[3]);
        if (count < 1 || count > 32000) {
            std::fprintf(stderr, "COUNT must be 1..32000\n");
            return 2;
        }
        FillBulk(list, count);
    } else {
        std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
        return 2;
    }
    if (!list.Save(DataFiles{dir, settings, box})) return 1;
    std::printf("%zu pagers written to %sPAGERS.DAT\n", list.size(), dir.c_str());
    return 0;
}
