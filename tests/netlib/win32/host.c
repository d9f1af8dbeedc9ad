/* A Windows host of kestrup.dll, as programs written for the library load it:
 * LoadLibrary and GetProcAddress, stdcall prototypes, callbacks in the register
 * convention (first argument in EAX, second in EDX). Each command-line case prints
 * "ok <case>" or "FAIL <case>: <why>"; the exit code is the number of failures.
 *
 *   host.exe exports
 *   host.exe http <url> <file with the expected body>
 *   host.exe pump <url of a slow reply>
 *   host.exe ftp <port> <remote name> <local file> <file with the expected bytes>
 *   host.exe smtp <port>
 *   host.exe proxy <proxy port> <url> <file with the expected body>
 *   host.exe server <echo port>
 *   host.exe failures <port where nothing listens>
 *   host.exe timeout <url of a server that never answers>
 *   host.exe slowmail <port of a server that drips its greeting>
 */
#include <windows.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef uint8_t kbool;
typedef void(__stdcall* TSetProxy)(kbool, const char*, int32_t, int32_t);
typedef const char*(__stdcall* THttpGet)(const char*, const char*, const char*, int32_t);
typedef kbool(__stdcall* TFtpDownload)(const char*, int32_t, const char*, const char*, int32_t,
                                       const char*, const char*, void*);
typedef kbool(__stdcall* TSmtpSend)(const char*, const char*, const char*, const char*,
                                    const char*, const char*, int32_t, const char*, int32_t);
typedef kbool(__stdcall* TServerConnect)(const char*, const char*, int32_t, void*);
typedef kbool(__stdcall* TNoArgs)(void);
typedef kbool(__stdcall* TServerPost)(const char*);

static TSetProxy SetProxy;
static THttpGet HttpGet;
static TFtpDownload FtpDownload;
static TSmtpSend SmtpSend;
static TServerConnect ServerConnect;
static TNoArgs ServerConnected;
static TServerPost ServerPost;
static TNoArgs ServerDisconnect;

static int Failures = 0;

static void Result(const char* name, const char* why) {
    if (why) {
        printf("FAIL %s: %s\n", name, why);
        ++Failures;
    } else {
        printf("ok %s\n", name);
    }
    fflush(stdout);
}

/* The callbacks take their arguments from EAX and EDX and hand them to C functions
 * with the ordinary stack convention; nothing is taken from the stack. */
void __cdecl RecordStatus(const char* text, int32_t edx);
void __cdecl RecordProgress(int32_t done, int32_t total);
void StatusEntry(void);
void ProgressEntry(void);
__asm__(
    ".text\n"
    ".globl _StatusEntry\n"
    "_StatusEntry:\n"
    "  pushl %edx\n"
    "  pushl %eax\n"
    "  call _RecordStatus\n"
    "  addl $8, %esp\n"
    "  ret\n"
    ".globl _ProgressEntry\n"
    "_ProgressEntry:\n"
    "  pushl %edx\n"
    "  pushl %eax\n"
    "  call _RecordProgress\n"
    "  addl $8, %esp\n"
    "  ret\n");

static char StatusLog[1 << 16];
static int StatusCalls = 0;
static int32_t ProgressDone = -1, ProgressTotal = -1, ProgressCalls = 0, ProgressBackwards = 0;

void __cdecl RecordStatus(const char* text, int32_t edx) {
    (void)edx;
    ++StatusCalls;
    if (text && strlen(StatusLog) + strlen(text) + 2 < sizeof StatusLog) {
        strcat(StatusLog, text);
        strcat(StatusLog, "\n");
    }
}

void __cdecl RecordProgress(int32_t done, int32_t total) {
    if (done < ProgressDone) ++ProgressBackwards;
    ProgressDone = done;
    ProgressTotal = total;
    ++ProgressCalls;
}

static char* ReadWhole(const char* name, long* size) {
    FILE* f = fopen(name, "rb");
    if (!f) return NULL;
    fseek(f, 0, SEEK_END);
    *size = ftell(f);
    fseek(f, 0, SEEK_SET);
    char* data = malloc((size_t)*size + 1);
    if (fread(data, 1, (size_t)*size, f) != (size_t)*size) *size = -1;
    data[*size > 0 ? *size : 0] = 0;
    fclose(f);
    return data;
}

