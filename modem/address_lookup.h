#pragma once
// A host looked up without blocking: an address in numbers is taken at once, a name is
// asked of the resolver in the background (getaddrinfo_a) and polled, so that a slow or
// absent name server never holds up the program and the wait can be cancelled.

#include <netdb.h>
#include <sys/socket.h>

#include <memory>
#include <string>
#include <vector>

namespace corvane {

struct SocketAddress {
    sockaddr_storage address {};
    socklen_t length = 0;
    int family = AF_UNSPEC;
};

class CAddressLookup {
public:
    enum class State { Pending, Done, Failed };

    CAddressLookup(const std::string& host, int port);
    ~CAddressLookup();
    CAddressLookup(const CAddressLookup&) = delete;
    CAddressLookup& operator=(const CAddressLookup&) = delete;

    State Poll();
    // The addresses found, in the resolver's order (once Done).
    const std::vector<SocketAddress>& Addresses() const { return m_addresses; }

    struct Request;  // the resolver's request; it must outlive the lookup while running

private:
    void Take(const addrinfo* found);

    std::unique_ptr<Request> m_request;
    std::vector<SocketAddress> m_addresses;
    State m_state = State::Pending;
};

}  // namespace corvane
