// The names the loyalty plugin answers to, as a host sees them.
#pragma once

namespace Vorn::Host {

inline constexpr const char* kPath = "/qev-loyalty/v1/status-notification";
inline constexpr const char* kLcdsEvent =
    "OnLcdsEvent_com_kestrawin_platform_loyalty_message_LoyaltyStateChangeNotification";
inline constexpr const char* kTypeName =
    "com.kestrawin.platform.loyalty.message.LoyaltyStateChangeNotification";

}  // namespace Vorn::Host
