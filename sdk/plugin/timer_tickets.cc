// Timer tickets under one process-wide mutex.
#include "sdk/plugin/internal/timer_tickets.h"

#include <mutex>
#include <unordered_map>

namespace Vorn::Client::detail {
namespace {

struct TicketTable {
  std::mutex lock;
  std::unordered_map<uintptr_t, void*> entries;
  uintptr_t next = 1;
};

// Never destroyed: a host may run a timer from a late static destructor.
TicketTable& Tickets() {
  static auto* table = new TicketTable;
  return *table;
}

}  // namespace

uintptr_t IssueTimerTicket(void* entry) {
  TicketTable& table = Tickets();
  std::lock_guard<std::mutex> hold(table.lock);
  // A 32-bit counter can wrap in a long-lived process: skip 0 and every ticket still out.
  uintptr_t ticket = table.next++;
  while (ticket == 0 || table.entries.count(ticket) != 0)
    ticket = table.next++;
  table.entries.emplace(ticket, entry);
  return ticket;
}

void* FindTimerTicket(uintptr_t ticket) {
  TicketTable& table = Tickets();
  std::lock_guard<std::mutex> hold(table.lock);
  auto found = table.entries.find(ticket);
  return found == table.entries.end() ? nullptr : found->second;
}

void WithdrawTimerTicket(uintptr_t ticket) {
  TicketTable& table = Tickets();
  std::lock_guard<std::mutex> hold(table.lock);
  table.entries.erase(ticket);
}

}  // namespace Vorn::Client::detail
