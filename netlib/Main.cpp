// The exported C functions. No failure crosses this boundary.
#include "Main.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "Communication.h"
#include "FtpClient.h"
#include "HttpClient.h"
#include "ReplyReader.h"
#include "SmtpClient.h"
#include "include/kestrup.h"

namespace kestrup {

TLibraryState& Library() {
    static TLibraryState state = [] {
        TLibraryState s;
        s.MaxBody = DefaultMaxMemoryBody;
        s.MaxFile = DefaultMaxBody;
        return s;
    }();
    return state;
}

}  // namespace kestrup

using namespace kestrup;

namespace {
std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

// A text that would end a command or header line early can never be sent: such a call
// is refused before anything is connected.
bool Sendable(std::initializer_list<const char*> texts) {
    for (const char* t : texts)
        if (t && std::strpbrk(t, "\r\n")) return false;
    return true;
}

// Hands the FTP data connection's byte counts and the announced total to the
// host's progress callback.
class TProgressObject {
public:
    explicit TProgressObject(kestrup_progress_callback progress) : FProgress(progress) {}

    void Attach(TFtpClient& client) {
        client.OnPacketRecvd = [this, &client](TSocketBase& data) {
            Report(data.BytesRecvd, client.BytesTotal);
        };
        client.OnPacketSent = [this, &client](TSocketBase& data) {
            Report(data.BytesSent, client.BytesTotal);
        };
    }

private:
    kestrup_progress_callback FProgress;

    static int32_t Clamped(int64_t n) { return int32_t(std::min<int64_t>(n, INT32_MAX)); }
    void Report(int64_t done, int64_t total) const {
        if (FProgress) FProgress(Clamped(done), Clamped(total));
    }
};
}  // namespace

