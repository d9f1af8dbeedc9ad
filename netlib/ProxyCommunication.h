// The long-lived server connection through the proxy: a socket base whose
// connection goes to the proxy's host and port when one is set.
#pragma once

#include <string>

#include "Communication.h"
#include "SocketBase.h"

namespace kestrup {

class TSocketBaseEx : public TSocketBase {
public:
    // Connects, then lets a later close drain what was written instead of
    // resetting the connection, so a post followed by a disconnect arrives whole.
    void Open();
};

namespace ProxyCommunication {

bool Server_Connect(const std::string& address, const std::string& host, int port,
                    TStatusCallback callback);
bool Server_Connected();
bool Server_Post(const std::string& data);
bool Server_Disconnect();

}  // namespace ProxyCommunication

}  // namespace kestrup
