#pragma once
#include <string>

/// Asks the system whether a TCP port can be listened on as a server listens (every address, IPv4 and IPv6,
/// address reuse on), without keeping it: the answer holds only until another program takes the port.
class PortProbe {
public:
    /// The system's reason the port cannot be listened on, in its own words ("Address already in use"), or ""
    /// when it can.
    static std::string whyUnusable(unsigned port);
    /// The first port from `from` up (at most `tries` of them, never past 65535) that can be listened on; 0 when
    /// none of them can.
    static unsigned nextUsable(unsigned from, unsigned tries = 100);
};
