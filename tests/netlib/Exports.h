// The built library loaded as a host loads it (dlopen), with every export found by name.
#pragma once

#include <dlfcn.h>

#include "kestrup.h"

namespace nettest {

struct TExports {
    void* Handle = nullptr;
    decltype(&Set_Proxy_Server) SetProxy = nullptr;
    decltype(&Http_Get) Get = nullptr;
    decltype(&Ftp_Download) Download = nullptr;
    decltype(&Smtp_Send) Send = nullptr;
    decltype(&Server_Connect) Connect = nullptr;
    decltype(&Server_Connected) Connected = nullptr;
    decltype(&Server_Post) Post = nullptr;
    decltype(&Server_Disconnect) Disconnect = nullptr;
    decltype(&Kestrup_Set_Idle_Callback) SetIdle = nullptr;
    decltype(&Kestrup_Event_Fd) EventFd = nullptr;
    decltype(&Kestrup_Dispatch) Dispatch = nullptr;
    decltype(&Kestrup_Set_Max_Body) SetMaxBody = nullptr;
    decltype(&Kestrup_Set_Call_Deadline) SetDeadline = nullptr;
    decltype(&Kestrup_Set_Ftp_Passive) SetPassive = nullptr;

    TExports() {
        Handle = ::dlopen(KESTRUP_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!Handle) return;
        Find(SetProxy, "Set_Proxy_Server");
        Find(Get, "Http_Get");
        Find(Download, "Ftp_Download");
        Find(Send, "Smtp_Send");
        Find(Connect, "Server_Connect");
        Find(Connected, "Server_Connected");
        Find(Post, "Server_Post");
        Find(Disconnect, "Server_Disconnect");
        Find(SetIdle, "Kestrup_Set_Idle_Callback");
        Find(EventFd, "Kestrup_Event_Fd");
        Find(Dispatch, "Kestrup_Dispatch");
        Find(SetMaxBody, "Kestrup_Set_Max_Body");
        Find(SetDeadline, "Kestrup_Set_Call_Deadline");
        Find(SetPassive, "Kestrup_Set_Ftp_Passive");
    }
    ~TExports() {
        if (Handle) ::dlclose(Handle);
    }
    TExports(const TExports&) = delete;
    TExports& operator=(const TExports&) = delete;
    // Loaded, and every export found.
    bool Ready() const {
        return Handle && SetProxy && Get && Download && Send && Connect && Connected && Post &&
               Disconnect && SetIdle && EventFd && Dispatch && SetMaxBody && SetDeadline &&
               SetPassive;
    }

private:
    template <class T>
    void Find(T& f, const char* name) {
        f = reinterpret_cast<T>(::dlsym(Handle, name));
    }
};

inline TExports& Lib() {
    static TExports lib;
    return lib;
}

}  // namespace nettest
