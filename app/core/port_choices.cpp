#include "app/core/port_choices.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "common/decimal.h"
#include "modem/port_slots.h"
#include "settings/settings.h"

namespace corvane {

namespace {

// The names in dir that start with prefix (all of them for an empty prefix), by the
// number after the prefix and then by name, so ttyS2 comes before ttyS10.
std::vector<std::string> Devices(const std::string& dir, const std::string& prefix)
{
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) names.push_back(name);
    }
    auto number = [&](const std::string& name) { return ToLong(name.substr(prefix.size())); };
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        if (!prefix.empty() && number(a) != number(b)) return number(a) < number(b);
        return a < b;
    });
    for (std::string& name : names) name = dir + "/" + name;
    return names;
}

template <std::size_t N>
int IndexOf(const char* const (&list)[N], const std::string& value)
{
    for (std::size_t i = 0; i < N; ++i)
        if (value == list[i]) return static_cast<int>(i);
    return kNoChoice;
}

template <std::size_t N>
void StoreChoice(ISettings& settings, const SettingKey& key, const char* const (&list)[N], int index)
{
    if (index >= 0 && static_cast<std::size_t>(index) < N) settings.Write(key, list[index]);
}

bool IsComPort(const std::string& name)
{
    return std::find(std::begin(kComPorts), std::end(kComPorts), name) != std::end(kComPorts);
}

bool Contains(const std::vector<std::string>& list, const std::string& name)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

std::vector<std::string> TypeNamesOf(const CModemTypes& types)
{
    std::vector<std::string> names;
    for (const ModemType& type : types.types()) names.push_back(type.name);
    return names;
}

// A stored device that is not offered now (a USB adapter unplugged, a COM port under
// another type) is offered all the same, so that confirming the dialog keeps it.
void KeepStored(std::vector<std::string>& list, const std::string& shown)
{
    if (!shown.empty() && !Contains(list, shown)) list.push_back(shown);
}

void StoreIfChosen(ISettings& settings, const SettingKey& key, const std::string& value)
{
    if (!value.empty()) settings.Write(key, value);
}

}  // namespace

std::vector<std::string> FindSerialDevices(const std::string& devRoot)
{
    std::vector<std::string> devices = Devices(devRoot + "/serial/by-id", "");
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        std::vector<std::string> found = Devices(devRoot, prefix);
        devices.insert(devices.end(), found.begin(), found.end());
    }
    return devices;
}

std::string ShownPortName(const std::string& stored)
{
    for (const GatewayPortName& gateway : kGatewayPorts)
        if (stored == gateway.stored) return gateway.shown;
    return stored;
}

std::string StoredPortName(const std::string& shown)
{
    for (const GatewayPortName& gateway : kGatewayPorts)
        if (shown == gateway.shown) return gateway.stored;
    return shown;
}

std::string InitStringFor(const CModemTypes& types, const std::string& type)
{
    const ModemType* found = type.empty() ? nullptr : types.Find(type);
    return found ? found->initString : kDefaultInitString;
}

std::array<int, 4> IpAddressParts(const std::string& setting)
{
    long value = std::clamp(ToLong(setting), 0L, 0xFFFFFFFFL);
    auto address = static_cast<std::uint32_t>(value);
    return {static_cast<int>(address >> 24), static_cast<int>((address >> 16) & 0xFF),
            static_cast<int>((address >> 8) & 0xFF), static_cast<int>(address & 0xFF)};
}

std::string IpAddressSetting(const std::array<int, 4>& parts)
{
    std::uint32_t address = 0;
    for (int part : parts) address = (address << 8) | static_cast<std::uint32_t>(std::clamp(part, 0, 255));
    return std::to_string(address);
}

CPagingChoices::CPagingChoices(const CModemTypes& types, std::vector<std::string> serialDevices)
    : m_types(types), m_serial(std::move(serialDevices))
{
}

void CPagingChoices::Load(ISettings& settings)
{
    lineDevice = ShownPortName(settings.Get(key::PagePort));
    type = settings.Get(key::PageModemType);
    if (!m_types.Find(type)) type.clear();
    init = settings.Get(key::PageInitializationString);
    mailAddress = settings.Get(key::MailAddress);
    ip = IpAddressParts(settings.Get(key::IPAddress));
    ipPort = settings.Get(key::IPPort);
    BuildLineDevices(lineDevice);
}

