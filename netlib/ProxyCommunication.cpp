#include "ProxyCommunication.h"

#include <algorithm>
#include <chrono>

namespace kestrup {

void TSocketBaseEx::Open() {
    Connect();
    net::SetResetOnClose(Handle(), false);
}

namespace {

// Blocks delivered per event; the rest is picked up by a task of our own, so a
// server that never stops sending cannot hold one dispatch for ever.
constexpr int ReadBlocksPerEvent = 16;

class TProxyTransport : public TServerTransport {
public:
    TProxyTransport() {
        FSocket.ReportLevel = 0;
        FSocket.OnDataAvailable = [this](TSocketBase&) { Deliver(); };
        FSocket.OnError = [this](TSocketBase&, int, const std::string&) {
            if (OnText) OnText("Status=Error: Socket error!");
        };
    }
    ~TProxyTransport() override { *FAlive = false; }

    void Open(const TServerTarget& target) override {
        if (FSocket.Connected) FSocket.Disconnect();
        FTarget = target;
        FSocket.Host = !target.Address.empty() ? target.Address : target.Host;
        FSocket.Port = target.Port;
        FSocket.Proxy = target.ProxyHost;
        FSocket.ProxyPort = target.ProxyPort;
        FSocket.TimeOut = target.TimeOut;
        FSocket.Open();
    }

    bool Holds(const TServerTarget& target) const override {
        return FSocket.Connected && FTarget.Address == target.Address &&
               FTarget.Host == target.Host && FTarget.Port == target.Port &&
               FTarget.ProxyHost == target.ProxyHost && FTarget.ProxyPort == target.ProxyPort;
    }

    bool Alive() const override { return FSocket.Connected; }

    bool Send(const std::string& data) override {
        FSocket.Write(data);
        return true;
    }

    void Close(int graceMs) override {
        // The socket base sends while waiting: nothing of ours is left queued, and the
        // system delivers what it took after the close.
        (void)graceMs;
        while (FSocket.Connected) FSocket.Disconnect();
    }

private:
    TSocketBaseEx FSocket;
    TServerTarget FTarget;
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
    bool FMorePosted = false;

    // Hands what has arrived to the callback, a bounded amount at a time.
    void Deliver() {
        TServerFrame frame(false);
        try {
            DeliverSome();
        } catch (...) {
            // The error was reported; a broken connection is not kept.
            try {
                FSocket.Disconnect();
            } catch (...) {
            }
        }
    }

    void DeliverSome() {
        for (int i = 0; i < ReadBlocksPerEvent; ++i) {
            if (!FSocket.Connected) return;
            std::string text = FSocket.Read(0);
            if (text.empty()) break;
            if (OnText) OnText(text.c_str());
        }
        if (!FSocket.Connected || FSocket.Handle() == NoSocket) return;
        if (FSocket.DataAvailable()) {
            if (FMorePosted) return;
            FMorePosted = true;
            std::weak_ptr<bool> alive = FAlive;
            TDispatcher::Current().Post([this, alive] {
                if (auto a = alive.lock(); a && *a) {
                    FMorePosted = false;
                    Deliver();
                }
            });
        } else if (FSocket.PeerClosed()) {
            FSocket.Disconnect();  // the peer closed and everything was delivered
        }
    }
};

}  // namespace

std::unique_ptr<TServerTransport> MakeProxyTransport() { return std::make_unique<TProxyTransport>(); }

}  // namespace kestrup
