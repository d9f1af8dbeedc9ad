// Shared by the network fuzz targets: a loopback server in this process that answers
// every connection with the current input, sent in pieces, and reads what the client
// says until it closes.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fuzz {

inline bool SendAll(int fd, const std::string& s) {
    size_t done = 0;
    while (done < s.size()) {
        ssize_t n = ::send(fd, s.data() + done, s.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

// A connection to 127.0.0.1:port, or -1.
inline int ConnectLoopback(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

class TLoopbackPeer {
public:
    // Called with every line the client sends.
    using TLineHook = std::function<void(const std::string& line)>;

    explicit TLoopbackPeer(TLineHook hook = {}) : FHook(std::move(hook)) {
        FListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int one = 1;
        ::setsockopt(FListen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(FListen, 8);
        socklen_t len = sizeof a;
        ::getsockname(FListen, reinterpret_cast<sockaddr*>(&a), &len);
        Port = ntohs(a.sin_port);
        std::thread([this] { Loop(); }).detach();
    }

    // The pieces the next connections get, each sent on its own after a short pause.
    void SetScript(std::vector<std::string> pieces) {
        std::lock_guard<std::mutex> g(FLock);
        FPieces = std::move(pieces);
    }

    int Port = 0;

private:
    int FListen = -1;
    std::mutex FLock;
    std::vector<std::string> FPieces;
    TLineHook FHook;

    void Loop() {
        for (;;) {
            int fd = ::accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            std::vector<std::string> pieces;
            {
                std::lock_guard<std::mutex> g(FLock);
                pieces = FPieces;
            }
            bool first = true;
            for (const std::string& p : pieces) {
                if (!first) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                first = false;
                if (!SendAll(fd, p)) break;
            }
            ::shutdown(fd, SHUT_WR);
            // Reads until the client closes, so that its commands never meet a reset.
            std::string pending;
            char buf[4096];
            auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (std::chrono::steady_clock::now() < end) {
                pollfd q{fd, POLLIN, 0};
                if (::poll(&q, 1, 100) <= 0) continue;
                ssize_t n = ::recv(fd, buf, sizeof buf, 0);
                if (n <= 0) break;
                pending.append(buf, size_t(n));
                for (size_t lf; (lf = pending.find('\n')) != std::string::npos;) {
                    if (FHook) FHook(pending.substr(0, lf + 1));
                    pending.erase(0, lf + 1);
                }
                if (pending.size() > 65536) pending.clear();
            }
            ::close(fd);
        }
    }
};

// The input cut at every 0xFF byte (the marker itself dropped): the pieces a server
// sends with pauses between them, so that replies also arrive split.
inline std::vector<std::string> Pieces(const uint8_t* data, size_t size, size_t most = 16) {
    std::vector<std::string> out(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF && out.size() < most)
            out.emplace_back();
        else
            out.back() += char(data[i]);
    }
    return out;
}

}  // namespace fuzz