void CPagingChoices::Store(ISettings& settings) const
{
    StoreIfChosen(settings, key::PagePort, StoredPortName(lineDevice));
    StoreIfChosen(settings, key::PageModemType, type);
    settings.Write(key::PageInitializationString, init);
    settings.Write(key::MailAddress, mailAddress);
    settings.Write(key::IPAddress, IpAddressSetting(ip));
    settings.Write(key::IPPort, ipPort);
}

void CPagingChoices::ChooseType(const std::string& chosen)
{
    type = chosen;
    init = InitStringFor(m_types, chosen);
    if (chosen != kDirectConnectType && IsComPort(lineDevice)) lineDevice = kPortNone;
    BuildLineDevices(lineDevice);
}

std::vector<std::string> CPagingChoices::TypeNames() const
{
    return TypeNamesOf(m_types);
}

void CPagingChoices::BuildLineDevices(const std::string& keep)
{
    m_lineDevices = {kPortNone};
    m_lineDevices.insert(m_lineDevices.end(), m_serial.begin(), m_serial.end());
    for (const GatewayPortName& gateway : kGatewayPorts) m_lineDevices.push_back(gateway.shown);
    if (type == kDirectConnectType) m_lineDevices.insert(m_lineDevices.end(), std::begin(kComPorts), std::end(kComPorts));
    KeepStored(m_lineDevices, keep);
}

CMonitorChoices::CMonitorChoices(const CModemTypes& types, std::vector<std::string> serialDevices)
    : m_types(types)
{
    m_lineDevices = {kPortNone};
    m_lineDevices.insert(m_lineDevices.end(), serialDevices.begin(), serialDevices.end());
    m_lineDevices.insert(m_lineDevices.end(), std::begin(kComPorts), std::end(kComPorts));
}

void CMonitorChoices::Load(ISettings& settings)
{
    lineDevice = settings.Get(key::MonitorPort);
    KeepStored(m_lineDevices, lineDevice);
    type = settings.Get(key::MonitorModemType);
    if (!Contains(TypeNames(), type)) type.clear();
    init = settings.Get(key::MonitorInitializationString);
}

void CMonitorChoices::Store(ISettings& settings) const
{
    StoreIfChosen(settings, key::MonitorPort, lineDevice);
    StoreIfChosen(settings, key::MonitorModemType, type);
    settings.Write(key::MonitorInitializationString, init);
}

void CMonitorChoices::ChooseType(const std::string& chosen)
{
    type = chosen;
    init = InitStringFor(m_types, chosen);
}

std::vector<std::string> CMonitorChoices::TypeNames() const
{
    std::vector<std::string> names = TypeNamesOf(m_types);
    for (const char* unit : {kRochelleAni323, kRochelle2802})
        if (!Contains(names, unit)) names.push_back(unit);
    return names;
}

void CPortSettingsChoices::Load(ISettings& settings)
{
    baud = IndexOf(kBaudChoices, settings.Get(key::PagePortBaud));
    wordLength = IndexOf(kWordLengthChoices, settings.Get(key::PagePortWordLen));
    parity = IndexOf(kParityStored, settings.Get(key::PagePortParity));
    stopBits = IndexOf(kStopBitChoices, settings.Get(key::PagePortStopBits));
}

void CPortSettingsChoices::Store(ISettings& settings) const
{
    StoreChoice(settings, key::PagePortBaud, kBaudChoices, baud);
    StoreChoice(settings, key::PagePortWordLen, kWordLengthChoices, wordLength);
    StoreChoice(settings, key::PagePortParity, kParityStored, parity);
    StoreChoice(settings, key::PagePortStopBits, kStopBitChoices, stopBits);
}

void CPortSettingsChoices::ChooseWordLength(int index)
{
    wordLength = index;
    if (index == kEightBits) parity = kParityNone;
}

void CPortSettingsChoices::ChooseParity(int index)
{
    parity = index;
    if (index != kParityNone && index != kNoChoice) wordLength = 0;
}

const char* CPortSettingsChoices::Warning() const
{
    if (wordLength != 0 || parity != kParityEven || stopBits != 0) return kWordLengthWarningText;
    if (baud != 0) return kBaudWarningText;
    return nullptr;
}

}  // namespace corvane
