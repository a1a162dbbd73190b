#pragma once
// What every sender of pages decides the same way: which transport a pager's number
// names, the next page number, whether a page of a finished call went out, and the
// pause after a modem call.

#include <cstdint>
#include <string>

#include "common/clock.h"
#include "common/event_pump.h"

namespace corvane {

// A PhoneNumber "SNPP:host[:port]..." names an SNPP server instead of a number to dial.
bool IsSnppNumber(const std::string& phone);

// The page number after counter: one up, 0 after 999.
std::int16_t NextPageNumber(std::int16_t counter);

// Whether one page of an alphanumeric call went out: callResult is the call's result,
// pageStatus the page entry's DeliveryStatus. An SNPP page carries its own result (none
// went out when the run never reached the server); a modem call that failed after
// blocks were taken went out page by page.
bool PageDelivered(bool snpp, int callResult, int pageStatus, bool snppNeverSent);

// After a modem call the modem must hang up before it dials again.
inline constexpr int kPauseAfterModemCallMs = 4000;
void PauseAfterModemCall(IEventPump& pump, const IClock& clock);

}  // namespace corvane
