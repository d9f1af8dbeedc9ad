// TReplySocket: the reply reader FTP and SMTP share. A reply is one line read with
// Transaction, then continuation lines while the last one starts with a space or
// has '-' as its fourth character.
#pragma once

#include <string>

#include "SocketBase.h"

namespace kestrup {

// A reply line longer than this is hostile; RFC 959 and 5321 lines are far shorter.
constexpr size_t MaxReplyLineLength = 8192;
// Continuation lines of one reply; a server that never ends its reply fails.
constexpr int MaxReplyLines = 1000;
// After a time-out or on a dead connection the log-out waits this long at most.
constexpr int QuitGraceMs = 500;

// The number a reply line starts with (at most 10 digits), 0 when there is none.
int ReplyNumberOf(const std::string& line);
// The line without its trailing CR LF.
std::string ReplyText(const std::string& line);
// Fails with "Invalid character in <what>" when text holds CR, LF or NUL, which
// would end a command line or header line early and let the rest pass as another.
void RefuseLineBreaks(const std::string& text, const std::string& what);
// Fails with "Reply line too long" above MaxReplyLineLength.
void CheckReplyLength(const std::string& line);

class TReplySocket : public TSocketBase {
public:
    // Sends command and reads its reply; returns the first line.
    std::string CommandReply(const std::string& command);
    // Reads a reply that comes without a command (greeting, end of a transfer).
    std::string ReadReply();
    // Reads the continuation lines after a first line already read; each is
    // handed to onLine (when set) and reported.
    void ReadContinuation(const std::string& first,
                          const std::function<void(const std::string&)>& onLine = {});

    // Sends QUIT and reads its reply. After a time-out (or with the connection gone)
    // the wait is a short grace, not another whole time-out.
    void Quit();

protected:
    // ReadLn with the reply line cap.
    std::string ReadReplyLine();
    // While alive, TimeOut bounds the whole reply, not each of its lines.
    class TReplyLimit {
    public:
        explicit TReplyLimit(TReplySocket& s) : FSocket(s) { s.LimitWaits(s.TimeOut); }
        ~TReplyLimit() { FSocket.ClearWaitLimit(); }
        TReplyLimit(const TReplyLimit&) = delete;
        TReplyLimit& operator=(const TReplyLimit&) = delete;

    private:
        TReplySocket& FSocket;
    };
};

}  // namespace kestrup
