// TFtpClient: the control connection of an FTP session; each transfer opens a
// second socket as its data connection and frees it at the end.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ReplyReader.h"

namespace kestrup {

// A negative reply of the server; the message is its reply line.
class FTPException : public EKestrupError {
public:
    using EKestrupError::EKestrupError;
};

enum TFirewallType { FTUser, FtOpen, FtSite };

// What a success or failure event is about.
enum TFtpCommand { ftpCommand, ftpDownload };

// A server that never connects back in active mode is given this long when the
// client has no time-out of its own.
constexpr int DefaultAcceptTimeOut = 60000;
// Receive block of the data connection: each receive takes what the socket holds, up
// to this, and goes to the file from the same buffer.
constexpr size_t DataBlockSize = 1024 * 1024;

class TFtpClient : public TReplySocket {
public:
    TFtpClient();
    ~TFtpClient() override;

    std::string UserID;
    std::string Password;
    bool Passive = false;
    TFirewallType FirewallType = FTUser;
    std::string FWUserID;
    std::string FWPassword;
    bool FWAuthenticate = false;
    int Vendor = 2411;
    bool ParseList = false;
    // Limit of the wait for the server's data connection in active mode when
    // TimeOut is 0.
    int AcceptTimeOut = DefaultAcceptTimeOut;
    // Largest file downloaded (bytes, 0 = no cap); a larger one fails and leaves no file.
    int64_t MaxBody = DefaultMaxBody;

    std::function<void(TFtpClient&)> OnAuthenticationNeeded;
    std::function<void(TFtpClient&)> OnTransactionStart;
    std::function<void(TFtpClient&)> OnTransactionStop;
    std::function<void(TFtpClient&, TFtpCommand)> OnSuccess;
    std::function<void(TFtpClient&, TFtpCommand, bool& handled)> OnFailure;
    std::function<void(TFtpClient&, TFtpCommand)> OnUnSupportedFunction;

    // Connects and logs in.
    void Connect();
    // Logs out and closes.
    void Disconnect();
    // One command line and its reply; a reply from 400 to 599 is a failure.
    void Command(const std::string& command);
    // 1 ASCII, 2 image, 3 local 8 bits; other values send nothing.
    void SetTransferType(int type);
    // Fetches remote into local (the remote name when local is empty). The file
    // is written beside its target and appears only when the transfer is whole.
    void Download(const std::string& remote, const std::string& local);
    // Cancels the running transfer too.
    void Abort();

    // The data connection of the running transfer, or null.
    TSocketBase* DataConnection() const { return FData.get(); }

private:
    std::unique_ptr<TSocketBase> FData;
    // Set when the transfer is given up on our side, so that the server hears ABOR.
    bool FAbandoned = false;
    // Active mode failed (PORT refused, or no connection from the server in time).
    bool FActiveFailed = false;
    // A RETR in active mode whose data connection never came.
    bool FRetrPending = false;

    // Fails when the last reply is from lo to hi, or when there was none.
    void Judge(int lo, int hi);
    void LogIn();
    void NewDataSocket();
    void OpenDataConnection(bool passive);
    void Receive(const std::string& remote, const std::string& target, bool passive);
    // Ends a failed active attempt on the server's side before passive is tried.
    void EndActiveAttempt();
    // Tells the server the running transfer is over and reads what it answers.
    void AbortTransfer();
    void Fail(TFtpCommand command);
};

// The size a 150 or 125 line announces ("... (1234 bytes)"), 0 when none.
int64_t AnnouncedSize(const std::string& line);

}  // namespace kestrup
