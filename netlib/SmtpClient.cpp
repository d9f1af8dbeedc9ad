#include "SmtpClient.h"

#include <memory>
#include <random>

namespace kestrup {

namespace {

const char* const CRLF = "\r\n";

// Lines of a text split at CR LF, LF and CR; a final line break starts no line.
std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, CRLF) == 0 ? 2 : 1);
    }
    return lines;
}

// A line that starts with '.' gets one more, so none of them ends the data.
void PutLine(TMemoryStream& out, const std::string& line) {
    if (!line.empty() && line[0] == '.') out.WriteString(".");
    out.WriteString(line);
    out.WriteString(CRLF);
}

std::string Joined(const std::vector<std::string>& entries) {
    std::string s;
    for (const auto& e : entries) {
        if (!s.empty()) s += ",";
        s += e;
    }
    return s;
}

std::string RandomLetters(int count) {
    std::random_device seed;
    std::mt19937 gen(seed());
    std::uniform_int_distribution<int> letter('a', 'y');
    std::string s;
    for (int i = 0; i < count; ++i) s += char(letter(gen));
    return s;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::vector<std::string> SplitBodyText(const std::string& text) { return LinesOf(text); }

std::string RecipientAddress(const std::string& entry) {
    size_t lt = entry.find('<');
    if (lt != std::string::npos) {
        size_t gt = entry.find('>', lt + 1);
        return entry.substr(lt + 1, gt == std::string::npos ? std::string::npos : gt - lt - 1);
    }
    size_t colon = entry.find(':');
    if (colon == std::string::npos) return entry;
    size_t second = entry.find(':', colon + 1);
    return entry.substr(colon + 1,
                        second == std::string::npos ? std::string::npos : second - colon - 1);
}

TSmtpClient::TSmtpClient() { Port = 25; }

void TSmtpClient::Refuse(int atLeast) {
    if (ReplyNumber == 0)
        throw EKestrupError(LastReply.empty() ? "Connection closed by server"
                                              : ReplyText(LastReply));
    if (ReplyNumber >= atLeast) throw EKestrupError(ReplyText(LastReply));
}

void TSmtpClient::Connect() {
    const bool wasSending = FSending;
    FSending = true;
    try {
        RefuseLineBreaks(UserID, "HELO name");
        // OnConnect means greeted, not merely connected.
        TSocketBase::ConnectHoldingOnConnect();
        try {
            ReadReply();
            bool asked = false;
            for (;;) {
                CommandReply("HELO " + UserID);
                if (ReplyNumber != 0 && ReplyNumber < 300) break;
                bool handled = false;
                if (!asked && OnAuthenticationFailed) {
                    asked = true;
                    OnAuthenticationFailed(*this, handled);
                    RefuseLineBreaks(UserID, "HELO name");
                }
                if (!handled) throw EKestrupError("Authentication failed");
            }
        } catch (...) {
            try {
                Disconnect();
            } catch (...) {
            }
            throw;
        }
        if (OnConnect) OnConnect(*this);
    } catch (...) {
        if (!wasSending) FSending = false;
        throw;
    }
    if (!wasSending) FSending = false;
}

void TSmtpClient::Disconnect() {
    Canceled = false;
    if (!Connected) {
        TSocketBase::Disconnect();
        return;
    }
    try {
        Quit();
    } catch (...) {
        TSocketBase::Disconnect();
        throw;
    }
    TSocketBase::Disconnect();
    if (ReplyNumber > 339) throw EKestrupError(ReplyText(LastReply));
}

void TSmtpClient::CheckMessageText() {
    const TPostMessage& m = PostMessage;
    RefuseLineBreaks(m.FromName, "sender name");
    RefuseLineBreaks(m.FromAddress, "sender address");
    RefuseLineBreaks(m.Subject, "subject");
    RefuseLineBreaks(m.LocalProgram, "program name");
    RefuseLineBreaks(m.Date, "date");
    RefuseLineBreaks(m.ReplyTo, "reply address");
    RefuseLineBreaks(Charset, "charset");
    for (const auto* list : {&m.ToAddress, &m.ToCarbonCopy, &m.ToBlindCarbonCopy})
        for (const auto& entry : *list) RefuseLineBreaks(entry, "recipient");
    for (const auto& path : m.Attachments) RefuseLineBreaks(path, "attachment name");
}

void TSmtpClient::AddBodyLines(const std::vector<std::string>& lines) {
    for (const auto& entry : lines) {
        if (entry.empty()) {
            PutLine(FBody, entry);
            continue;
        }
        for (const auto& line : LinesOf(entry)) PutLine(FBody, line);
    }
}

void TSmtpClient::AddAttachment(const std::string& path) {
    const std::string name = BaseName(path);
    FBody.WriteString("--" + FBoundary + CRLF);
    FBody.WriteString("Content-Type: application/octet-stream; name=\"" + name + "\"" + CRLF);
    FBody.WriteString(std::string("Content-Transfer-Encoding: base64") + CRLF);
    FBody.WriteString("Content-Disposition: attachment; filename=\"" + name + "\"" + CRLF);
    FBody.WriteString(CRLF);
    std::unique_ptr<TFileStream> file;
    try {
        file = std::make_unique<TFileStream>(path, TFileStream::fmOpenRead);
    } catch (...) {
        if (OnAttachmentNotFound) OnAttachmentNotFound(*this, path);
        throw;
    }
    TUUProcessor encoder;
    encoder.Method = EncodeType;
    encoder.OnBeginEncode = [this](TUUProcessor&) {
        if (OnEncodeStart) OnEncodeStart(*this);
    };
    encoder.OnEndEncode = [this](TUUProcessor&) {
        if (OnEncodeEnd) OnEncodeEnd(*this);
    };
    TMemoryStream encoded;
    encoder.Encode(*file, encoded);
    // A uuencoded line of 14 bytes starts with '.': it is stuffed like any other.
    for (const auto& line : LinesOf(encoded.Data())) PutLine(FBody, line);
}

void TSmtpClient::BuildMessage() {
    CheckMessageText();
    const TPostMessage& m = PostMessage;
    FinalHeader.Clear();
    FinalHeader.Add("From: " + m.FromName + "<" + m.FromAddress + ">");
    if (!m.ToAddress.empty()) FinalHeader.Add("To: " + Joined(m.ToAddress));
    if (!m.ToCarbonCopy.empty()) FinalHeader.Add("CC: " + Joined(m.ToCarbonCopy));
    if (!m.Subject.empty()) FinalHeader.Add("Subject: " + m.Subject);
    if (!m.LocalProgram.empty()) FinalHeader.Add("X-Mailer: " + m.LocalProgram);
    if (!m.ReplyTo.empty()) FinalHeader.Add("Reply-To: " + m.ReplyTo);
    if (!m.Date.empty()) FinalHeader.Add("Date: " + m.Date);
    FinalHeader.Add("Mime-Version: 1.0");
    FBody.Clear();
    if (!m.Attachments.empty()) {
        FBoundary = "====================54535" + RandomLetters(6) + "====";
        FinalHeader.Add("Content-Type: multipart/mixed; boundary=\"" + FBoundary + "\"");
        FBody.WriteString("--" + FBoundary + CRLF);
        FBody.WriteString("Content-Type: text/plain; charset=" + Charset + CRLF + CRLF);
        AddBodyLines(m.Body);
        for (const auto& path : m.Attachments) AddAttachment(path);
        FBody.WriteString("--" + FBoundary + "--" + CRLF);
        return;
    }
    FBoundary.clear();
    const char* type = "text/plain";
    switch (SubType) {
        case mtEnriched:
            type = "text/enriched";
            break;
        case mtSgml:
            type = "text/sgml";
            break;
        case mtTabSeperated:
            type = "text/tab-separated-values";
            break;
        case mtHtml:
            type = "text/html";
            break;
        case mtPlain:
            break;
    }
    FinalHeader.Add(std::string("Content-Type: ") + type + "; charset=" + Charset);
    AddBodyLines(m.Body);
}

void TSmtpClient::SendMail() {
    if (FSending) return;
    FSending = true;
    try {
        BuildMessage();
        CertifyConnect();
        TPostMessage& m = PostMessage;
        for (bool asked = false;;) {
            bool noSender = m.FromAddress.empty();
            bool noRecipient =
                m.ToAddress.empty() && m.ToCarbonCopy.empty() && m.ToBlindCarbonCopy.empty();
            if (!noSender && !noRecipient) break;
            bool handled = false;
            if (OnHeaderIncomplete && !asked) OnHeaderIncomplete(*this, handled, noSender ? 1 : 2);
            if (!handled) throw EKestrupError("Incomplete Header");
            asked = true;
            BuildMessage();  // the handler may have filled in what was missing
        }
        if (OnSendStart) OnSendStart(*this);
        CommandReply("RSET");
        Refuse(400);
        CommandReply("MAIL FROM:<" + m.FromAddress + ">");
        Refuse(400);
        for (const auto* list : {&m.ToAddress, &m.ToCarbonCopy, &m.ToBlindCarbonCopy}) {
            for (const auto& entry : *list) {
                std::string address = RecipientAddress(entry);
                if (address.empty()) continue;
                CommandReply("RCPT TO:<" + address + ">");
                // Without a handler a refused recipient is let pass: the reply to
                // DATA decides whether anyone gets the message.
                if (ReplyNumber > 300 && OnRecipientNotFound) OnRecipientNotFound(*this, entry);
            }
        }
        CommandReply("DATA");
        Refuse(400);
        // Header, body and the closing "." leave in one stream: separate small
        // writes would wait on the server's delayed acknowledgement each time.
        TMemoryStream data;
        data.WriteString(FinalHeader.Text() + CRLF + CRLF);
        data.WriteString(FBody.Data());
        data.WriteString(std::string(".") + CRLF);
        SendStream(data);
        ReadReply();
        if (ReplyNumber == 0 || ReplyNumber >= 400) {
            if (OnFailure) OnFailure(*this);
            Refuse(400);
        }
        if (ClearParams) {
            m.ToAddress.clear();
            m.ToCarbonCopy.clear();
            m.ToBlindCarbonCopy.clear();
            m.Attachments.clear();
        }
    } catch (...) {
        FSending = false;
        throw;
    }
    FSending = false;
    if (OnSuccess) OnSuccess(*this);
}

}  // namespace kestrup
