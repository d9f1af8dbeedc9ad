#include "ReplyReader.h"

#include <algorithm>
#include <cstring>

namespace kestrup {

int ReplyNumberOf(const std::string& line) {
    size_t digits = 0;
    while (digits < line.size() && digits < 10 && line[digits] >= '0' && line[digits] <= '9')
        ++digits;
    if (digits == 0) return 0;
    long long v = std::stoll(line.substr(0, digits));
    return v <= 32767 ? int(v) : 0;
}

std::string ReplyText(const std::string& line) {
    size_t end = line.size();
    while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r')) --end;
    return line.substr(0, end);
}

void RefuseLineBreaks(const std::string& text, const std::string& what) {
    if (text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        throw EKestrupError("Invalid character in " + what);
}

namespace {

bool Continues(const std::string& line) {
    return !line.empty() && (line[0] == ' ' || (line.size() > 3 && line[3] == '-'));
}

}  // namespace

void CheckReplyLength(const std::string& line) {
    if (line.size() > MaxReplyLineLength) throw EKestrupError("Reply line too long");
}

std::string TReplySocket::ReadReplyLine() {
    std::string line = ReadLn();
    CheckReplyLength(line);
    return line;
}

void TReplySocket::ReadContinuation(const std::string& first,
                                    const std::function<void(const std::string&)>& onLine) {
    std::string last = first;
    int count = 0;
    while (Continues(last)) {
        if (++count > MaxReplyLines) throw EKestrupError("Reply too long");
        last = ReadReplyLine();
        if (last.empty()) break;  // the server closed mid-reply
        Report(ReplyText(last), 1);
        if (onLine) onLine(last);
    }
}

std::string TReplySocket::CommandReply(const std::string& command) {
    TReplyLimit limit(*this);
    std::string first = Transaction(command);
    CheckReplyLength(first);
    ReadContinuation(first);
    return first;
}

std::string TReplySocket::ReadReply() {
    TReplyLimit limit(*this);
    ReplyNumber = 0;
    LastReply = ReadReplyLine();
    if (!LastReply.empty()) {
        Report(ReplyText(LastReply), 1);
        ReplyNumber = ReplyNumberOf(LastReply);
    }
    ReadContinuation(LastReply);
    return LastReply;
}

}  // namespace kestrup

namespace kestrup {

void TReplySocket::Quit() {
    const int saved = TimeOut;
    if (TimedOut) TimeOut = TimeOut > 0 ? std::min(TimeOut, QuitGraceMs) : QuitGraceMs;
    try {
        CommandReply("QUIT");
    } catch (...) {
        TimeOut = saved;
        throw;
    }
    TimeOut = saved;
}

}  // namespace kestrup