/* ESP before and after a call: a stdcall export removes its own arguments. */
static uint32_t StackPointer(void) {
    uint32_t esp;
    __asm__ volatile("movl %%esp, %0" : "=r"(esp));
    return esp;
}

static void CaseExports(HMODULE lib) {
    static const char* const names[] = {"Set_Proxy_Server", "Http_Get", "Ftp_Download",
                                        "Smtp_Send", "Server_Connect", "Server_Connected",
                                        "Server_Post", "Server_Disconnect"};
    for (int i = 0; i < 8; ++i)
        if (!GetProcAddress(lib, names[i])) return Result("exports", names[i]);
    if (GetProcAddress(lib, "Kestrup_Event_Fd") || GetProcAddress(lib, "_Http_Get@16") ||
        GetProcAddress(lib, "Http_Get@16"))
        return Result("exports", "an export beyond the eight plain names");
    uint32_t before = StackPointer();
    for (int i = 0; i < 100; ++i) {
        SetProxy(0, "", 0, 0);
        if (ServerConnected()) return Result("exports", "connected without a connection");
    }
    uint32_t after = StackPointer();
    if (before != after) return Result("exports", "the stack moved across stdcall calls");
    Result("exports", NULL);
}

static void CaseHttp(const char* url, const char* expectedFile) {
    long size;
    char* expected = ReadWhole(expectedFile, &size);
    if (!expected) return Result("http", "no expected file");
    const char* body = HttpGet(url, "", "", 5000);
    if (!body) return Result("http", "no body");
    if ((long)strlen(body) != size || memcmp(body, expected, (size_t)size) != 0)
        return Result("http", "body differs");
    /* The result stays valid until the next body replaces it. */
    const char* again = HttpGet(url, "", "", 5000);
    if (!again || strcmp(again, expected) != 0) return Result("http", "second body differs");
    free(expected);
    Result("http", NULL);
}

/* A window of the host, busy while the library waits. */
static int PostedSeen = 0, TimerTicks = 0, NestedRefused = 0, NestedAccepted = 0;

static LRESULT CALLBACK HostWindow(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_APP) {
        ++PostedSeen;
        /* One operation at a time: a call made from inside a waiting one is refused. */
        if (HttpGet("http://127.0.0.1:1/", "", "", 100) == NULL &&
            !FtpDownload("127.0.0.1", 1, "u", "p", 100, "x", "Z:\\tmp\\never", NULL) &&
            !ServerConnect("127.0.0.1", "", 1, NULL))
            ++NestedRefused;
        else
            ++NestedAccepted;
        return 0;
    }
    if (m == WM_TIMER) {
        ++TimerTicks;
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

static HWND MakeHostWindow(void) {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = HostWindow;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "KestrupHostWindow";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "KestrupHostWindow", "host", 0, 0, 0, 10, 10, HWND_MESSAGE, NULL,
                           wc.hInstance, NULL);
}

static void CasePump(const char* slowUrl) {
    HWND w = MakeHostWindow();
    if (!w) return Result("pump", "no host window");
    SetTimer(w, 7, 20, NULL);
    PostMessageA(w, WM_APP, 0, 0);
    DWORD start = GetTickCount();
    const char* body = HttpGet(slowUrl, "", "", 10000);
    DWORD took = GetTickCount() - start;
    KillTimer(w, 7);
    if (!body || strcmp(body, "slow body") != 0) return Result("pump", "no body");
    if (PostedSeen != 1) return Result("pump", "the posted message was not handled during the call");
    if (TimerTicks < 3) return Result("pump", "the host's timer did not run during the call");
    if (NestedRefused != 1 || NestedAccepted != 0)
        return Result("pump", "a nested call was not refused");
    if (took < 300) return Result("pump", "the reply was not slow");
    DestroyWindow(w);
    Result("pump", NULL);
}

