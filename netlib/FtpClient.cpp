#include "FtpClient.h"

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace kestrup {

namespace {

bool Between(int n, int lo, int hi) { return n >= lo && n <= hi; }

// A fresh, empty file beside target, so a failed transfer never touches target.
std::string TempBeside(const std::string& target) {
    std::string name = files::CreateBeside(target);
    if (name.empty()) throw EKestrupError("Cannot create " + target);
    return name;
}

// A PASV field: one to three digits, 0 to 255, spaces around allowed.
int PortByte(std::string field) {
    size_t a = field.find_first_not_of(' ');
    size_t b = field.find_last_not_of(' ');
    if (a == std::string::npos) return -1;
    field = field.substr(a, b - a + 1);
    if (field.empty() || field.size() > 3) return -1;
    for (char c : field)
        if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    int v = std::atoi(field.c_str());
    return v <= 255 ? v : -1;
}

}  // namespace

int64_t AnnouncedSize(const std::string& line) {
    std::string upper = line;
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    size_t at = upper.find("BYTE");
    if (at == std::string::npos) return 0;
    // The reply code at the start is never the size.
    const size_t first = std::min<size_t>(4, upper.size());
    if (at < first) return 0;
    size_t end = at;
    while (end > first && !std::isdigit(static_cast<unsigned char>(upper[end - 1]))) --end;
    size_t start = end;
    while (start > first && std::isdigit(static_cast<unsigned char>(upper[start - 1]))) --start;
    if (start == end) return 0;
    // More digits than fit are no size we could check a transfer against.
    if (end - start > 18) return 0;
    return std::stoll(upper.substr(start, end - start));
}

TFtpClient::TFtpClient() { Port = 21; }

TFtpClient::~TFtpClient() = default;

void TFtpClient::Judge(int lo, int hi) {
    if (ReplyNumber == 0)
        throw FTPException(LastReply.empty() ? "Connection closed by server"
                                             : ReplyText(LastReply));
    if (Between(ReplyNumber, lo, hi)) throw FTPException(ReplyText(LastReply));
}

void TFtpClient::Connect() {
    Canceled = false;
    if (Connected) return;
    RefuseLineBreaks(UserID, "user name");
    RefuseLineBreaks(Password, "password");
    RefuseLineBreaks(FWUserID, "firewall user name");
    RefuseLineBreaks(FWPassword, "firewall password");
    RefuseLineBreaks(Host, "host name");
    ClearInput();
    // OnConnect means logged in, not merely connected.
    TSocketBase::ConnectHoldingOnConnect();
    try {
        LogIn();
    } catch (...) {
        try {
            Disconnect();
        } catch (...) {
        }
        if (Connected) TSocketBase::Disconnect();
        Report("Disconnected", 1);
        throw;
    }
}

void TFtpClient::LogIn() {
    auto judgeLogIn = [this] {
        if (ReplyNumber == 0 || Between(ReplyNumber, 401, 599)) {
            if (OnConnectionFailed) OnConnectionFailed(*this);
            Judge(401, 599);
        }
    };
    ReadReply();
    if (FWAuthenticate) {
        CommandReply("USER " + FWUserID);
        judgeLogIn();
        if (ReplyNumber == 331) {
            CommandReply("PASS " + FWPassword);
            judgeLogIn();
        }
    }
    if ((UserID.empty() || Password.empty()) && OnAuthenticationNeeded) {
        OnAuthenticationNeeded(*this);
        RefuseLineBreaks(UserID, "user name");
        RefuseLineBreaks(Password, "password");
    }
    if (!Proxy.empty()) {
        // The proxy's answer to naming the target is not judged; the log-in that
        // follows is.
        switch (FirewallType) {
            case FTUser:
                CommandReply("USER " + UserID + "@" + Host);
                break;
            case FtOpen:
                CommandReply("OPEN " + Host);
                break;
            case FtSite:
                CommandReply("SITE " + Host);
                break;
        }
    }
    if (Proxy.empty() || FirewallType != FTUser) {
        CommandReply("USER " + UserID);
        judgeLogIn();
    }
    if (ReplyNumber == 331) {
        CommandReply("PASS " + Password);
        judgeLogIn();
    }
    if (OnConnect) OnConnect(*this);
}

void TFtpClient::Disconnect() {
    Canceled = false;
    if (!Connected) return;
    Report("QUIT", 1);
    Vendor = 2411;
    ClearInput();
    try {
        Quit();
    } catch (...) {
        TSocketBase::Disconnect();
        throw;
    }
    TSocketBase::Disconnect();
    if (Between(ReplyNumber, 301, 599)) throw FTPException(ReplyText(LastReply));
}

void TFtpClient::Fail(TFtpCommand command) {
    bool handled = false;
    if (OnFailure) OnFailure(*this, command, handled);
    if (!handled) throw;
}

void TFtpClient::Command(const std::string& command) {
    Canceled = false;
    CertifyConnect();
    RefuseLineBreaks(command, "command");
    Report(command, 1);
    ClearInput();
    CommandReply(command);
    if (ReplyNumber != 0 && !Between(ReplyNumber, 400, 599)) {
        if (OnSuccess) OnSuccess(*this, ftpCommand);
        return;
    }
    if (Between(ReplyNumber, 500, 502) && OnUnSupportedFunction)
        OnUnSupportedFunction(*this, ftpCommand);
    try {
        Judge(400, 599);
    } catch (...) {
        Fail(ftpCommand);
    }
}

void TFtpClient::SetTransferType(int type) {
    switch (type) {
        case 1:
            Command("TYPE A");
            break;
        case 2:
            Command("TYPE I");
            break;
        case 3:
            Command("TYPE L 8");
            break;
        default:
            break;
    }
}

void TFtpClient::Abort() {
    if (FData) FData->Abort();
    TSocketBase::Abort();
}

void TFtpClient::OpenDataConnection(bool passive) {
    if (passive) {
        CommandReply("PASV");
        Judge(500, 32767);
        // "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)": only the port is taken.
        // The address stays the control connection's host, so a reply cannot send
        // the data connection elsewhere.
        std::vector<std::string> fields;
        size_t from = 0;
        std::string reply = ReplyText(LastReply);
        for (;;) {
            size_t comma = reply.find(',', from);
            fields.push_back(reply.substr(from, comma - from));
            if (comma == std::string::npos) break;
            from = comma + 1;
        }
        int hi = fields.size() >= 6 ? PortByte(fields[4]) : -1;
        int lo = fields.size() >= 6 ? PortByte(fields[5].substr(0, fields[5].find(')'))) : -1;
        if (hi < 0 || lo < 0 || hi * 256 + lo == 0)
            throw FTPException("Invalid passive reply: " + reply);
        FData->Host = Host;
        FData->Port = hi * 256 + lo;
        FData->Connect();
    } else {
        // Listening only where the server reaches us, and taking only the server's
        // connection: a data connection from elsewhere never becomes the file.
        FData->Port = 0;
        FData->ListenAddress = LocalAddress();
        FData->AcceptFrom = RemoteAddress;
        FData->Listen(true);
        CommandReply("PORT " + LocalAddressForPort() + FData->LocalPortForPort());
        if (ReplyNumber == 0 || Between(ReplyNumber, 301, 599)) FActiveFailed = true;
        Judge(301, 599);
    }
}

void TFtpClient::NewDataSocket() {
    FData = std::make_unique<TSocketBase>();
    FData->TimeOut = TimeOut;
    FData->Deadline = Deadline;  // the whole call's limit covers the data connection too
    // A loopback or fast link fills the socket far beyond the 64 KiB default between two
    // receives; taking it whole costs fewer calls and wake-ups per byte.
    FData->SetWorkBufferSize(DataBlockSize);
    FData->OnPacketRecvd = OnPacketRecvd;
    FData->OnPacketSent = OnPacketSent;
}

void TFtpClient::AbortTransfer() {
    try {
        CommandReply("ABOR");
        // A transfer cut off is answered twice: 426 (or 425) for it, then the answer to
        // ABOR, which must not pass for the reply to the next command.
        if (Between(ReplyNumber, 400, 499)) ReadReply();
    } catch (...) {
        // Its answer changes nothing.
    }
}

void TFtpClient::EndActiveAttempt() {
    if (!FRetrPending) return;
    // The server may still wait to connect back: stop that transfer before the next.
    FRetrPending = false;
    const int saved = TimeOut;
    TimeOut = TimeOut > 0 ? std::min(TimeOut, QuitGraceMs) : QuitGraceMs;
    ClearInput();
    AbortTransfer();
    TimeOut = saved;
    TimedOut = false;
    Canceled = false;
}

void TFtpClient::Download(const std::string& remote, const std::string& local) {
    Canceled = false;
    CertifyConnect();
    RefuseLineBreaks(remote, "remote file name");
    const std::string target = local.empty() ? remote : local;
    std::string part;
    FAbandoned = false;
    try {
        ClearInput();
        part = TempBeside(target);
        bool passive = Passive;
        for (;;) {
            FActiveFailed = FRetrPending = false;
            try {
                NewDataSocket();
                OpenDataConnection(passive);
                Receive(remote, part, passive);
                break;
            } catch (...) {
                // Active mode does not work with this server (it refused PORT, or never
                // connected back): the same download once more, passive.
                if (passive || !FActiveFailed || FAbandoned || !Connected ||
                    std::chrono::steady_clock::now() >= Deadline)
                    throw;
                Report("Active mode failed; passive", 1);
                FData.reset();
                EndActiveAttempt();
                passive = true;
            }
        }
        if (!files::Replace(part, target)) throw EKestrupError("Cannot write " + target);
        part.clear();
        FData.reset();
        if (OnSuccess) OnSuccess(*this, ftpDownload);
    } catch (...) {
        if (!part.empty()) files::Remove(part);
        FData.reset();
        if ((Canceled || FAbandoned) && Connected) {
            // Tell the server the transfer is over; its answer changes nothing.
            Canceled = false;
            FAbandoned = false;
            AbortTransfer();
        }
        Fail(ftpDownload);
    }
}

void TFtpClient::Receive(const std::string& remote, const std::string& file, bool passive) {
    Report("RETR " + remote, 1);
    BytesTotal = 0;
    std::string first = Transaction("RETR " + remote);
    CheckReplyLength(first);
    // 425: the server could not connect back (a firewall or NAT between us).
    if (!passive && ReplyNumber == 425) FActiveFailed = true;
    Judge(301, 599);
    BytesTotal = AnnouncedSize(first);
    ReadContinuation(first, [this](const std::string& line) {
        if (BytesTotal == 0) BytesTotal = AnnouncedSize(line);
    });
    if (!passive) {
        // The wait for the server to connect back is bounded even without a time-out.
        FRetrPending = true;
        FData->TimeOut = TimeOut > 0 ? TimeOut : AcceptTimeOut;
        try {
            FData->Accept();
        } catch (const ESockError&) {
            if (FData->TimedOut) {
                FActiveFailed = true;
                throw ESockError("Data connection timed out");
            }
            throw;
        }
        FRetrPending = false;
        FData->TimeOut = TimeOut;
    }
    const int64_t announced = BytesTotal;
    if (OnTransactionStart) OnTransactionStart(*this);
    if (Canceled || TimedOut) throw EAbortError("Download canceled");
    try {
        if (MaxBody > 0 && announced > MaxBody) throw ETooLarge();
        // One byte past the announced size is enough to know the transfer is wrong.
        FData->CaptureFile(file, announced > 0 ? announced + 1 : -1, MaxBody);
        if (announced > 0 && FData->BytesRecvd > announced) {
            FAbandoned = true;
            throw FTPException("Download larger than announced: more than " +
                               std::to_string(announced) + " bytes");
        }
    } catch (const ETooLarge&) {
        FAbandoned = true;
        throw;
    }
    if (OnTransactionStop) OnTransactionStop(*this);
    const int64_t received = FData->BytesRecvd;
    FData->Disconnect();
    BytesTotal = received;
    Report("Received " + std::to_string(received) + " Bytes", 1);
    if (Canceled || TimedOut) throw EAbortError("Download canceled");
    // The closing reply tells whether the server sent the whole file.
    ReadReply();
    if (OnTransactionStop) OnTransactionStop(*this);
    Judge(400, 599);
    if (announced > 0 && received < announced)
        throw FTPException("Download incomplete: " + std::to_string(received) + " of " +
                           std::to_string(announced) + " bytes");
}

}  // namespace kestrup
