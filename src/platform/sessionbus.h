#pragma once

namespace platform {

// Whether the desktop announces a session bus: its address in the environment, or the user's bus
// socket. Without either, the bus library would start a bus of its own, which no desktop listens
// to, and take a noticeable time to do so.
bool sessionBusAnnounced();

}  // namespace platform
