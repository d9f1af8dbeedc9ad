#include "ProxyCommunication.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "Main.h"

namespace kestrup {

void TSocketBaseEx::Open() {
    Connect();
    linger lg{0, 0};
    ::setsockopt(Handle(), SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
}

namespace ProxyCommunication {

namespace {

// Blocks delivered per event; the socket's events are edge-triggered, so what is
// left is picked up through a wake-up of our own.
constexpr int ReadBlocksPerEvent = 16;

void Status(const char* text);

}  // namespace

namespace {

struct TComObject {
    TSocketBaseEx Socket;
    TDispatcher& Dispatcher = TDispatcher::Current();
    int More = -1;  // readable while received text waits to be delivered

    TComObject() {
        More = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (More < 0) throw ESockError("Cannot create the connection");
        Dispatcher.Add(More, EPOLLIN, [this](uint32_t) {
            TServerFrame frame(false);
            uint64_t v;
            ssize_t n = ::read(More, &v, sizeof v);
            (void)n;
            Deliver();
        });
        Socket.ReportLevel = 0;
        Socket.OnDataAvailable = [this](TSocketBase&) {
            TServerFrame frame(false);
            Deliver();
        };
        Socket.OnError = [](TSocketBase&, int, const std::string&) {
            Status("Status=Error: Socket error!");
        };
    }
    ~TComObject() {
        Dispatcher.Remove(More);
        ::close(More);
    }
    TComObject(const TComObject&) = delete;
    TComObject& operator=(const TComObject&) = delete;

    // Hands what has arrived to the callback, a bounded amount at a time.
    void Deliver() {
        try {
            DeliverSome();
        } catch (...) {
            // The error was reported; a broken connection is not kept.
            try {
                Socket.Disconnect();
            } catch (...) {
            }
        }
    }

    void DeliverSome() {
        for (int i = 0; i < ReadBlocksPerEvent; ++i) {
            if (!Socket.Connected) return;
            std::string text = Socket.Read(0);
            if (text.empty()) break;
            Status(text.c_str());
        }
        if (!Socket.Connected || Socket.Handle() < 0) return;
        char c;
        ssize_t n = ::recv(Socket.Handle(), &c, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n > 0 || Socket.DataAvailable()) {
            uint64_t one = 1;
            ssize_t w = ::write(More, &one, sizeof one);
            (void)w;
        } else if (n == 0) {
            Socket.Disconnect();  // the peer closed and everything was delivered
        }
    }
};

struct TState {
    std::string ProxyHost;
    int ProxyPort = 0;
    std::string Host;
    int Port = 0;
    int TimeOut = 0;
    TStatusCallback StatusCallback = nullptr;
    std::unique_ptr<TComObject> Com;
};

// Never destroyed: see the direct connection.
TState& State() {
    static auto* state = new TState();
    return *state;
}

void Status(const char* text) {
    if (TStatusCallback cb = State().StatusCallback) cb(text);
}

}  // namespace

bool Server_Connect(const std::string& address, const std::string& host, int port,
                    TStatusCallback callback) {
    TLibraryState& lib = Library();
    if (lib.BusySet != 0) return false;
    lib.BusySet = bsServer;
    TServerFrame frame(true);
    try {
        TState& st = State();
        st.StatusCallback = callback;
        Status("Status=Trying to connect...");
        std::string target = !address.empty() ? address : host;
        bool same = st.Com && st.Host == target && st.Port == port &&
                    st.ProxyHost == lib.ProxyHost && st.ProxyPort == lib.ProxyPort;
        st.Host = target;
        st.Port = port;
        st.ProxyHost = lib.ProxyHost;
        st.ProxyPort = lib.ProxyPort;
        st.TimeOut = lib.ProxyTimeOut;
        if (!st.Com) st.Com = std::make_unique<TComObject>();
        TComObject* com = st.Com.get();  // stays alive if the host disconnects meanwhile
        TSocketBaseEx& s = com->Socket;
        // A live connection to the same place is kept; otherwise it goes to the new one.
        if (s.Connected && same) return true;
        if (s.Connected) s.Disconnect();
        s.Host = st.Host;
        s.Port = st.Port;
        s.Proxy = st.ProxyHost;
        s.ProxyPort = st.ProxyPort;
        s.TimeOut = st.TimeOut;
        s.Open();
        return s.Connected;
    } catch (...) {
        return false;
    }
}

bool Server_Connected() {
    TState& st = State();
    return st.Com && st.Com->Socket.Connected;
}

bool Server_Post(const std::string& data) {
    TServerFrame frame(true);
    try {
        Status("Status=Sending data...");
        TState& st = State();
        if (!Server_Connected()) {
            Status("Status=Unable to send data...");
            return false;
        }
        TComObject* com = st.Com.get();
        com->Socket.Write(data);
        return true;
    } catch (...) {
        return false;
    }
}

bool Server_Disconnect() {
    TServerFrame frame(true);
    bool ok = true;
    try {
        TState& st = State();
        Status("Status=Closing connection...");
        st.StatusCallback = nullptr;
        if (std::shared_ptr<TComObject> com = std::move(st.Com)) {
            while (com->Socket.Connected) com->Socket.Disconnect();
            TServerFrame::Retire(std::move(com));
        }
    } catch (...) {
        ok = false;
    }
    Library().BusySet = 0;
    return ok && !State().Com;
}

}  // namespace ProxyCommunication

}  // namespace kestrup
