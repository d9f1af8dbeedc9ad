// The server connection through the proxy: a socket base whose connection goes to
// the proxy's host and port when one is set, and waits until it is made.
#pragma once

#include "Communication.h"
#include "SocketBase.h"

namespace kestrup {

class TSocketBaseEx : public TSocketBase {
public:
    // Connects, then lets a later close drain what the socket already took instead
    // of resetting the connection, so a post followed by a disconnect arrives whole.
    void Open();
};

}  // namespace kestrup
