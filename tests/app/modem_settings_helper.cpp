// Configure > Modems without the window, for the process test that runs it as another user:
// the program's own settings files, opened, changed and stored as the dialog does.
//
//   modem_settings_helper TITLE DATADIR show
//   modem_settings_helper TITLE DATADIR save FIELD=VALUE...
//
// "show" prints every field as the dialog would show it, one "field=value" line each; "save"
// opens the dialog's values, makes the user's choices and stores them as OK does.

#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>

#include "app/core/port_choices.h"
#include "modem/modem_types.h"
#include "settings/ini_settings.h"

using namespace corvane;

namespace {

template <std::size_t N>
int IndexIn(const char* const (&list)[N], std::string_view text)
{
    for (std::size_t i = 0; i < N; ++i)
        if (text == list[i]) return static_cast<int>(i);
    return kNoChoice;
}

template <std::size_t N>
std::string Shown(const char* const (&list)[N], int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < N ? list[index] : "";
}

struct CModemPages {
    CModemPages(ISettings& settings, const CModemTypes& types)
        : paging(types, {"/dev/ttyUSB0"}), monitor(types, {"/dev/ttyUSB0"})
    {
        paging.Load(settings);
        monitor.Load(settings);
        port.Load(settings);
    }
    // One choice as the user makes it on the pages; false for an unknown field.
    bool Choose(std::string_view field, const std::string& value)
    {
        if (field == "pagingType") paging.ChooseType(value);
        else if (field == "pagingLine") paging.ChooseLineDevice(value);
        else if (field == "pagingInit") paging.init = value;
        else if (field == "mailAddress") paging.mailAddress = value;
        else if (field == "ipPort") paging.ipPort = value;
        else if (field == "ip") std::sscanf(value.c_str(), "%d.%d.%d.%d", &paging.ip[0], &paging.ip[1], &paging.ip[2], &paging.ip[3]);
        else if (field == "monitorType") monitor.ChooseType(value);
        else if (field == "monitorLine") monitor.ChooseLineDevice(value);
        else if (field == "monitorInit") monitor.init = value;
        else if (field == "baud") port.baud = IndexIn(kBaudChoices, value);
        else if (field == "wordLength") port.ChooseWordLength(IndexIn(kWordLengthChoices, value));
        else if (field == "parity") port.ChooseParity(IndexIn(kParityShown, value));
        else if (field == "stopBits") port.stopBits = IndexIn(kStopBitChoices, value);
        else return false;
        return true;
    }
    void Store(ISettings& settings) const
    {
        paging.Store(settings);
        monitor.Store(settings);
        port.Store(settings);
    }
    void Print() const
    {
        std::string ip = std::to_string(paging.ip[0]);
        for (std::size_t i = 1; i < paging.ip.size(); ++i) ip += "." + std::to_string(paging.ip[i]);
        const std::pair<const char*, std::string> fields[] = {
            {"pagingLine", paging.lineDevice}, {"pagingType", paging.type},
            {"pagingInit", paging.init},       {"mailAddress", paging.mailAddress},
            {"ip", ip},                        {"ipPort", paging.ipPort},
            {"monitorLine", monitor.lineDevice}, {"monitorType", monitor.type},
            {"monitorInit", monitor.init},     {"baud", Shown(kBaudChoices, port.baud)},
            {"wordLength", Shown(kWordLengthChoices, port.wordLength)},
            {"parity", Shown(kParityShown, port.parity)},
            {"stopBits", Shown(kStopBitChoices, port.stopBits)},
        };
        for (const auto& [name, value] : fields) std::printf("%s=%s\n", name, value.c_str());
    }

    CPagingChoices paging;
    CMonitorChoices monitor;
    CPortSettingsChoices port;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s TITLE DATADIR show|save [FIELD=VALUE...]\n", argv[0]);
        return 2;
    }
    CIniSettings settings(argv[1]);
    CModemTypes types;
    types.Load(argv[2]);
    CModemPages pages(settings, types);
    const std::string_view command = argv[3];
    if (command == "show") {
        pages.Print();
        return 0;
    }
    if (command != "save") return 2;
    for (int i = 4; i < argc; ++i) {
        std::string_view choice = argv[i];
        std::size_t equals = choice.find('=');
        if (equals == std::string_view::npos ||
            !pages.Choose(choice.substr(0, equals), std::string(choice.substr(equals + 1)))) {
            std::fprintf(stderr, "unknown choice: %s\n", argv[i]);
            return 2;
        }
    }
    pages.Store(settings);
    return 0;
}
