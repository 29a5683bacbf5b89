#pragma once
// Releasing the keyboard grab from a signal handler. A grab belongs to the connection that
// made it: shutting that connection's socket down makes the display server drop it at
// once, which is all a signal handler may safely do. The backends register the socket of
// the connection that holds a grab while they hold it.

namespace dz::input {

// The connection `fd` holds a grab (replaces nothing: up to a few at a time).
void RegisterGrabConnection(int fd) noexcept;
// It no longer does; answers false when a signal has shut it down meanwhile.
bool UnregisterGrabConnection(int fd) noexcept;

// Async-signal-safe: shuts down every registered connection, so that the grabs it holds
// end now rather than when the program has finished its shut-down. The backend notices the
// closed connection and drops it.
void ReleaseInputGrabsFromSignal() noexcept;

}  // namespace dz::input
