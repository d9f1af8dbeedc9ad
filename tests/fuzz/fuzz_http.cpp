// The HTTP response reader (status line, header lines, body) on a real connection: a
// loopback server in this process answers each request with the input and closes.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "HttpClient.h"

namespace {

class TReplyServer {
public:
    TReplyServer() {
        FListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(FListen, 4);
        socklen_t len = sizeof a;
        ::getsockname(FListen, reinterpret_cast<sockaddr*>(&a), &len);
        Port = ntohs(a.sin_port);
        std::thread([this] { Loop(); }).detach();
    }
    void SetReply(std::string reply) {
        std::lock_guard<std::mutex> g(FLock);
        FReply = std::move(reply);
    }
    int Port = 0;

private:
    int FListen = -1;
    std::mutex FLock;
    std::string FReply;

    void Loop() {
        for (;;) {
            int fd = ::accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            std::string request;
            char buf[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, 1000) <= 0) break;
                ssize_t n = ::recv(fd, buf, sizeof buf, 0);
                if (n <= 0) break;
                request.append(buf, size_t(n));
            }
            std::string reply;
            {
                std::lock_guard<std::mutex> g(FLock);
                reply = FReply;
            }
            size_t done = 0;
            while (done < reply.size()) {
                ssize_t n = ::send(fd, reply.data() + done, reply.size() - done, MSG_NOSIGNAL);
                if (n <= 0) break;
                done += size_t(n);
            }
            ::shutdown(fd, SHUT_WR);
            ::close(fd);
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TReplyServer server;
    server.SetReply(std::string(reinterpret_cast<const char*>(data), size));
    kestrup::THttpClient client;
    client.TimeOut = 2000;
    client.MaxBody = 1 << 20;
    client.Header.clear();
    client.Body.clear();
    // Only a relative location is followed, so every request stays on loopback.
    client.OnRedirect = [](kestrup::THttpClient& c, bool& handled) {
        handled = c.Url().find(':') != std::string::npos || c.Url().compare(0, 2, "//") == 0;
    };
    try {
        client.Get("http://127.0.0.1:" + std::to_string(server.Port) + "/fuzz");
    } catch (const std::exception&) {
    }
    return 0;
}
