#include "shell/Instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QTextStream>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Outward.h"
#include "platform/Paths.h"

namespace orb {

UninstallCommand ParseUninstallString(const QString& text) {
    UninstallCommand c;
    if (text.isEmpty()) return c;
    if (text.startsWith('"')) {
        const int close = text.indexOf('"', 1);
        if (close < 0) {
            c.program = text.mid(1);
            return c;
        }
        c.program = text.mid(1, close - 1);
        // Parameters follow the closing quote and one more character (the blank).
        c.parameters = text.mid(close + 2);
        return c;
    }
    const int blankQuote = text.indexOf(QLatin1String(" \""));
    if (blankQuote < 0) {
        c.program = text;
        return c;
    }
    c.program = text.left(blankQuote);
    c.parameters = text.mid(text.indexOf('"'));
    return c;
}

QString ReadUninstallString() {
    QFile f(ProgramFile("uninstall.entry"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        static const QString key = QStringLiteral("UninstallString=");
        if (line.startsWith(key)) return line.mid(key.size());
    }
    return {};
}

bool RunUninstaller() {
    const UninstallCommand c = ParseUninstallString(ReadUninstallString());
    if (c.program.isEmpty()) return false;
    return Out().StartProgram(c.program, QProcess::splitCommand(c.parameters),
                              QFileInfo(c.program).absolutePath());
}

QString InstanceServerName() {
    // Tests and side-by-side installs can name their own instance.
    const QString given = qEnvironmentVariable("ORBELLE_INSTANCE");
    if (!given.isEmpty()) return given;
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = QString::number(qulonglong(getuid()));
    QString session = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (session.isEmpty()) session = qEnvironmentVariable("DISPLAY");
    for (QChar& c : session)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != '_' && c != '.' && c != '-') c = '_';
    return QStringLiteral("Orbelle-%1-%2").arg(user, session);
}

QString InstanceSocketPath() {
    const QString name = InstanceServerName();
    return name.startsWith('/') ? name : QDir::tempPath() + '/' + name;
}

namespace {

// The address of a socket path; false when the path does not fit.
bool Address(const QByteArray& path, sockaddr_un& a) {
    std::memset(&a, 0, sizeof a);
    a.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof a.sun_path) return false;
    std::memcpy(a.sun_path, path.constData(), size_t(path.size()));
    return true;
}

int StreamSocket() { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0); }

// Waits until the socket can be read or written; false on time-out.
bool WaitFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    int r;
    do r = ::poll(&p, 1, timeoutMs);
    while (r < 0 && errno == EINTR);
    return r > 0;
}

// A connected socket to the path, or -1.
int ConnectTo(const QByteArray& path, int timeoutMs) {
    sockaddr_un a;
    if (!Address(path, a)) return -1;
    const int fd = StreamSocket();
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
    // A full backlog: the connection completes once the instance accepts.
    int err = 0;
    socklen_t len = sizeof err;
    if ((errno == EAGAIN || errno == EINPROGRESS) && WaitFor(fd, POLLOUT, timeoutMs) &&
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0)
        return fd;
    ::close(fd);
    return -1;
}

bool WriteAll(int fd, const QByteArray& data, int timeoutMs) {
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::send(fd, data.constData() + done, size_t(data.size() - done), MSG_NOSIGNAL);
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            if (!WaitFor(fd, POLLOUT, timeoutMs)) return false;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

bool SendToRunningInstance(const QByteArray& message, int timeoutMs) {
    const int fd = ConnectTo(QFile::encodeName(InstanceSocketPath()), timeoutMs);
    if (fd < 0) return false;
    const bool sent = WriteAll(fd, message + "\n", timeoutMs);
    // The instance answers once it has read the message; its action follows.
    if (sent && WaitFor(fd, POLLIN, timeoutMs)) {
        char reply[16];
        (void)::recv(fd, reply, sizeof reply, 0);
    }
    ::close(fd);
    return sent;
}

struct InstanceServer::Client {
    std::unique_ptr<QSocketNotifier> notifier;
    QByteArray line;
};

InstanceServer::InstanceServer(std::function<void()> onActivate, std::function<void()> onClose,
                               QObject* parent)
    : QObject(parent), onActivate_(std::move(onActivate)), onClose_(std::move(onClose)) {
    const QByteArray path = QFile::encodeName(InstanceSocketPath());
    if (!Listen(path)) {
        // Take the name over only from a crashed instance: a live one still accepts.
        const int probe = ConnectTo(path, 500);
        if (probe >= 0) {
            ::close(probe);
            return;
        }
        ::unlink(path.constData());
        if (!Listen(path)) return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Accept(); });
}

InstanceServer::~InstanceServer() {
    clients_.clear();
    notifier_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(path_.constData());
    }
}

bool InstanceServer::Listen(const QByteArray& path) {
    sockaddr_un a;
    if (!Address(path, a)) return false;
    const int fd = StreamSocket();
    if (fd < 0) return false;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 8) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    return true;
}

void InstanceServer::Accept() {
    for (;;) {
        const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (c < 0) return;
        auto client = std::make_unique<Client>();
        client->notifier = std::make_unique<QSocketNotifier>(c, QSocketNotifier::Read);
        connect(client->notifier.get(), &QSocketNotifier::activated, this, [this, c] { Read(c); });
        clients_[c] = std::move(client);
    }
}

void InstanceServer::Read(int fd) {
    const auto it = clients_.find(fd);
    if (it == clients_.end()) return;
    QByteArray& line = it->second->line;
    char buf[64];
    ssize_t n;
    while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0) line.append(buf, n);
    const bool closed = n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR);
    const qsizetype end = line.indexOf('\n');
    // A line, or enough of one: longer messages are not ours.
    if (end < 0 && line.size() < 64) {
        if (closed) Drop(fd);
        return;
    }
    const QByteArray msg = line.left(end < 0 ? 64 : end).trimmed();
    (void)::send(fd, "ok\n", 3, MSG_NOSIGNAL);
    Drop(fd);
    if (msg == "close") {
        if (onClose_) onClose_();
    } else if (onActivate_) {
        onActivate_();
    }
}

void InstanceServer::Drop(int fd) {
    const auto it = clients_.find(fd);
    if (it == clients_.end()) return;
    // The notifier may be the one whose signal is running: it goes once that has returned.
    QSocketNotifier* n = it->second->notifier.release();
    n->setEnabled(false);
    n->deleteLater();
    clients_.erase(it);
    ::close(fd);
}

}  // namespace orb
