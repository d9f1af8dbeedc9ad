/* Kestrup: client network library with a flat C interface.
 *
 * Strings are zero-terminated 8-bit texts; the library copies every argument.
 * Booleans are one byte (0 false, 1 true). One operation runs at a time: a call
 * made while another is in progress returns null or false at once. Every wait
 * runs the host's idle callback and delivers the library's events on the
 * calling thread. */
#ifndef KESTRUP_H
#define KESTRUP_H

#include <stdint.h>

/* On Windows (kestrup.dll, 32-bit) every export is stdcall under its plain name, and
 * the library calls the host's callbacks with the register convention: first argument
 * in EAX, second in EDX, nothing on the stack, no result. With GCC or Clang that is
 * regparm(2); a compiler without it declares its callbacks in a few lines of assembly.
 * On Linux both are the platform's plain C convention. */
#if defined(_WIN32)
#define KESTRUP_API
#define KESTRUP_CALL __stdcall
#if defined(__GNUC__)
#define KESTRUP_CALLBACK __attribute__((regparm(2)))
#else
#define KESTRUP_CALLBACK
#endif
#else
#if defined(__GNUC__)
#define KESTRUP_API __attribute__((visibility("default")))
#else
#define KESTRUP_API
#endif
#define KESTRUP_CALL
#define KESTRUP_CALLBACK
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t kestrup_bool;
typedef void(KESTRUP_CALLBACK* kestrup_status_callback)(const char* text);
typedef void(KESTRUP_CALLBACK* kestrup_progress_callback)(int32_t done, int32_t total);
typedef void (*kestrup_idle_callback)(void);

/* Proxy used by every later operation; nothing is checked or contacted. */
KESTRUP_API void KESTRUP_CALL Set_Proxy_Server(kestrup_bool use_proxy, const char* proxy_host,
                                  int32_t proxy_port, int32_t time_out_ms);

/* Fetches a document over HTTP/1.0. Returns the body, owned by the library and
 * valid until the next Http_Get that yields a body, or null (failure, busy, or an
 * empty body, which leaves the previous result in place). time_out_ms 0: no limit. */
KESTRUP_API const char* KESTRUP_CALL Http_Get(const char* url, const char* user_id, const char* password,
                                 int32_t time_out_ms);

/* Downloads remote_file over FTP (image type) into local_file, or under the remote
 * name when local_file is empty. Active mode first, as the server connects back to this
 * host (from the server's address only); passive when that fails. The file is written beside its target and renamed
 * when complete: a failed download leaves no partial file and keeps an existing one.
 * progress (may be null) receives the bytes received and the size the server
 * announced (0 when none). Arguments holding CR, LF or NUL are refused. Returns 1 on
 * success. time_out_ms 0: no limit per step (the wait for an active data connection
 * is still bounded). */
KESTRUP_API kestrup_bool KESTRUP_CALL Ftp_Download(const char* host, int32_t port, const char* user_id,
                                      const char* password, int32_t time_out_ms,
                                      const char* remote_file, const char* local_file,
                                      kestrup_progress_callback progress);

/* Sends one mail with an HTML body over SMTP, greeting with "HELO user_id".
 * Names, addresses and subject holding CR, LF or NUL are refused; body lines may end
 * in CR LF, LF or CR. Returns 1 once the server accepted the message. */
KESTRUP_API kestrup_bool KESTRUP_CALL Smtp_Send(const char* from_address, const char* from_name,
                                   const char* subject, const char* to_address, const char* body,
                                   const char* host, int32_t port, const char* user_id,
                                   int32_t time_out_ms);

/* One long-lived TCP connection to a server, held from Server_Connect to
 * Server_Disconnect (other operations are refused meanwhile). The callback gets
 * "Status=..." lines and, unchanged and without a prefix, every piece of text the
 * server sends; it runs on the calling thread, while the library waits or from
 * Kestrup_Dispatch. Without the proxy the connection is made in the background:
 * Server_Connect's true says only that it was started; Server_Connected tells. */
KESTRUP_API kestrup_bool KESTRUP_CALL Server_Connect(const char* address, const char* host, int32_t port,
                                        kestrup_status_callback callback);
KESTRUP_API kestrup_bool KESTRUP_CALL Server_Connected(void);
/* Sends the text as it is, whole; what the socket does not take at once is sent
 * by Kestrup_Dispatch and before Server_Disconnect closes. Nothing waits for an answer. */
KESTRUP_API kestrup_bool KESTRUP_CALL Server_Post(const char* data);
KESTRUP_API kestrup_bool KESTRUP_CALL Server_Disconnect(void);

/* Host integration (Linux only; under Windows the host's message loop serves).
 * The idle callback runs during every wait of the library. */
KESTRUP_API void KESTRUP_CALL Kestrup_Set_Idle_Callback(kestrup_idle_callback callback);
/* A descriptor of the calling thread that is readable while library events wait
 * to be delivered; watch it in the host's loop and call Kestrup_Dispatch. */
KESTRUP_API int32_t KESTRUP_CALL Kestrup_Event_Fd(void);
/* Delivers the calling thread's pending events without waiting; returns how many. */
KESTRUP_API int32_t KESTRUP_CALL Kestrup_Dispatch(void);

/* Limits (Linux; the Windows library keeps the defaults).
 * The largest body Http_Get keeps in memory (default 128 MiB) and the largest file
 * Ftp_Download writes (default 256 MiB); this sets both (bytes, 0 = no cap, negative
 * leaves them as they are). A larger one gives null or false; a download leaves no file. */
KESTRUP_API void KESTRUP_CALL Kestrup_Set_Max_Body(int64_t bytes);
/* The longest any one call may take, redirects and every wait included (ms,
 * 0 = no limit, the default), Server_Disconnect too; the time-out applies as well. */
KESTRUP_API void KESTRUP_CALL Kestrup_Set_Call_Deadline(int32_t ms);
/* Ftp_Download in passive mode from the start (1) or active first (0, the default).
 * Active mode that fails (PORT refused, or no data connection within the time-out)
 * falls back to passive in any case. */
KESTRUP_API void KESTRUP_CALL Kestrup_Set_Ftp_Passive(kestrup_bool passive);

#ifdef __cplusplus
}
#endif

#endif
