#pragma once

namespace platform {

// Tells the desktop session that a policy setting changed: the signal SettingChange("Policy") of
// the interface org.sieciownik.Settings, on the session bus when there is one. Returns once the
// bus has passed the signal on; does nothing without a session bus.
void sendPolicyNotice();

}  // namespace platform
