#pragma once
// Single instance, activation by a second start, and the uninstaller hand-off.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;

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

// Asks a running instance to come forward ("activate") or to close ("close").
// True when an instance was found and took the message.
bool SendToRunningInstance(const QByteArray& message, int timeoutMs = 1000);

// Listens for later starts of the program.
class InstanceServer : public QObject {
    Q_OBJECT
public:
    InstanceServer(std::function<void()> onActivate, std::function<void()> onClose,
                   QObject* parent = nullptr);
    ~InstanceServer() override;
    bool Listening() const;

private:
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onActivate_, onClose_;
};

}  // namespace orb
