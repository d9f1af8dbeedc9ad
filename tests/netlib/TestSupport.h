// Peers for the network tests: scripted servers on in-test threads, and real
// servers (Python's http.server, tinyproxy) started as child processes. All of
// them listen on 127.0.0.1 with ephemeral ports.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "../common/Loopback.h"

extern char** environ;

namespace nettest {

// The message of the exception f throws, or "no failure".
template <class F>
std::string FailureOf(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no failure";
}


using Clock = std::chrono::steady_clock;

inline void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// One accepted connection as a script sees it.
struct TPeer {
    int Fd = -1;
    std::string Request;  // header and body as received

    void Send(const std::string& s) const {
        size_t done = 0;
        while (done < s.size()) {
            ssize_t n = ::send(Fd, s.data() + done, s.size() - done, MSG_NOSIGNAL);
            if (n <= 0) return;
            done += size_t(n);
        }
    }
    // Reads until text contains what (or ms pass); returns what was read.
    std::string ReadUntil(const std::string& what, int ms = 3000) {
        std::string got;
        auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (got.find(what) == std::string::npos && Clock::now() < end) {
            pollfd p{Fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            char buf[65536];
            ssize_t n = ::recv(Fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            got.append(buf, size_t(n));
        }
        return got;
    }
    // Reads everything until the client closes (or ms pass).
    std::string ReadAll(int ms = 3000) { return ReadUntil(std::string(1, '\0') + "never", ms); }
    // Waits until the client closes the connection (or ms pass).
    void WaitClose(int ms) { ReadAll(ms); }
};

// A server on a thread that runs a script for every connection, one at a time.
// With readRequest the request header (and a body of its Content-Length) is read
// before the script runs.
class TScriptServer {
public:
    using TScript = std::function<void(TPeer&, int index)>;

    explicit TScriptServer(TScript script, bool readRequest = true)
        : FScript(std::move(script)), FReadRequest(readRequest) {
        FListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0 ||
            ::listen(FListen, 8) < 0)
            throw std::runtime_error("test server cannot listen");
        socklen_t len = sizeof a;
        ::getsockname(FListen, reinterpret_cast<sockaddr*>(&a), &len);
        FPort = ntohs(a.sin_port);
        FThread = std::thread([this] { Loop(); });
    }
    ~TScriptServer() {
        FStop = true;
        FThread.join();
        ::close(FListen);
    }
    int Port() const { return FPort; }
    int Connections() const { return FCount; }
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> g(FLock);
        return FRequests;
    }

private:
    TScript FScript;
    bool FReadRequest;
    int FListen = -1;
    int FPort = 0;
    std::atomic<bool> FStop{false};
    std::atomic<int> FCount{0};
    std::mutex FLock;
    std::vector<std::string> FRequests;
    std::thread FThread;

    void Loop() {
        while (!FStop) {
            pollfd p{FListen, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            TPeer peer;
            peer.Fd = ::accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
            if (peer.Fd < 0) continue;
            int index = FCount;
            if (FReadRequest) {
                peer.Request = peer.ReadUntil("\r\n\r\n");
                size_t cl = peer.Request.find("Content-Length: ");
                size_t headEnd = peer.Request.find("\r\n\r\n");
                if (cl != std::string::npos && headEnd != std::string::npos) {
                    size_t want = std::strtoul(peer.Request.c_str() + cl + 16, nullptr, 10);
                    auto end = Clock::now() + std::chrono::seconds(3);
                    while (peer.Request.size() < headEnd + 4 + want && Clock::now() < end) {
                        pollfd q{peer.Fd, POLLIN, 0};
                        if (::poll(&q, 1, 20) <= 0) continue;
                        char buf[4096];
                        ssize_t n = ::recv(peer.Fd, buf, sizeof buf, 0);
                        if (n <= 0) break;
                        peer.Request.append(buf, size_t(n));
                    }
                }
                std::lock_guard<std::mutex> g(FLock);
                FRequests.push_back(peer.Request);
            }
            ++FCount;
            FScript(peer, index);
            ::close(peer.Fd);
        }
    }
};

// A child process, ended (by its own id) when the object goes.
class TChild {
public:
    TChild(const std::vector<std::string>& argv, const std::string& outFile) {
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_adddup2(&fa, 1, 2);
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        if (posix_spawn(&FPid, args[0], &fa, nullptr, args.data(), environ) != 0) FPid = -1;
        posix_spawn_file_actions_destroy(&fa);
        if (FPid < 0) throw std::runtime_error("cannot start " + argv[0]);
    }
    ~TChild() {
        if (FPid > 0) {
            ::kill(FPid, SIGTERM);
            int status;
            for (int i = 0; i < 200 && ::waitpid(FPid, &status, WNOHANG) == 0; ++i) SleepMs(10);
            if (::waitpid(FPid, &status, WNOHANG) == 0) {
                ::kill(FPid, SIGKILL);
                ::waitpid(FPid, &status, 0);
            }
        }
    }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;

private:
    pid_t FPid = -1;
};

// A temporary folder removed with its contents.
struct TTempDir {
    std::filesystem::path Path;
    TTempDir() {
        char tmpl[] = "/tmp/kestrup-test-XXXXXX";
        Path = ::mkdtemp(tmpl);
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    std::string File(const std::string& name) const { return (Path / name).string(); }
    void Write(const std::string& name, const std::string& data) const {
        std::ofstream(File(name), std::ios::binary) << data;
    }
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

using loopback::FreePort;
using loopback::PortOpen;

inline bool WaitForPort(int port, int ms = 5000) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        if (PortOpen(port)) return true;
        SleepMs(20);
    }
    return false;
}

// Debian's Python serving a folder.
struct THttpServer {
    int Port = FreePort();
    std::unique_ptr<TChild> Child;
    explicit THttpServer(const std::string& dir, const std::string& log) {
        Child = std::make_unique<TChild>(
            std::vector<std::string>{"/usr/bin/python3", "-m", "http.server", "--bind", "127.0.0.1",
                                     "--directory", dir, std::to_string(Port)},
            log);
        if (!WaitForPort(Port)) throw std::runtime_error("http.server did not start");
    }
};

// Our own tinyproxy instance with a generated configuration.
struct TProxy {
    int Port = FreePort();
    std::unique_ptr<TChild> Child;
    explicit TProxy(const TTempDir& dir) {
        std::string conf = dir.File("tinyproxy.conf");
        std::ofstream(conf) << "Port " << Port << "\nListen 127.0.0.1\nTimeout 30\n"
                            << "MaxClients 20\nAllow 127.0.0.1\nLogLevel Info\n"
                            << "DisableViaHeader Yes\n";
        Child = std::make_unique<TChild>(
            std::vector<std::string>{"/usr/bin/tinyproxy", "-d", "-c", conf},
            dir.File("tinyproxy.log"));
        if (!WaitForPort(Port)) throw std::runtime_error("tinyproxy did not start");
    }
};

}  // namespace nettest
