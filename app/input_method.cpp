#include "input_method.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTimer>

namespace kb {

namespace {

// fcitx5 switches the input context that has its focus, and Qt tells it about
// our focus over a connection of its own: a call may come first, so the state
// is read back and the call repeated a few times until the method is on.
class Fcitx5 : public SystemInputMethod {
public:
    void turnOn(QWidget* field) override { attempt(field, 5); }

private:
    static QDBusMessage call(const char* method) {
        return QDBusMessage::createMethodCall(QStringLiteral("org.fcitx.Fcitx5"),
                                              QStringLiteral("/controller"),
                                              QStringLiteral("org.fcitx.Fcitx.Controller1"),
                                              QString::fromLatin1(method));
    }

    static void attempt(QPointer<QWidget> field, int left) {
        if (!field || !field->hasFocus() || left == 0) return;
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.asyncCall(call("Activate"));
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call("State")), field);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, field, [=] {
            watcher->deleteLater();
            const QDBusPendingReply<int> state = *watcher;
            constexpr int active = 2;
            if (state.isError() || state.value() != active)
                QTimer::singleShot(50, field, [=] { attempt(field, left - 1); });
        });
    }
};

// ibus has a bus of its own and, by default, one engine for the whole desktop:
// switching it to a Japanese engine switches the method on. Mozc's engine then
// starts as its own settings say (direct input, as Debian ships it), so the
// engine is asked for hiragana as well; ibus lets only Qt's connection talk to
// our input context, but the engine serving the focused field takes requests
// from anyone on the bus.
class IBus : public SystemInputMethod {
public:
    explicit IBus(const QDBusConnection& bus) : bus_(bus) {}

    void turnOn(QWidget* field) override {
        if (!field || !field->hasFocus()) return;
        for (const Engine& engine : kEngines) {
            if (engine_ && engine_ != &engine) continue;
            QDBusMessage m = QDBusMessage::createMethodCall(
                "org.freedesktop.IBus", "/org/freedesktop/IBus", "org.freedesktop.IBus",
                "SetGlobalEngine");
            m << QString::fromLatin1(engine.name);
            if (bus_.call(m, QDBus::Block, 500).type() != QDBusMessage::ReplyMessage) continue;
            engine_ = &engine;
            askForHiragana(field, 5);
            return;
        }
    }

private:
    struct Engine {
        const char* name;
        const char* service;
    };
    static constexpr Engine kEngines[] = {{"mozc-jp", "com.google.IBus.Mozc"},
                                          {"anthy", "org.freedesktop.IBus.Anthy"},
                                          {"kkc", "org.freedesktop.IBus.KKC"}};

    // The engine's instances are children of one path; with the desktop's one
    // engine there is a single one, made as the engine is switched to.
    void askForHiragana(QPointer<QWidget> field, int left) {
        if (!field || !field->hasFocus() || left == 0) return;
        const QString service = QString::fromLatin1(engine_->service);
        const QDBusMessage reply = bus_.call(
            QDBusMessage::createMethodCall(service, "/org/freedesktop/IBus/Engine",
                                           "org.freedesktop.DBus.Introspectable", "Introspect"),
            QDBus::Block, 500);
        static const QRegularExpression child(QStringLiteral("<node name=\"(\\d+)\""));
        auto nodes = child.globalMatch(reply.arguments().value(0).toString());
        if (!nodes.hasNext()) {
            QTimer::singleShot(50, field, [=, this] { askForHiragana(field, left - 1); });
            return;
        }
        while (nodes.hasNext()) {
            QDBusMessage m = QDBusMessage::createMethodCall(
                service, "/org/freedesktop/IBus/Engine/" + nodes.next().captured(1),
                "org.freedesktop.IBus.Engine", "PropertyActivate");
            m << QStringLiteral("InputMode.Hiragana") << 1u;
            bus_.call(m, QDBus::NoBlock);
        }
    }

    QDBusConnection bus_;
    const Engine* engine_ = nullptr;
};

QString ibusAddress(const QProcessEnvironment& env) {
    if (env.contains(QStringLiteral("IBUS_ADDRESS"))) return env.value(QStringLiteral("IBUS_ADDRESS"));
    QFile file(ibusAddressFile(env, QString::fromLatin1(QSysInfo::machineUniqueId())));
    if (!file.open(QIODevice::ReadOnly)) return {};
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith("IBUS_ADDRESS=")) return QString::fromUtf8(line.mid(13));
    }
    return {};
}

// Qt falls back to its compose input context when the method's own is not
// installed; the method then never sees our keys.
bool qtHasInputContext(const QString& name) {
    for (const QString& path : QCoreApplication::libraryPaths())
        if (!QDir(path + "/platforminputcontexts").entryList({u'*' + name + u'*'}).isEmpty())
            return true;
    return false;
}

} // namespace

QString ibusAddressFile(const QProcessEnvironment& env, const QString& machineId) {
    QString display = QStringLiteral("unix-0");
    if (const QString wayland = env.value(QStringLiteral("WAYLAND_DISPLAY")); !wayland.isEmpty()) {
        display = QStringLiteral("unix-") + wayland;
    } else if (const QString x = env.value(QStringLiteral("DISPLAY")); !x.isEmpty()) {
        // host:number.screen, the host "unix" when left out
        const QString host = x.section(u':', 0, 0);
        display = (host.isEmpty() ? QStringLiteral("unix") : host) + u'-' +
                  x.section(u':', 1).section(u'.', 0, 0);
    }
    QString config = env.value(QStringLiteral("XDG_CONFIG_HOME"));
    if (!QDir::isAbsolutePath(config)) config = env.value(QStringLiteral("HOME")) + "/.config";
    return config + "/ibus/bus/" + machineId + u'-' + display;
}

std::unique_ptr<SystemInputMethod> connectSystemInputMethod() {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString module = env.value(QStringLiteral("QT_IM_MODULE"));
    if ((module == u"fcitx" || module == u"fcitx5") && qtHasInputContext(QStringLiteral("fcitx5"))) {
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        if (bus && bus->isServiceRegistered(QStringLiteral("org.fcitx.Fcitx5")))
            return std::make_unique<Fcitx5>();
    } else if (module == u"ibus" && qtHasInputContext(module)) {
        const QString address = ibusAddress(env);
        if (address.isEmpty()) return nullptr;
        const QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("kb-ibus"));
        if (bus.isConnected()) return std::make_unique<IBus>(bus);
    }
    return nullptr;
}

} // namespace kb
