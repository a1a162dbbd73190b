#pragma once
// A line that reaches the paging terminal itself, over the network, instead of a modem.
// The page call connects it where it would dial and closes it where it would hang up;
// in between it is read and written like any other line.

#include <string>

#include "modem/byte_port.h"

namespace corvane {

enum class LineConnect {
    Connected,
    Pending,  // ask again (through Poll) once the event pump has waited a while
    Failed,
};

class INetworkLine : public IBytePort {
public:
    // False when the address cannot be used at all; Connect then fails at once.
    virtual bool Valid() const = 0;
    // Begins a connection (looking the host up first, when it is a name). Never blocks.
    virtual LineConnect Connect() = 0;
    // Carries the attempt begun by Connect on, without blocking.
    virtual LineConnect Poll() = 0;
    // Ends the connection (or the attempt); safe to call at any time.
    virtual void Disconnect() = 0;
    // "host:port", for the status line.
    virtual std::string Endpoint() const = 0;
};

}  // namespace corvane
