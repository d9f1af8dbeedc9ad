// THttpClient: HTTP/1.0 on TSocketBase. One request is one connection; redirects
// start over with the new URL.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "HeaderList.h"
#include "SocketBase.h"

namespace kestrup {

struct THeaderInfo {
    std::string LocalMailAddress;
    std::string LocalProgram;
    std::string Cookie;
    std::string Referer;
    std::string UserId;
    std::string Password;
};

enum THttpRequest {
    hrGet = 0,
    hrOptions,
    hrHead,
    hrPost,
    hrPut,
    hrPatch,
    hrCopy,
    hrMove,
    hrDelete,
    hrLink,
    hrUnlink,
    hrTrace
};

// A response header may not grow past this: a hostile server cannot exhaust
// memory before the body starts.
constexpr size_t MaxResponseHeader = 1 << 20;
// Redirects and repeated requests followed before the request fails.
constexpr int MaxRedirects = 20;

// The request target as it may go on the request line: spaces and bytes
// outside printable ASCII percent-encoded, everything else as given.
std::string EncodeRequestTarget(const std::string& target);
// Makes body the kept result. A buffer far larger than the new result is
// given back rather than kept for reuse.
void AdoptResult(std::string& result, std::string&& body);

class THttpClient : public TSocketBase {
public:
    THttpClient();

    THeaderInfo HeaderInfo;
    // The response header, or with OutputFileMode the name of its file.
    std::string Header = "Head.txt";
    // The response body, or with InputFileMode the name of its file.
    std::string Body = "Default.htm";
    bool InputFileMode = false;
    bool OutputFileMode = false;
    bool EncodeFormData = true;
    // Largest body received, into memory or the file (bytes, 0 = no cap); a larger one
    // fails the call.
    int64_t MaxBody = DefaultMaxBody;
    // A body in memory stays in BodyBuffer (Body stays empty): it is then held once,
    // never copied. Only for bodies of a bounded size (a length or MaxBody).
    bool KeepBodyInBuffer = false;
    std::unique_ptr<TBodyBuffer> BodyBuffer;

    std::function<void(THttpClient&)> OnAboutToSend;
    std::function<void(THttpClient&, THttpRequest)> OnSuccess;
    std::function<void(THttpClient&, THttpRequest)> OnFailure;
    std::function<void(THttpClient&, bool& handled)> OnRedirect;
    std::function<void(THttpClient&)> OnAuthenticationNeeded;

    void Get(const std::string& url);
    void Options(const std::string& url);
    void Head(const std::string& url);
    void Post(const std::string& url, const std::string& data);
    void Put(const std::string& url, const std::string& data);
    void Patch(const std::string& url, const std::string& data);
    void Copy(const std::string& url, const std::string& uriHeader);
    void Move(const std::string& url, const std::string& uriHeader);
    void Delete(const std::string& url);
    void Link(const std::string& url, const std::string& link);
    void Unlink(const std::string& url, const std::string& link);
    void Trace(const std::string& url, const std::string& data);

    const std::string& Url() const { return FUrl; }
    const std::string& Path() const { return FPath; }
    const std::string& Location() const { return FLocation; }
    const std::string& ReceivedCookie() const { return FReceivedCookie; }
    const THeaderList& RequestHeader() const { return FHeaderLines; }
    THttpRequest RequestKind() const { return FKind; }
    bool HasContentLength() const { return FHasContentLength; }

    // The steps of one pass, public so that callers can prepare a request
    // without sending it.
    void SetRequest(THttpRequest kind, const std::string& url, const std::string& data = {},
                    const std::string& extra = {});
    void ParseUrl();
    void BuildHeader();

private:
    THttpRequest FKind = hrGet;
    std::string FUrl;
    std::string FPath;
    std::string FData;
    std::string FExtra;
    std::string FLocation;
    std::string FReceivedCookie;
    THeaderList FHeaderLines;
    bool FHasContentLength = false;
    // The host and port the credentials were given for.
    std::string FAuthHost;
    int FAuthPort = 0;
    // The host and port the cookie belongs to: the first server for the caller's
    // own, the setting server for one received on a redirect.
    std::string FCookieHost;
    int FCookiePort = 0;

    void Run(THttpRequest kind, const std::string& url, const std::string& data,
             const std::string& extra);
    void CheckRequestText() const;
    void SendRequest();
    void ReadResponseHeader();
    void ReadBody();
};

}  // namespace kestrup
