// FTP and SMTP peers: pyftpdlib and aiosmtpd as child processes, and a scripted
// FTP server whose replies a test writes line by line.
#pragma once

#include <map>

#include "TestSupport.h"

#ifndef KESTRUP_TEST_PEERS
#define KESTRUP_TEST_PEERS "."
#endif

namespace nettest {

// pyftpdlib serving a folder to one user.
struct TFtpServer {
    int Port = FreePort();
    std::unique_ptr<TChild> Child;
    TFtpServer(const std::string& dir, const std::string& log, const std::string& user = "user",
               const std::string& password = "secret") {
        Child = std::make_unique<TChild>(
            std::vector<std::string>{"/usr/bin/python3", "-m", "pyftpdlib", "-i", "127.0.0.1", "-p",
                                     std::to_string(Port), "-d", dir, "-u", user, "-P", password},
            log);
        if (!WaitForPort(Port)) throw std::runtime_error("pyftpdlib did not start");
    }
};

// aiosmtpd writing every message it accepts into a folder.
struct TSmtpServer {
    int Port = FreePort();
    std::string Folder;
    std::unique_ptr<TChild> Child;
    TSmtpServer(const std::string& folder, const std::string& log) : Folder(folder) {
        Child = std::make_unique<TChild>(
            std::vector<std::string>{"/usr/bin/python3", KESTRUP_TEST_PEERS "/smtp_peer.py",
                                     std::to_string(Port), folder},
            log);
        if (!WaitForPort(Port)) throw std::runtime_error("aiosmtpd did not start");
    }
    // The n-th message received (1-based), waiting for it up to ms.
    std::string Message(int n, int ms = 3000) const {
        std::string path = Folder + "/" + std::to_string(n) + ".eml";
        auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (!std::filesystem::exists(path) && Clock::now() < end) SleepMs(10);
        return ReadFile(path);
    }
};

// A listening socket on 127.0.0.1 for a scripted data connection.
struct TDataListener {
    int Fd = -1;
    int Port = 0;
    TDataListener() {
        Fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(Fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(Fd, 1);
        socklen_t len = sizeof a;
        ::getsockname(Fd, reinterpret_cast<sockaddr*>(&a), &len);
        Port = ntohs(a.sin_port);
    }
    ~TDataListener() { ::close(Fd); }
    // Accepts one connection within ms; -1 when none came.
    int Accept(int ms = 3000) const {
        pollfd p{Fd, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) return -1;
        return ::accept4(Fd, nullptr, nullptr, SOCK_CLOEXEC);
    }
};

// Connects to 127.0.0.1:port (an active-mode data connection); -1 on failure.
inline int ConnectTo(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline void SendAll(int fd, const std::string& s) {
    TPeer p;
    p.Fd = fd;
    p.Send(s);
}

// A line-by-line dialogue: the greeting is sent, then every command line read is
// recorded and answered by the handler's text (sent as is; empty sends nothing).
// The dialogue ends when the client closes or the handler returns "<close>".
class TScriptedDialog {
public:
    using THandler = std::function<std::string(const std::string& line, TPeer& peer)>;

    TScriptedDialog(std::string greeting, THandler handler)
        : FServer(
              [this, greeting = std::move(greeting), handler = std::move(handler)](TPeer& peer,
                                                                                   int) {
                  peer.Send(greeting);
                  std::string pending;
                  auto end = Clock::now() + std::chrono::seconds(20);
                  while (Clock::now() < end) {
                      size_t lf = pending.find('\n');
                      if (lf == std::string::npos) {
                          pollfd p{peer.Fd, POLLIN, 0};
                          if (::poll(&p, 1, 20) <= 0) continue;
                          char buf[4096];
                          ssize_t n = ::recv(peer.Fd, buf, sizeof buf, 0);
                          if (n <= 0) return;
                          pending.append(buf, size_t(n));
                          continue;
                      }
                      std::string line = pending.substr(0, lf + 1);
                      pending.erase(0, lf + 1);
                      {
                          std::lock_guard<std::mutex> g(FLock);
                          FLines.push_back(line);
                      }
                      std::string reply = handler(line, peer);
                      if (reply == "<close>") return;
                      peer.Send(reply);
                  }
              },
              false) {}

    int Port() const { return FServer.Port(); }
    int Connections() const { return FServer.Connections(); }
    // Every line received, CR LF included.
    std::vector<std::string> Lines() {
        std::lock_guard<std::mutex> g(FLock);
        return FLines;
    }
    bool Received(const std::string& prefix) {
        for (const auto& l : Lines())
            if (l.rfind(prefix, 0) == 0) return true;
        return false;
    }

private:
    std::mutex FLock;
    std::vector<std::string> FLines;
    TScriptServer FServer;
};

inline bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.rfind(prefix, 0) == 0;
}

inline std::string RandomBytes(size_t n, unsigned seed = 7) {
    std::string s(n, '\0');
    unsigned x = seed;
    for (auto& c : s) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 16);
    }
    return s;
}

}  // namespace nettest
