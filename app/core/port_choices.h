#pragma once
// The modem configuration's data: which line devices the Paging and Call Monitor pages
// offer, how a modem type fills the initialisation string, the Port Settings lists and
// their couplings, and how all of it is kept in the machine scope. The pages only show
// these values and report the user's choices.

#include <array>
#include <string>
#include <vector>

#include "modem/modem_types.h"

namespace corvane {

class ISettings;

inline constexpr const char* kPortNone = "NONE";
inline constexpr const char* kComPorts[] = {"COM1", "COM2", "COM3", "COM4"};

// The gateway products as the line list shows them and as "PagePort" stores them.
struct GatewayPortName {
    const char* shown;
    const char* stored;
};
inline constexpr GatewayPortName kGatewayPorts[] = {
    {"Corvane/ex", "EX"},
    {"Corvane/md", "MD"},
    {"Corvane/sv", "SV"},
};

inline constexpr const char* kPortWarningCaption = "Warning";
inline constexpr const char* kWordLengthWarningText =
    "Most paging companies require connections using word length 7, parity even, and 1 stop bit.  Your new "
    "settings do not conform to this standard.  If you have problems connecting, it may be due to these new "
    "settings.";
inline constexpr const char* kBaudWarningText =
    "You have changed the baud rate to a setting greater than 300 baud.  Some paging companies support only 300 "
    "baud connections.  If you have connection problems, you may need to revert back to a 300 baud setting.";

// The serial devices of this machine, in this order: /dev/serial/by-id/*, then
// /dev/ttyUSB*, /dev/ttyACM*, /dev/ttyS* (each in numeric order). devRoot replaces
// "/dev" in tests.
std::vector<std::string> FindSerialDevices(const std::string& devRoot = "/dev");

// "EX", "MD", "SV" are shown by the products' names; everything else as stored.
std::string ShownPortName(const std::string& stored);
std::string StoredPortName(const std::string& shown);

// The initialisation string of a modem type, or the standard one when none is chosen
// (or the type is not in MODEMS.DAT).
std::string InitStringFor(const CModemTypes& types, const std::string& type);

// "IPAddress": the decimal text of the 32-bit address, first part in the highest byte.
std::array<int, 4> IpAddressParts(const std::string& setting);
std::string IpAddressSetting(const std::array<int, 4>& parts);

// The Paging page.
class CPagingChoices {
public:
    CPagingChoices(const CModemTypes& types, std::vector<std::string> serialDevices);

    void Load(ISettings& settings);
    void Store(ISettings& settings) const;

    // The user's choices. Choosing a type fills the initialisation string; "Direct
    // Connect" offers the COM ports, any other type takes them away again (and a COM
    // port that was chosen becomes "NONE").
    void ChooseType(const std::string& type);
    void ChooseLineDevice(const std::string& shown) { lineDevice = shown; }

    const std::vector<std::string>& LineDevices() const { return m_lineDevices; }
    std::vector<std::string> TypeNames() const;

    std::string lineDevice;  // as shown; empty: nothing chosen, not stored
    std::string type;        // empty: nothing chosen, not stored
    std::string init;
    std::string mailAddress;
    std::array<int, 4> ip{};
    std::string ipPort;

private:
    void BuildLineDevices(const std::string& keep);

    const CModemTypes& m_types;
    std::vector<std::string> m_serial;
    std::vector<std::string> m_lineDevices;
};

// The Call Monitor page: the COM ports are always offered, and the caller-ID units
// besides the modem types (they take no initialisation string).
class CMonitorChoices {
public:
    CMonitorChoices(const CModemTypes& types, std::vector<std::string> serialDevices);

    void Load(ISettings& settings);
    void Store(ISettings& settings) const;
    void ChooseType(const std::string& type);
    void ChooseLineDevice(const std::string& shown) { lineDevice = shown; }

    const std::vector<std::string>& LineDevices() const { return m_lineDevices; }
    std::vector<std::string> TypeNames() const;

    std::string lineDevice;
    std::string type;
    std::string init;

private:
    const CModemTypes& m_types;
    std::vector<std::string> m_lineDevices;
};

// The Port Settings page: each field a fixed list, stored by the text of the choice.
inline constexpr const char* kBaudChoices[] = {"300", "1200", "2400", "9600", "14400", "24000", "28800"};
inline constexpr const char* kWordLengthChoices[] = {"7", "8"};
inline constexpr const char* kParityShown[] = {"None", "Even", "Odd", "Mark"};
inline constexpr const char* kParityStored[] = {"N", "E", "O", "M"};
inline constexpr const char* kStopBitChoices[] = {"1", "2"};
inline constexpr int kNoChoice = -1;
inline constexpr int kParityNone = 0;
inline constexpr int kParityEven = 1;
inline constexpr int kEightBits = 1;

class CPortSettingsChoices {
public:
    // A stored value that is not in its list leaves that choice empty.
    void Load(ISettings& settings);
    // An empty choice is not stored.
    void Store(ISettings& settings) const;
    // 8 data bits leave no room for a parity bit: parity None. A parity bit needs 7.
    void ChooseWordLength(int index);
    void ChooseParity(int index);
    // The warning the page gives after storing, or null.
    const char* Warning() const;

    int baud = kNoChoice;
    int wordLength = kNoChoice;
    int parity = kNoChoice;
    int stopBits = kNoChoice;
};

}  // namespace corvane