static void CaseFtp(const char* port, const char* remote, const char* local, const char* expectedFile) {
    long size, gotSize;
    char* expected = ReadWhole(expectedFile, &size);
    if (!expected) return Result("ftp", "no expected file");
    ProgressDone = ProgressTotal = -1;
    ProgressCalls = ProgressBackwards = 0;
    kbool ok = FtpDownload("127.0.0.1", atoi(port), "user", "secret", 5000, remote, local,
                           (void*)ProgressEntry);
    if (!ok) return Result("ftp", "download failed");
    char* got = ReadWhole(local, &gotSize);
    if (!got || gotSize != size || memcmp(got, expected, (size_t)size) != 0)
        return Result("ftp", "file differs from the server's");
    if (ProgressCalls == 0 || ProgressBackwards || ProgressDone != size ||
        (ProgressTotal != size && ProgressTotal != 0))
        return Result("ftp", "progress did not arrive in EAX and EDX");
    /* A failed download keeps the earlier file. */
    if (FtpDownload("127.0.0.1", atoi(port), "user", "secret", 5000, "missing.bin", local, NULL))
        return Result("ftp", "a missing file downloaded");
    free(got);
    got = ReadWhole(local, &gotSize);
    if (!got || gotSize != size) return Result("ftp", "a failed download touched the file");
    free(got);
    free(expected);
    Result("ftp", NULL);
}

static void CaseSmtp(const char* port) {
    kbool ok = SmtpSend("host@example.org", "Wine Host", "From the DLL", "someone@example.org",
                        "<p>Line one</p>\r\n.starts with a dot\r\nend", "127.0.0.1", atoi(port),
                        "winehost", 5000);
    Result("smtp", ok ? NULL : "not sent");
}

static void CaseProxy(const char* proxyPort, const char* url, const char* expectedFile) {
    long size;
    char* expected = ReadWhole(expectedFile, &size);
    if (!expected) return Result("proxy", "no expected file");
    SetProxy(1, "127.0.0.1", atoi(proxyPort), 5000);
    const char* body = HttpGet(url, "", "", 5000);
    SetProxy(0, "", 0, 0);
    if (!body || strcmp(body, expected) != 0) return Result("proxy", "no body through the proxy");
    free(expected);
    Result("proxy", NULL);
}

