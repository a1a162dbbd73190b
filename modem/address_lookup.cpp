#include "modem/address_lookup.h"

#include <netdb.h>

#include <cstring>

namespace corvane {

struct CAddressLookup::Request {
    std::string host;
    std::string service;
    addrinfo hints {};
    gaicb block {};
};

namespace {

using RequestPtr = std::unique_ptr<CAddressLookup::Request>;

// Requests given up while the resolver was still working on them: the resolver writes
// into them when it is done, so they are freed only then (at the next lookup).
std::vector<RequestPtr>& Abandoned()
{
    static std::vector<RequestPtr> requests;
    return requests;
}

void FreeResult(CAddressLookup::Request& request)
{
    if (request.block.ar_result) ::freeaddrinfo(request.block.ar_result);
    request.block.ar_result = nullptr;
}

void FreeFinished()
{
    std::erase_if(Abandoned(), [](const RequestPtr& request) {
        if (::gai_error(&request->block) == EAI_INPROGRESS) return false;
        FreeResult(*request);
        return true;
    });
}

}  // namespace

CAddressLookup::CAddressLookup(const std::string& host, int port)
{
    FreeFinished();
    const std::string service = std::to_string(port);
    addrinfo hints {};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) == 0) {
        Take(found);
        ::freeaddrinfo(found);
        m_state = m_addresses.empty() ? State::Failed : State::Done;
        return;
    }
    if (host.empty()) {
        m_state = State::Failed;
        return;
    }

    m_request = std::make_unique<Request>();
    Request& request = *m_request;
    request.host = host;
    request.service = service;
    request.hints.ai_socktype = SOCK_STREAM;
    request.hints.ai_flags = AI_NUMERICSERV;
    request.block.ar_name = request.host.c_str();
    request.block.ar_service = request.service.c_str();
    request.block.ar_request = &request.hints;
    gaicb* list[] = {&request.block};
    if (::getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) != 0) {
        m_request.reset();
        m_state = State::Failed;
    }
}

CAddressLookup::~CAddressLookup()
{
    if (!m_request) return;
    if (::gai_cancel(&m_request->block) == EAI_NOTCANCELED) {
        Abandoned().push_back(std::move(m_request));
        return;
    }
    FreeResult(*m_request);
}

CAddressLookup::State CAddressLookup::Poll()
{
    if (!m_request) return m_state;
    const int status = ::gai_error(&m_request->block);
    if (status == EAI_INPROGRESS) return State::Pending;
    if (status == 0) Take(m_request->block.ar_result);
    FreeResult(*m_request);
    m_request.reset();
    m_state = m_addresses.empty() ? State::Failed : State::Done;
    return m_state;
}

void CAddressLookup::Take(const addrinfo* found)
{
    for (const addrinfo* at = found; at; at = at->ai_next) {
        if (!at->ai_addr || at->ai_addrlen > sizeof(sockaddr_storage)) continue;
        SocketAddress address;
        std::memcpy(&address.address, at->ai_addr, at->ai_addrlen);
        address.length = at->ai_addrlen;
        address.family = at->ai_family;
        m_addresses.push_back(address);
    }
}

}  // namespace corvane
