#include "shell/Instance.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>
#include <unistd.h>

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
    session.replace(QRegularExpression("[^A-Za-z0-9_.-]"), "_");
    return QStringLiteral("Orbelle-%1-%2").arg(user, session);
}

bool SendToRunningInstance(const QByteArray& message, int timeoutMs) {
    QLocalSocket s;
    s.connectToServer(InstanceServerName());
    if (!s.waitForConnected(timeoutMs)) return false;
    s.write(message + "\n");
    if (!s.waitForBytesWritten(timeoutMs)) return false;
    // The instance answers once it has acted.
    s.waitForReadyRead(timeoutMs);
    s.disconnectFromServer();
    return true;
}

InstanceServer::InstanceServer(std::function<void()> onActivate, std::function<void()> onClose,
                               QObject* parent)
    : QObject(parent),
      server_(std::make_unique<QLocalServer>()),
      onActivate_(std::move(onActivate)),
      onClose_(std::move(onClose)) {
    const QString name = InstanceServerName();
    if (!server_->listen(name)) {
        // Take the name over only from a crashed instance: a live one still accepts.
        QLocalSocket probe;
        probe.connectToServer(name);
        const bool alive = probe.waitForConnected(500);
        probe.abort();
        if (!alive) {
            QLocalServer::removeServer(name);
            server_->listen(name);
        }
    }
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QLocalSocket::readyRead, s, [this, s] {
                if (!s->canReadLine() && s->bytesAvailable() < 64) return;
                const QByteArray msg = s->readLine(64).trimmed();
                s->write("ok\n");
                s->flush();
                if (msg == "close") {
                    if (onClose_) onClose_();
                } else if (onActivate_) {
                    onActivate_();
                }
            });
        }
    });
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::Listening() const { return server_->isListening(); }

}  // namespace orb