extern "C" {

KESTRUP_API void KESTRUP_CALL Set_Proxy_Server(kestrup_bool use_proxy, const char* proxy_host,
                                  int32_t proxy_port, int32_t time_out_ms) {
    try {
        TLibraryState& lib = Library();
        lib.UseProxy = use_proxy != 0;
        lib.ProxyHost = Text(proxy_host);
        lib.ProxyPort = proxy_port;
        lib.ProxyTimeOut = time_out_ms;
    } catch (...) {
    }
}

KESTRUP_API const char* KESTRUP_CALL Http_Get(const char* url, const char* user_id, const char* password,
                                 int32_t time_out_ms) {
    TLibraryState& lib = Library();
    if (lib.BusySet != 0) return nullptr;
    lib.BusySet = bsHttp;
    const char* result = nullptr;
    try {
        auto client = std::make_unique<THttpClient>();
        client->InputFileMode = false;
        client->OutputFileMode = false;
        client->ReportLevel = 0;
        client->Header.clear();
        client->Body.clear();
        client->HeaderInfo.Cookie.clear();
        client->HeaderInfo.LocalMailAddress.clear();
        client->HeaderInfo.LocalProgram.clear();
        client->HeaderInfo.Referer.clear();
        client->HeaderInfo.UserId = Text(user_id);
        client->HeaderInfo.Password = Text(password);
        client->TimeOut = time_out_ms;
        client->MaxBody = lib.MaxBody;
        if (lib.UseProxy) {
            client->Proxy = lib.ProxyHost;
            client->ProxyPort = lib.ProxyPort;
        } else {
            client->Proxy.clear();
            client->ProxyPort = 0;
        }
        client->KeepBodyInBuffer = true;
        client->Get(Text(url));
        if (client->BodyBuffer && client->BodyBuffer->Size() > 0) {
            // The body itself becomes the result; the previous one is released.
            lib.ResultBody = std::move(client->BodyBuffer);
            lib.ResultBuffer.clear();
            lib.ResultBuffer.shrink_to_fit();
            result = lib.ResultBody->Data();
        } else if (!client->Body.empty()) {
            AdoptResult(lib.ResultBuffer, std::move(client->Body));
            lib.ResultBody.reset();
            result = lib.ResultBuffer.c_str();
        }
    } catch (...) {
        result = nullptr;
    }
    lib.BusySet = 0;
    return result;
}

// The server connection: the mode is read anew at every call.
KESTRUP_API kestrup_bool KESTRUP_CALL Server_Connect(const char* address, const char* host,
                                                     int32_t port,
                                                     kestrup_status_callback callback) {
    try {
        TLibraryState& lib = Library();
        if (lib.BusySet != 0) return 0;
        // Held until Server_Disconnect, also when this connect fails.
        lib.BusySet = bsServer;
        TServerTarget target;
        target.Address = Text(address);
        target.Host = Text(host);
        target.Port = port;
        if (lib.UseProxy) {
            target.ProxyHost = lib.ProxyHost;
            target.ProxyPort = lib.ProxyPort;
        }
        target.TimeOut = lib.ProxyTimeOut;
        TStatusCallback status;
        if (callback) status = [callback](const char* text) { callback(text); };
        return Communication::Server_Connect(lib.UseProxy, target, status);
    } catch (...) {
        return 0;
    }
}

KESTRUP_API kestrup_bool KESTRUP_CALL Server_Connected(void) {
    try {
        return Communication::Server_Connected(Library().UseProxy);
    } catch (...) {
        return 0;
    }
}

KESTRUP_API kestrup_bool KESTRUP_CALL Server_Post(const char* data) {
    try {
        return Communication::Server_Post(Library().UseProxy, Text(data));
    } catch (...) {
        return 0;
    }
}

KESTRUP_API kestrup_bool KESTRUP_CALL Server_Disconnect(void) {
    kestrup_bool ok = 0;
    try {
        TLibraryState& lib = Library();
        // Text still queued gets a short while to go out; the whole-call limit, when
        // set, is the longest any call may take.
        int grace = lib.ProxyTimeOut > 0 ? lib.ProxyTimeOut : DefaultCloseGraceMs;
        if (int deadline = CallDeadline(); deadline > 0) grace = std::min(grace, deadline);
        ok = Communication::Server_Disconnect(lib.UseProxy, grace);
    } catch (...) {
        ok = 0;
    }
    Library().BusySet = 0;
    return ok;
}

KESTRUP_API kestrup_bool KESTRUP_CALL Ftp_Download(const char* host, int32_t port, const char* user_id,
                                      const char* password, int32_t time_out_ms,
                                      const char* remote_file, const char* local_file,
                                      kestrup_progress_callback progress) {
    TLibraryState& lib = Library();
    if (lib.BusySet != 0) return 0;
    if (!Sendable({host, user_id, password, remote_file})) return 0;
    lib.BusySet = bsFtp;
    kestrup_bool result = 0;
    try {
        auto client = std::make_unique<TFtpClient>();
        TProgressObject adapter(progress);
        client->ReportLevel = 0;
        client->Host = Text(host);
        client->Port = port;
        client->UserID = Text(user_id);
        client->Password = Text(password);
        client->TimeOut = time_out_ms;
        client->MaxBody = lib.MaxFile;
        client->Passive = lib.FtpPassive;
        if (lib.UseProxy) {
            client->Proxy = lib.ProxyHost;
            client->ProxyPort = lib.ProxyPort;
        }
        adapter.Attach(*client);
        client->Connect();
        if (client->Connected) {
            client->SetTransferType(2);
            client->Download(Text(remote_file), Text(local_file));
            client->Disconnect();
            result = 1;
        }
    } catch (...) {
        result = 0;
    }
    lib.BusySet = 0;
    return result;
}

KESTRUP_API kestrup_bool KESTRUP_CALL Smtp_Send(const char* from_address, const char* from_name,
                                   const char* subject, const char* to_address, const char* body,
                                   const char* host, int32_t port, const char* user_id,
                                   int32_t time_out_ms) {
    TLibraryState& lib = Library();
    if (lib.BusySet != 0) return 0;
    if (!Sendable({from_address, from_name, subject, to_address, host, user_id})) return 0;
    lib.BusySet = bsSmtp;
    kestrup_bool result = 0;
    try {
        auto client = std::make_unique<TSmtpClient>();
        client->ReportLevel = 0;
        client->Host = Text(host);
        client->Port = port;
        client->UserID = Text(user_id);
        client->TimeOut = time_out_ms;
        client->SubType = mtHtml;
        if (lib.UseProxy) {
            client->Proxy = lib.ProxyHost;
            client->ProxyPort = lib.ProxyPort;
        }
        client->Connect();
        if (client->Connected) {
            TPostMessage& m = client->PostMessage;
            m.FromAddress = Text(from_address);
            m.FromName = Text(from_name);
            m.Subject = Text(subject);
            m.ToAddress = {Text(to_address)};
            m.Body = SplitBodyText(Text(body));
            client->SendMail();
            result = 1;
        }
        // The mail is sent once the final "." is accepted; a failing QUIT changes nothing.
        try {
            client->Disconnect();
        } catch (...) {
        }
    } catch (...) {
        result = 0;
    }
    lib.BusySet = 0;
    return result;
}

KESTRUP_API void KESTRUP_CALL Kestrup_Set_Idle_Callback(kestrup_idle_callback callback) {
    SetIdleCallback(callback);
}

KESTRUP_API int32_t KESTRUP_CALL Kestrup_Event_Fd(void) {
    try {
        return TDispatcher::Current().Fd();
    } catch (...) {
        return -1;
    }
}

KESTRUP_API int32_t KESTRUP_CALL Kestrup_Dispatch(void) {
    try {
        return TDispatcher::Current().Dispatch(0);
    } catch (...) {
        return 0;
    }
}

// Limits of every call.
KESTRUP_API void KESTRUP_CALL Kestrup_Set_Max_Body(int64_t bytes) {
    if (bytes >= 0) Library().MaxBody = Library().MaxFile = bytes;
}

KESTRUP_API void KESTRUP_CALL Kestrup_Set_Ftp_Passive(kestrup_bool passive) {
    Library().FtpPassive = passive != 0;
}

KESTRUP_API void KESTRUP_CALL Kestrup_Set_Call_Deadline(int32_t ms) { SetCallDeadline(ms); }

}  // extern "C"
