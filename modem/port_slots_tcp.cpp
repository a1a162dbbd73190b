#include "modem/port_slots.h"

namespace corvane {

// Nothing is opened and no modem is initialised: the address is kept for the page calls,
// each of which connects to the terminal for itself. A page port that names no usable
// address is told at once, as a missing device would be.
bool CPortSlots::OpenPageLine(bool showMessages, const std::string& name)
{
    auto line = std::make_unique<CTcpLine>(name);
    if (!line->Valid())
        return Fail(showMessages, "The selected Page Modem Port " + name +
                                      " is not a network address.  Write it as tcp:host:port.");
    m_pageLine = std::move(line);
    return true;
}

}  // namespace corvane
