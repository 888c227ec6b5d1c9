// KDE Plasma and GNOME: a script inside KWin, or the program's extension inside GNOME Shell, tells the focused
// window over the session bus. Only what the compositor's own connection says is believed.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>

#include <limits>
#include <map>
#include <memory>
#include <string>

#include "platform/linux/ForegroundSession.h"
#include "platform/linux/ForegroundSources.h"

namespace kelvora {
namespace {

const QString kService = QStringLiteral("com.talvek.Kelvora2008");
const QString kReportPath = QStringLiteral("/com/talvek/Kelvora2008/Foreground");
const QString kReportInterface = QStringLiteral("com.talvek.Kelvora2008.Foreground");
const QString kExtensionService = QStringLiteral("com.talvek.Kelvora2008.Shell");
const QString kScriptName = QStringLiteral("kelvora-2008-foreground");
constexpr int kCallTimeoutMs = 500;

// Window ids arrive as text (KWin's are UUIDs): each gets a number of its own, stable while the program runs.
class WindowNumbers {
public:
    std::uint64_t numberOf(const QString& id) {
        if (id.isEmpty())
            return 0;
        if (numbers_.size() > 4096) // windows come and go for days; forget the old ones
            numbers_.clear();
        auto [it, added] = numbers_.try_emplace(id.toStdString(), next_);
        if (added)
            ++next_;
        return it->second;
    }

private:
    std::map<std::string, std::uint64_t> numbers_;
    std::uint64_t next_ = 1;
};

QString ownerOf(const QDBusConnection& bus, const QString& name) {
    const auto reply = bus.interface()->serviceOwner(name);
    return reply.isValid() ? reply.value() : QString();
}

FocusedWindow focusFrom(const QList<QVariant>& arguments, WindowNumbers& numbers) {
    if (arguments.size() != 2)
        return {};
    const std::uint64_t id = numbers.numberOf(arguments[1].toString());
    // KWin sends the pid as a signed number; anything not a process id means no process.
    const qlonglong pid = arguments[0].toLongLong();
    const bool isPid = pid > 0 && pid <= std::numeric_limits<std::int32_t>::max();
    return id == 0 ? FocusedWindow{} : FocusedWindow{id, isPid ? static_cast<std::uint32_t>(pid) : 0U};
}

// KWin's script calls Report(pid, id) on every activation; we keep the last word of KWin's own connection.
class KWinReports : public QDBusVirtualObject {
public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != kReportInterface || message.member() != QLatin1String("Report"))
            return false;
        if (message.service() == ownerOf(connection, QStringLiteral("org.kde.KWin")))
            focus = focusFrom(message.arguments(), numbers_);
        connection.send(message.createReply());
        return true;
    }

    QString introspect(const QString&) const override {
        return QStringLiteral("<interface name=\"com.talvek.Kelvora2008.Foreground\"><method name=\"Report\">"
                              "<arg type=\"i\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/></method>"
                              "</interface>");
    }

    FocusedWindow focus;

private:
    WindowNumbers numbers_;
};

class KWinForegroundWindows : public ForegroundWindows {
public:
    KWinForegroundWindows(QDBusConnection bus, const std::string& scriptPath) : bus_(std::move(bus)) {
        bus_.registerVirtualObject(kReportPath, &reports_);
        bus_.registerService(kService);
        scripting(QStringLiteral("unloadScript"), {kScriptName}); // one left by a copy that crashed
        scripting(QStringLiteral("loadScript"), {QString::fromStdString(scriptPath), kScriptName});
        scripting(QStringLiteral("start"), {});
    }
    ~KWinForegroundWindows() override {
        scripting(QStringLiteral("unloadScript"), {kScriptName});
        bus_.unregisterObject(kReportPath);
    }
    KWinForegroundWindows(const KWinForegroundWindows&) = delete;
    KWinForegroundWindows& operator=(const KWinForegroundWindows&) = delete;

    std::uint64_t GetForegroundWindow() override { return reports_.focus.id; }
    std::uint32_t GetWindowThreadProcessId(std::uint64_t window) override {
        return window != 0 && window == reports_.focus.id ? reports_.focus.pid : 0;
    }

private:
    void scripting(const QString& method, const QList<QVariant>& arguments) {
        auto call = QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
                                                   QStringLiteral("org.kde.kwin.Scripting"), method);
        call.setArguments(arguments);
        bus_.call(call, QDBus::Block, kCallTimeoutMs);
    }

    QDBusConnection bus_;
    KWinReports reports_;
};

// The extension answers Get() -> (pid, id) for the window GNOME Shell has focused.
class GnomeForegroundWindows : public ForegroundWindows {
public:
    explicit GnomeForegroundWindows(QDBusConnection bus) : bus_(std::move(bus)) {}

    std::uint64_t GetForegroundWindow() override {
        focus_ = {};
        const auto call = QDBusMessage::createMethodCall(kExtensionService, QStringLiteral("/com/talvek/Kelvora2008/Focus"),
                                                         QStringLiteral("com.talvek.Kelvora2008.Focus"),
                                                         QStringLiteral("Get"));
        const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
        // The extension lives in GNOME Shell's process: its name and the shell's share one connection.
        if (reply.type() == QDBusMessage::ReplyMessage &&
            reply.service() == ownerOf(bus_, QStringLiteral("org.gnome.Shell")))
            focus_ = focusFrom(reply.arguments(), numbers_);
        return focus_.id;
    }
    std::uint32_t GetWindowThreadProcessId(std::uint64_t window) override {
        return window != 0 && window == focus_.id ? focus_.pid : 0;
    }

private:
    QDBusConnection bus_;
    FocusedWindow focus_;
    WindowNumbers numbers_;
};

} // namespace

void readBusFacts(SessionFacts& facts) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    facts.kwinScripting = bus.interface()->isServiceRegistered(QStringLiteral("org.kde.KWin"));
    facts.gnomeExtension = bus.interface()->isServiceRegistered(kExtensionService);
}

std::unique_ptr<ForegroundWindows> createKWinForeground(const std::string& scriptPath) {
    return std::make_unique<KWinForegroundWindows>(QDBusConnection::sessionBus(), scriptPath);
}

std::unique_ptr<ForegroundWindows> createGnomeForeground() {
    return std::make_unique<GnomeForegroundWindows>(QDBusConnection::sessionBus());
}

} // namespace kelvora
