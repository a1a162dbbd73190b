#pragma once
// A paging terminal reached over TCP: the page port "tcp:host:port", or a pager's phone
// number of that form. The connection takes the place of the modem's call: it carries
// the TAP dialogue's bytes unchanged, and the terminal hanging up is the line going away.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "modem/address_lookup.h"
#include "modem/network_line.h"

namespace corvane {

// "tcp:" in any case, then something.
bool IsTcpLineName(std::string_view name);

struct TcpEndpoint {
    std::string host;  // a name, an IPv4 address, or an IPv6 address (written in brackets)
    int port = 0;
};
// "tcp:host:port" or "tcp:[IPv6 address]:port"; false when it is not of that form or the
// port is not 1..65535.
bool ParseTcpLineName(std::string_view name, TcpEndpoint& endpoint);

inline constexpr int kTcpWriteTimeoutMs = 10000;

class CTcpLine final : public INetworkLine {
public:
    explicit CTcpLine(std::string_view name);
    ~CTcpLine() override;
    CTcpLine(const CTcpLine&) = delete;
    CTcpLine& operator=(const CTcpLine&) = delete;

    bool Valid() const override { return m_valid; }
    LineConnect Connect() override;
    LineConnect Poll() override;
    void Disconnect() override;
    std::string Endpoint() const override;
    // Why the last attempt failed (an errno value), 0 when it did not.
    int ConnectError() const { return m_connectError; }
    bool IsConnected() const { return m_connected; }

    void Write(std::string_view bytes) override;
    std::size_t Read(char* buffer, std::size_t max) override;
    unsigned TakeErrors() override;
    // A socket keeps nothing to purge on the way out; what has arrived is read and dropped.
    void Purge(bool transmit, bool receive) override;
    void ClearBreak() override {}
    // The socket, or -1 when there is none or the terminal has hung up.
    int Fd() const override { return m_gone ? -1 : m_fd; }

private:
    LineConnect TryNextAddress();
    void Connected();
    void Gone();

    TcpEndpoint m_endpoint;
    bool m_valid = false;
    std::unique_ptr<CAddressLookup> m_lookup;
    std::vector<SocketAddress> m_addresses;
    std::size_t m_nextAddress = 0;
    int m_fd = -1;
    bool m_connected = false;
    bool m_gone = false;
    unsigned m_errors = 0;
    int m_connectError = 0;
};

}  // namespace corvane
