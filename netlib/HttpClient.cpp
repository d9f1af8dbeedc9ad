#include "HttpClient.h"


#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

#include "UUCodec.h"
#include "UrlEncoder.h"

namespace kestrup {

namespace {

const char* const RequestWords[] = {"GET ",  "OPTIONS ", "HEAD ",   "POST ", "PUT ",    "PATCH ",
                                    "COPY ", "MOVE ",    "DELETE ", "LINK ", "UNLINK ", "TRACE "};

std::string Lower(std::string s) {
    for (auto& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Upper(std::string s) {
    for (auto& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Position of the n-th (1-based) occurrence of c, or npos.
size_t NthPos(const std::string& s, char c, int n) {
    size_t p = std::string::npos;
    for (int i = 0; i < n; ++i) {
        p = s.find(c, p == std::string::npos ? 0 : p + 1);
        if (p == std::string::npos) break;
    }
    return p;
}

bool HasControl(const std::string& s) {
    return std::any_of(s.begin(), s.end(), [](char ch) {
        unsigned char c = static_cast<unsigned char>(ch);
        return c < 0x20 || c == 0x7F;
    });
}

std::string StripLineEnd(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

bool AllDigits(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool SendsBody(THttpRequest kind) {
    return kind == hrPost || kind == hrPut || kind == hrPatch || kind == hrTrace;
}

bool SameOrigin(const std::string& host, int port, const std::string& otherHost, int otherPort) {
    return SameText(host, otherHost) && port == otherPort;
}

std::string TrimBlanks(const std::string& s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}


}  // namespace

std::string EncodeRequestTarget(const std::string& target) {
    static const char Hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(target.size());
    for (unsigned char c : target) {
        if (c <= 0x20 || c >= 0x7F) {
            out += '%';
            out += Hex[c >> 4];
            out += Hex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}

void AdoptResult(std::string& result, std::string&& body) {
    result = std::move(body);
    // A short text is copied into the old buffer rather than taking over its own,
    // so a huge earlier result would otherwise stay allocated.
    if (result.capacity() / 4 > result.size()) result.shrink_to_fit();
}

THttpClient::THttpClient() = default;

void THttpClient::Get(const std::string& url) { Run(hrGet, url, {}, {}); }
void THttpClient::Options(const std::string& url) { Run(hrOptions, url, {}, {}); }
void THttpClient::Head(const std::string& url) { Run(hrHead, url, {}, {}); }
void THttpClient::Post(const std::string& url, const std::string& data) {
    Run(hrPost, url, data, {});
}
void THttpClient::Put(const std::string& url, const std::string& data) {
    Run(hrPut, url, data, {});
}
void THttpClient::Patch(const std::string& url, const std::string& data) {
    Run(hrPatch, url, data, {});
}
void THttpClient::Copy(const std::string& url, const std::string& uriHeader) {
    Run(hrCopy, url, {}, uriHeader);
}
void THttpClient::Move(const std::string& url, const std::string& uriHeader) {
    Run(hrMove, url, {}, uriHeader);
}
void THttpClient::Delete(const std::string& url) { Run(hrDelete, url, {}, {}); }
void THttpClient::Link(const std::string& url, const std::string& link) {
    Run(hrLink, url, {}, link);
}
void THttpClient::Unlink(const std::string& url, const std::string& link) {
    Run(hrUnlink, url, {}, link);
}
void THttpClient::Trace(const std::string& url, const std::string& data) {
    Run(hrTrace, url, data, {});
}

void THttpClient::SetRequest(THttpRequest kind, const std::string& url, const std::string& data,
                             const std::string& extra) {
    FKind = kind;
    FUrl = url;
    FData = data;
    FExtra = extra;
}

void THttpClient::ParseUrl() {
    if (FUrl.empty()) throw EKestrupError("Empty URL");
    if (Port == 0) Port = 80;
    bool hasDouble = FUrl.find("//") != std::string::npos;
    size_t pathStart = hasDouble ? NthPos(FUrl, '/', 3) : FUrl.find('/');
    FPath = pathStart == std::string::npos ? std::string() : FUrl.substr(pathStart);

    size_t colon = FUrl.find(':');
    if (colon != std::string::npos) {
        std::string scheme = Lower(FUrl.substr(0, colon));
        if (scheme == "gopher")
            Port = 70;
        else if (scheme == "ftp")
            Port = 21;
        else if (scheme == "https")
            throw EKestrupError("HTTP Secure Socket is not supported");
        else
            Port = 80;
    }

    std::string hostPart;
    if (hasDouble) {
        size_t second = NthPos(FUrl, '/', 2);
        size_t third = NthPos(FUrl, '/', 3);
        if (second != std::string::npos)
            hostPart = FUrl.substr(
                second + 1, third == std::string::npos ? std::string::npos : third - second - 1);
    } else if (FUrl[0] != '/') {
        hostPart = FUrl.substr(0, FUrl.find('/'));
    }
    size_t portColon = hostPart.find(':');
    if (portColon != std::string::npos) {
        std::string digits = hostPart.substr(portColon + 1);
        if (digits.empty() || digits.size() > 5 || !AllDigits(digits) || std::stoi(digits) > 65535)
            throw EKestrupError("Invalid port in URL");
        Port = std::stoi(digits);
        hostPart.resize(portColon);
    }
    if (!hostPart.empty()) Host = hostPart;

    if (FPath.empty()) {
        FPath = "/";
        FUrl += "/";
    }
}

void THttpClient::CheckRequestText() const {
    // Control characters would end a request line early and start new header lines.
    if (HasControl(FUrl)) throw EKestrupError("Invalid character in URL");
    if (HasControl(HeaderInfo.UserId) || HasControl(HeaderInfo.Password))
        throw EKestrupError("Invalid character in user name or password");
    if (HasControl(HeaderInfo.Cookie) || HasControl(HeaderInfo.Referer) ||
        HasControl(HeaderInfo.LocalProgram) || HasControl(HeaderInfo.LocalMailAddress) ||
        HasControl(FExtra) || HasControl(Host))
        throw EKestrupError("Invalid character in request header");
}

void THttpClient::BuildHeader() {
    FHeaderLines.Clear();
    FHeaderLines.Add(RequestWords[FKind] + EncodeRequestTarget(Proxy.empty() ? FPath : FUrl) +
                     " HTTP/1.0");
    if (!Proxy.empty()) FHeaderLines.Add("Proxy-Connection: Keep-Alive");
    FHeaderLines.Add("Host: " + Host);
    FHeaderLines.Add("Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff");
    FHeaderLines.Add("Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript");
    FHeaderLines.SetValue("User-Agent", HeaderInfo.LocalProgram);
    FHeaderLines.SetValue("From", HeaderInfo.LocalMailAddress);
    // A cookie goes back only to the server it belongs to.
    if (FCookieHost.empty() || SameOrigin(Host, Port, FCookieHost, FCookiePort))
        FHeaderLines.SetValue("Cookie", HeaderInfo.Cookie);
    FHeaderLines.SetValue("Referer", HeaderInfo.Referer);
    // Credentials go only to the host they were given for, never to a redirect target.
    if (!HeaderInfo.UserId.empty() && !HeaderInfo.Password.empty() &&
        SameOrigin(Host, Port, FAuthHost, FAuthPort))
        FHeaderLines.Add("Authorization: Basic " +
                         Base64Line(HeaderInfo.UserId + ":" + HeaderInfo.Password));
    FHeaderLines.Add("Content-type: application/x-www-form-urlencoded");
    if (FKind == hrCopy || FKind == hrMove) FHeaderLines.Add("URI-header: " + FExtra);
    if (FKind == hrLink || FKind == hrUnlink) FHeaderLines.Add("Link: " + FExtra);
    if (SendsBody(FKind)) {
        int64_t length;
        if (OutputFileMode) {
            length = files::SizeOf(FData);
            if (length < 0) throw EKestrupError("Cannot open file " + FData);
        } else {
            length = int64_t(FData.size());
        }
        FHeaderLines.Add("Content-Length: " + std::to_string(length));
    } else if (FKind == hrLink || FKind == hrUnlink) {
        // No body follows these; announcing one would leave the server waiting for it.
        FHeaderLines.Add("Content-Length: 0");
    }
}

void THttpClient::SendRequest() {
    // The header and its closing empty line go out in one piece.
    std::string text = FHeaderLines.Text() + "\r\n";
    if (SendsBody(FKind) && !OutputFileMode) text += FData;
    Write(text);
    if (SendsBody(FKind) && OutputFileMode) SendFile(FData);
}

void THttpClient::ReadResponseHeader() {
    ReplyNumber = 0;
    BytesTotal = 0;
    FHasContentLength = false;
    FReceivedCookie.clear();
    std::unique_ptr<TFileStream> headerFile;
    if (OutputFileMode)
        headerFile = std::make_unique<TFileStream>(Header, TFileStream::fmCreate);
    else
        Header.clear();
    size_t total = 0;
    auto append = [&](const std::string& line) {
        total += line.size();
        if (total > MaxResponseHeader) throw EKestrupError("Response header too long");
        if (headerFile)
            headerFile->WriteString(line);
        else
            Header += line;
    };

    std::string line = ReadLn();
    if (!line.empty()) {
        std::string status = StripLineEnd(line);
        size_t a = status.find(' ');
        if (a != std::string::npos) {
            size_t b = status.find(' ', a + 1);
            std::string field = status.substr(a + 1, b == std::string::npos ? b : b - a - 1);
            if (!field.empty() && field.size() <= 5 && AllDigits(field))
                ReplyNumber = std::stoi(field);
            if (ReplyNumber > 32767) ReplyNumber = 0;
        }
    }
    append(line);
    do {
        line = ReadLn();
        std::string upper = Upper(line);
        std::string word = StripLineEnd(upper.substr(0, upper.find(' ')));
        if (word == "SET-COOKIE:") {
            FReceivedCookie = line.size() > 12 ? StripLineEnd(line.substr(12)) : std::string();
        } else if (word == "LOCATION:") {
            FLocation =
                line.size() > 10 ? TrimBlanks(StripLineEnd(line.substr(10))) : std::string();
        } else if (word == "CONTENT-LENGTH:") {
            size_t p = 15;
            while (p < line.size() && !std::isdigit(static_cast<unsigned char>(line[p]))) ++p;
            int64_t value = 0;
            size_t digits = 0;
            while (p < line.size() && std::isdigit(static_cast<unsigned char>(line[p])) &&
                   digits < 18) {
                value = value * 10 + (line[p] - '0');
                ++p;
                ++digits;
            }
            if (digits > 0) {
                BytesTotal = value;
                FHasContentLength = true;
            }
        }
        append(line);
    } while (!(line.empty() || line == "\n" || line == "\r\n"));
}

void THttpClient::ReadBody() {
    // These replies carry no body even when they announce a length.
    bool noBody = FKind == hrHead || (ReplyNumber >= 100 && ReplyNumber < 200) ||
                  ReplyNumber == 204 || ReplyNumber == 304;
    // With a length the body ends once that much arrived, so a connection kept
    // open after it cannot hold the call; without one it runs until the close.
    int64_t limit = FHasContentLength ? BytesTotal : -1;
    if (noBody) limit = 0;
    if (InputFileMode) {
        if (MaxBody > 0 && limit > MaxBody) throw ETooLarge();
        // A file cut short or cut at the cap is no document: it goes, like the failure
        // of a download to memory leaves nothing.
        try {
            CaptureFile(Body, limit, MaxBody);
            if (limit > 0 && BytesRecvd < limit)
                throw EKestrupError("Body shorter than its Content-Length");
        } catch (...) {
            files::Remove(Body);
            throw;
        }
    } else {
        if (MaxBody > 0 && limit > MaxBody) throw EKestrupError("Body too large");
        BodyBuffer.reset();
        Body.clear();
        // A length, or else the cap, bounds the body: one range of that size takes it as
        // it comes, with no copy while it grows.
        const int64_t bound = limit >= 0 ? limit : MaxBody;
        if (limit != 0 && bound > 0) {
            auto buffer = std::make_unique<TBodyBuffer>(size_t(bound), limit > 0);
            if (limit > 0) {
                // Its length is known and the buffer holds exactly that: straight in.
                ReceiveDirect(
                    limit, [&](size_t& want) { return buffer->Reserve(want); },
                    [&](size_t n) { buffer->Commit(n); });
            } else {
                ReceiveInto(limit, [&](const char* data, size_t n) {
                    if (!buffer->Append(data, n)) throw EKestrupError("Body too large");
                });
            }
            CheckCanceled("Socket capture aborted");
            if (KeepBodyInBuffer)
                BodyBuffer = std::move(buffer);
            else
                Body.assign(buffer->Data(), buffer->Size());
        } else if (limit != 0) {
            // No length and no cap: a text that grows as needed.
            ReceiveInto(limit, [&](const char* data, size_t n) { Body.append(data, n); });
            CheckCanceled("Socket capture aborted");
        }
    }
    // A body cut short is a failure, not a smaller document.
    if (limit > 0 && BytesRecvd < limit)
        throw EKestrupError("Body shorter than its Content-Length");
}

void THttpClient::Run(THttpRequest kind, const std::string& url, const std::string& data,
                      const std::string& extra) {
    SetRequest(kind, url, data, extra);
    if (kind == hrPost && EncodeFormData && !OutputFileMode) FData = TUrlEncoder().Encode(FData);
    int repeats = 0;
    bool first = true;
    for (;;) {
        ParseUrl();
        if (first) {
            FAuthHost = FCookieHost = Host;
            FAuthPort = FCookiePort = Port;
            first = false;
        }
        CheckRequestText();
        BuildHeader();
        if (OnAboutToSend) OnAboutToSend(*this);
        Connect();
        try {
            SendRequest();
            ReadResponseHeader();
            ReadBody();
        } catch (...) {
            try {
                Disconnect();
            } catch (...) {
            }
            throw;
        }
        if (ReplyNumber < 299) {
            if (OnSuccess) OnSuccess(*this, FKind);
            Report("Transaction Completed", 2);
        } else if (ReplyNumber > 399) {
            if (OnFailure) OnFailure(*this, FKind);
        } else if (ReplyNumber >= 300 && ReplyNumber <= 302) {
            FUrl = FLocation;
        }
        Disconnect();
        if (ReplyNumber >= 300 && ReplyNumber <= 398) {
            if (!FReceivedCookie.empty()) {
                HeaderInfo.Cookie = FReceivedCookie;
                FCookieHost = Host;
                FCookiePort = Port;
            }
            bool handled = false;
            if (OnRedirect) OnRedirect(*this, handled);
            if (handled) break;
            // A relative location stays on this server, port included, and is made
            // whole so that a proxy can follow it too.
            std::string origin = "http://" + Host + (Port != 80 ? ":" + std::to_string(Port) : "");
            if (FUrl.find('/') == std::string::npos)
                FUrl = origin + "/" + FUrl;
            else if (FUrl[0] == '/' && FUrl.compare(0, 2, "//") != 0)
                FUrl = origin + FUrl;
        }
        if (ReplyNumber == 401 && OnAuthenticationNeeded) OnAuthenticationNeeded(*this);
        if (ReplyNumber < 299 || ReplyNumber > 399) break;
        if (++repeats > MaxRedirects) throw EKestrupError("Too many redirects");
    }
}

}  // namespace kestrup
