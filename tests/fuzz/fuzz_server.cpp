// The long-lived server connection through the exports, as a host drives it: a loopback
// server sends the input (cut into pieces at 0xFF bytes) and closes, while the host
// dispatches, posts and disconnects. The first byte picks direct or through the proxy
// (bit 0) and whether the host disconnects from inside the first delivery (bit 1).
#include <poll.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>

#include "LoopbackPeer.h"
#include "kestrup.h"

namespace {

bool GDisconnectInside = false;
size_t GSeen = 0;

void Status(const char* text) {
    // Every delivery must be a zero-terminated text the host may read to its end.
    size_t n = std::strlen(text);
    for (size_t i = 0; i < n; ++i) GSeen += static_cast<unsigned char>(text[i]);
    if (GDisconnectInside && std::strncmp(text, "Status=", 7) != 0) {
        GDisconnectInside = false;
        Server_Disconnect();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::TLoopbackPeer server;
    if (size < 1 || size > 65536) return 0;
    server.SetScript(fuzz::Pieces(data + 1, size - 1));
    const bool proxy = data[0] & 1;
    GDisconnectInside = data[0] & 2;
    if (proxy)
        Set_Proxy_Server(1, "127.0.0.1", server.Port, 500);
    else
        Set_Proxy_Server(0, "", 0, 0);
    if (Server_Connect(proxy ? "" : "127.0.0.1", proxy ? "far.example" : "", server.Port, Status)) {
        // The host's loop: until the server's close is seen, or a bounded while.
        const int fd = Kestrup_Event_Fd();
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        bool posted = false, was = false;
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, 5);
            Kestrup_Dispatch();
            if (!posted) {
                Server_Post("hello\r\n");
                posted = true;
            }
            const bool now = Server_Connected();
            if (was && !now) break;
            was = now;
        }
    }
    Server_Disconnect();
    return 0;
}