/* The server connection while the host runs its own message loop. */
static void CaseServer(const char* port) {
    HWND w = MakeHostWindow();
    StatusLog[0] = 0;
    if (!ServerConnect("127.0.0.1", "", atoi(port), (void*)StatusEntry))
        return Result("server", "connect refused");
    if (!strstr(StatusLog, "Status=Trying to connect...\n"))
        return Result("server", "no status line in EAX");
    if (HttpGet("http://127.0.0.1:1/", "", "", 100) != NULL)
        return Result("server", "Http_Get ran beside the connection");
    SetTimer(w, 9, 50, NULL);
    DWORD start = GetTickCount();
    int posted = 0;
    MSG m;
    while (GetTickCount() - start < 5000 && GetMessageA(&m, NULL, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
        if (!posted && ServerConnected()) {
            posted = 1;
            if (!ServerPost("echo me\n")) return Result("server", "post refused");
        }
        if (strstr(StatusLog, "echo me\n")) break;
    }
    KillTimer(w, 9);
    if (!posted) return Result("server", "never connected");
    if (!strstr(StatusLog, "echo me\n")) return Result("server", "the echo did not reach the callback");
    if (!ServerDisconnect()) return Result("server", "disconnect failed");
    if (ServerConnected()) return Result("server", "still connected");
    DestroyWindow(w);
    Result("server", NULL);
}

static void CaseFailures(const char* deadPort) {
    char url[64];
    sprintf(url, "http://127.0.0.1:%s/", deadPort);
    if (HttpGet(url, "", "", 2000) != NULL) return Result("failures", "a refused connection gave a body");
    if (HttpGet(NULL, NULL, NULL, 0) != NULL) return Result("failures", "null arguments gave a body");
    if (HttpGet("https://127.0.0.1/", "", "", 100) != NULL) return Result("failures", "https gave a body");
    if (FtpDownload("127.0.0.1", atoi(deadPort), "u", "p", 2000, "f", "Z:\\tmp\\kestrup-never", NULL))
        return Result("failures", "a refused download succeeded");
    if (FtpDownload(NULL, 0, NULL, NULL, 0, NULL, NULL, NULL)) return Result("failures", "null download");
    if (SmtpSend(NULL, NULL, NULL, NULL, NULL, NULL, 0, NULL, 0)) return Result("failures", "null mail");
    if (SmtpSend("a@b", "n", "s\r\nBcc: x@y", "c@d", "b", "127.0.0.1", atoi(deadPort), "h", 2000))
        return Result("failures", "a subject with a line break was sent");
    if (ServerPost("nobody")) return Result("failures", "post without a connection");
    if (!ServerDisconnect()) return Result("failures", "disconnect without a connection");
    Result("failures", NULL);
}

/* The time-out runs on the system timer of the library's hidden window. */
static void CaseTimeout(const char* url) {
    DWORD start = GetTickCount();
    const char* body = HttpGet(url, "", "", 1000);
    DWORD took = GetTickCount() - start;
    if (body) return Result("timeout", "a silent server gave a body");
    if (took < 900 || took > 4000) return Result("timeout", "the time-out did not bound the call");
    Result("timeout", NULL);
}

/* A greeting that drips in a byte at a time holds the call no longer than its time-out. */
static void CaseSlowMail(const char* port) {
    DWORD start = GetTickCount();
    kbool ok = SmtpSend("a@example.org", "A", "s", "b@example.org", "body", "127.0.0.1",
                        atoi(port), "h", 2000);
    DWORD took = GetTickCount() - start;
    if (ok) return Result("slowmail", "sent to a server that never finished its greeting");
    if (took > 3000) return Result("slowmail", "the time-out did not bound the whole reply");
    Result("slowmail", NULL);
}

int main(int argc, char** argv) {
    HMODULE lib = LoadLibraryA("kestrup.dll");
    if (!lib) {
        printf("FAIL load: kestrup.dll (error %lu)\n", GetLastError());
        return 100;
    }
    SetProxy = (TSetProxy)(void*)GetProcAddress(lib, "Set_Proxy_Server");
    HttpGet = (THttpGet)(void*)GetProcAddress(lib, "Http_Get");
    FtpDownload = (TFtpDownload)(void*)GetProcAddress(lib, "Ftp_Download");
    SmtpSend = (TSmtpSend)(void*)GetProcAddress(lib, "Smtp_Send");
    ServerConnect = (TServerConnect)(void*)GetProcAddress(lib, "Server_Connect");
    ServerConnected = (TNoArgs)(void*)GetProcAddress(lib, "Server_Connected");
    ServerPost = (TServerPost)(void*)GetProcAddress(lib, "Server_Post");
    ServerDisconnect = (TNoArgs)(void*)GetProcAddress(lib, "Server_Disconnect");
    if (!SetProxy || !HttpGet || !FtpDownload || !SmtpSend || !ServerConnect || !ServerConnected ||
        !ServerPost || !ServerDisconnect) {
        printf("FAIL load: an export is missing\n");
        return 100;
    }
    for (int i = 1; i < argc;) {
        const char* c = argv[i];
        int left = argc - i - 1;
        if (!strcmp(c, "exports")) {
            CaseExports(lib);
            i += 1;
        } else if (!strcmp(c, "http") && left >= 2) {
            CaseHttp(argv[i + 1], argv[i + 2]);
            i += 3;
        } else if (!strcmp(c, "pump") && left >= 1) {
            CasePump(argv[i + 1]);
            i += 2;
        } else if (!strcmp(c, "ftp") && left >= 4) {
            CaseFtp(argv[i + 1], argv[i + 2], argv[i + 3], argv[i + 4]);
            i += 5;
        } else if (!strcmp(c, "smtp") && left >= 1) {
            CaseSmtp(argv[i + 1]);
            i += 2;
        } else if (!strcmp(c, "proxy") && left >= 3) {
            CaseProxy(argv[i + 1], argv[i + 2], argv[i + 3]);
            i += 4;
        } else if (!strcmp(c, "server") && left >= 1) {
            CaseServer(argv[i + 1]);
            i += 2;
        } else if (!strcmp(c, "slowmail") && left >= 1) {
            CaseSlowMail(argv[i + 1]);
            i += 2;
        } else if (!strcmp(c, "timeout") && left >= 1) {
            CaseTimeout(argv[i + 1]);
            i += 2;
        } else if (!strcmp(c, "failures") && left >= 1) {
            CaseFailures(argv[i + 1]);
            i += 2;
        } else {
            printf("FAIL usage: %s\n", c);
            return 100;
        }
    }
    FreeLibrary(lib);
    printf("done\n");
    return Failures;
}
