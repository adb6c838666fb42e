#pragma once

#include "privacy/privacyregistry.h"

namespace privacy {

// Closes the open key and goes back to the current user's root when a routine leaves, however it
// leaves.
class KeyGuard {
 public:
  explicit KeyGuard(PrivacyRegistry& registry) : registry_(registry) {}
  ~KeyGuard() {
    registry_.CloseKey();
    if (registry_.RootKey() != platform::RootKey::CurrentUser) registry_.SetRootKey(platform::RootKey::CurrentUser);
  }
  KeyGuard(const KeyGuard&) = delete;
  KeyGuard& operator=(const KeyGuard&) = delete;

 private:
  PrivacyRegistry& registry_;
};

}  // namespace privacy
