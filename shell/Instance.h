#pragma once
// Single instance, activation by a second start, and the uninstaller hand-off.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;

namespace orb {

struct UninstallCommand {
    QString program;
    QString parameters;
};

// Splits the uninstall entry into program and parameters by the classic quoting rules.
UninstallCommand ParseUninstallString(const QString& text);
// The "UninstallString" of the uninstall entry written at install time; empty when absent.
QString ReadUninstallString();
// Starts the uninstaller named by the entry; false when there is none or it failed.
bool RunUninstaller();

// The name under which the running instance listens (per user and display session).
QString InstanceServerName();
// The local socket of that name: the name itself when it is a path, else a file of that name
// in the temporary folder.
QString InstanceSocketPath();

// Asks a running instance to come forward ("activate") or to close ("close").
// True when an instance was found and took the message.
bool SendToRunningInstance(const QByteArray& message, int timeoutMs = 1000);

// Listens for later starts of the program on a local stream socket. A later start sends one
// line ("activate" or "close"), gets "ok" once it has been read, and the action follows.
// Plain sockets and the event loop's notifiers: no network library loads at start-up.
class InstanceServer : public QObject {
    Q_OBJECT
public:
    InstanceServer(std::function<void()> onActivate, std::function<void()> onClose,
                   QObject* parent = nullptr);
    ~InstanceServer() override;
    bool Listening() const { return fd_ >= 0; }

private:
    struct Client;
    bool Listen(const QByteArray& path);
    void Accept();
    void Read(int fd);
    void Drop(int fd);

    int fd_ = -1;
    QByteArray path_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::map<int, std::unique_ptr<Client>> clients_;
    std::function<void()> onActivate_, onClose_;
};

}  // namespace orb
