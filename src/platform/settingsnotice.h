#pragma once

namespace platform {

// Tells the desktop session that a policy setting changed: the signal SettingChange("Policy") of
// the interface org.sieciownik.Settings, on the session bus the desktop announces. Returns at once,
// without waiting for the bus; does nothing without a session bus.
void sendPolicyNotice();

}  // namespace platform
