// TSmtpClient: sends one message over SMTP: HELO, the envelope, the header and
// the MIME body built from a TPostMessage.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HeaderList.h"
#include "ReplyReader.h"
#include "Streams.h"
#include "UUCodec.h"

namespace kestrup {

struct TPostMessage {
    std::string FromName;
    std::string FromAddress;
    std::string Subject;
    std::string LocalProgram;
    std::string Date;
    std::string ReplyTo;
    std::vector<std::string> ToAddress;
    std::vector<std::string> ToCarbonCopy;
    std::vector<std::string> ToBlindCarbonCopy;
    std::vector<std::string> Body;
    std::vector<std::string> Attachments;  // file paths
};

enum TMimeType { mtPlain, mtEnriched, mtSgml, mtTabSeperated, mtHtml };

// Lines of a body text, split at CR LF, LF and CR alike.
std::vector<std::string> SplitBodyText(const std::string& text);

// The address of a recipient entry: "Name <a@b>" gives a@b; "x:a@b" gives a@b.
std::string RecipientAddress(const std::string& entry);

class TSmtpClient : public TReplySocket {
public:
    TSmtpClient();

    std::string UserID;
    TPostMessage PostMessage;
    THeaderList FinalHeader;
    TUUMethod EncodeType = uuMime;
    bool ClearParams = true;
    TMimeType SubType = mtPlain;
    std::string Charset = "us-ascii";

    std::function<void(TSmtpClient&)> OnSendStart;
    std::function<void(TSmtpClient&)> OnSuccess;
    std::function<void(TSmtpClient&)> OnFailure;
    // reason 1: no sender address, 2: no recipient.
    std::function<void(TSmtpClient&, bool& handled, int reason)> OnHeaderIncomplete;
    std::function<void(TSmtpClient&, const std::string& entry)> OnRecipientNotFound;
    std::function<void(TSmtpClient&, bool& handled)> OnAuthenticationFailed;
    std::function<void(TSmtpClient&)> OnEncodeStart;
    std::function<void(TSmtpClient&)> OnEncodeEnd;
    std::function<void(TSmtpClient&, const std::string& path)> OnAttachmentNotFound;

    // Connects and greets with HELO.
    void Connect();
    // QUIT, then close in any case.
    void Disconnect();
    // Builds PostMessage and sends it.
    void SendMail();

    // The message as built by the last SendMail (or BuildMessage).
    void BuildMessage();
    const std::string& Boundary() const { return FBoundary; }
    const TMemoryStream& BodyStream() const { return FBody; }

private:
    TMemoryStream FBody;
    std::string FBoundary;
    bool FSending = false;

    void CheckMessageText();
    void AddBodyLines(const std::vector<std::string>& lines);
    void AddAttachment(const std::string& path);
    void Refuse(int atLeast);
};

}  // namespace kestrup
