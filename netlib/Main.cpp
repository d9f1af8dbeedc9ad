// The exported C functions. No failure crosses this boundary.
#include "Main.h"

#include <memory>

#include "Dispatcher.h"
#include "HttpClient.h"
#include "include/kestrup.h"

namespace kestrup {

TLibraryState& Library() {
    static TLibraryState state = [] {
        TLibraryState s;
        s.MaxBody = DefaultMaxBody;
        return s;
    }();
    return state;
}

}  // namespace kestrup

using namespace kestrup;

namespace {
std::string Text(const char* s) { return s ? std::string(s) : std::string(); }
}  // namespace

extern "C" {

KESTRUP_API void Set_Proxy_Server(kestrup_bool use_proxy, const char* proxy_host,
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

KESTRUP_API const char* Http_Get(const char* url, const char* user_id, const char* password,
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
        client->Get(Text(url));
        if (!client->Body.empty()) {
            // Taking over the body releases the previous result.
            AdoptResult(lib.ResultBuffer, std::move(client->Body));
            result = lib.ResultBuffer.c_str();
        }
    } catch (...) {
        result = nullptr;
    }
    lib.BusySet = 0;
    return result;
}

KESTRUP_API void Kestrup_Set_Idle_Callback(kestrup_idle_callback callback) {
    SetIdleCallback(callback);
}

KESTRUP_API int32_t Kestrup_Event_Fd(void) {
    try {
        return TDispatcher::Current().Fd();
    } catch (...) {
        return -1;
    }
}

KESTRUP_API int32_t Kestrup_Dispatch(void) {
    try {
        return TDispatcher::Current().Dispatch(0);
    } catch (...) {
        return 0;
    }
}

// Limits of every call.
KESTRUP_API void Kestrup_Set_Max_Body(int64_t bytes) {
    if (bytes >= 0) Library().MaxBody = bytes;
}

KESTRUP_API void Kestrup_Set_Call_Deadline(int32_t ms) { SetCallDeadline(ms); }

}  // extern "C"
