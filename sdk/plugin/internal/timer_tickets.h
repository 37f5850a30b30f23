// The process-wide table behind the context word of every ScheduleCallback: a ticket that is
// never reused while it is live, mapped to the timer entry it stands for. A host may run a
// timer after the plugin that asked for it is gone; its ticket then finds nothing.
#pragma once

#include <cstdint>

namespace Vorn::Client::detail {

// A new ticket (never 0, never one still live) for `entry`.
uintptr_t IssueTimerTicket(void* entry);
// The entry of a live ticket, or null once it was withdrawn.
void* FindTimerTicket(uintptr_t ticket);
void WithdrawTimerTicket(uintptr_t ticket);

}  // namespace Vorn::Client::detail
