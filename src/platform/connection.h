#pragma once

#include <functional>

namespace platform {

// The connection-state query: answers whether the machine is online. Empty when the platform
// offers no way to ask, which callers treat as "connected".
using ConnectedQuery = std::function<bool()>;

// Looks the query up once; the backend it loads stays loaded for the whole run.
ConnectedQuery lookupConnectedQuery();

}  // namespace platform
