#include "input_method.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
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
        return QDBusMessage::createMethodCall(
            QStringLiteral("org.fcitx.Fcitx5"), QStringLiteral("/controller"),
            QStringLiteral("org.fcitx.Fcitx.Controller1"), QString::fromLatin1(method));
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

// How long a call to ibus may take before the game gives up on it; ibus starts
// an engine's process on the first switch to it, which is not quick.
constexpr int kCallTimeout = 3000;
// At exit the engine is given back with a wait of at most this.
constexpr int kExitTimeout = 200;

// ibus has a bus of its own and, by default, one engine for the whole desktop:
// switching it to a Japanese engine switches the method on for every program.
// So the engine the player had is read first and given back when the game's
// window loses the activation to another program, and at exit, as a box's
// input mode works on Windows. Mozc's engine starts as its own settings say
// (direct input, as Debian ships it), so it is asked for hiragana as well;
// ibus lets only Qt's connection talk to our input context, but the engine
// serving the focused field takes requests from anyone on the bus. Every call
// is asynchronous: a stalled ibus must not freeze the window.
class IBus : public QObject, public SystemInputMethod {
    Q_OBJECT
public:
    explicit IBus(const QDBusConnection& bus) : bus_(bus) {
        connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    if (state != Qt::ApplicationActive) giveBack();
                });
        connect(qApp, &QCoreApplication::aboutToQuit, this, &IBus::giveBackAtExit);
        // Mozc's input mode can only be learnt from what its engine announces.
        for (const char* signal : {"RegisterProperties", "UpdateProperty"})
            bus_.connect(QString::fromLatin1(kEngines[0].service), {},
                         QStringLiteral("org.freedesktop.IBus.Engine"), QString::fromLatin1(signal),
                         this, SLOT(mozcProperties(QDBusMessage)));
    }
    ~IBus() override {
        giveBackAtExit();
        QDBusConnection::disconnectFromBus(bus_.name());
    }

    void turnOn(QWidget* field) override {
        if (!focused(field)) return;
        if (lent_ || givingBack_) { // what the player had is known
            lent_ = true;
            switchOn(field, 0);
            return;
        }
        whenAnswered(ibusCall("GetGlobalEngine"),
                     [this, f = QPointer<QWidget>(field)](const QDBusMessage& reply) {
                         if (!focused(f) || lent_ || stalled(reply)) return;
                         playerEngine_ = engineName(reply);
                         playerMode_ = playerEngine_ == QLatin1String(kEngines[0].name)
                                           ? lastMozcMode_
                                           : QString();
                         lent_ = true;
                         switchOn(f, 0);
                     });
    }

private Q_SLOTS:
    void mozcProperties(const QDBusMessage& signal) {
        const QString mode = mozcInputMode(signal.arguments().value(0));
        if (mode.isEmpty()) return;
        mozcMode_ = mode;
        if (!lent_) lastMozcMode_ = mode;
    }

private:
    struct Engine {
        const char* name;
        const char* service;
    };
    static constexpr Engine kEngines[] = {{"mozc-jp", "com.google.IBus.Mozc"},
                                          {"anthy", "org.freedesktop.IBus.Anthy"},
                                          {"kkc", "org.freedesktop.IBus.KKC"}};

    static bool focused(QWidget* field) {
        return field && field->hasFocus() && field->isActiveWindow();
    }
    static bool stalled(const QDBusMessage& reply) {
        return reply.type() == QDBusMessage::ErrorMessage &&
               (reply.errorName() == u"org.freedesktop.DBus.Error.NoReply" ||
                reply.errorName() == u"org.freedesktop.DBus.Error.Timeout");
    }
    // The name in an IBusEngineDesc: (s a{sv} s ...) in a variant.
    static QString engineName(const QDBusMessage& reply) {
        const QVariant desc = reply.arguments().value(0).value<QDBusVariant>().variant();
        if (reply.type() != QDBusMessage::ReplyMessage ||
            desc.userType() != qMetaTypeId<QDBusArgument>())
            return {};
        const QDBusArgument arg = qvariant_cast<QDBusArgument>(desc);
        QString type, name;
        QVariantMap attachments;
        arg.beginStructure();
        arg >> type >> attachments >> name;
        return name;
    }

    static QDBusMessage ibusMessage(const char* method) {
        return QDBusMessage::createMethodCall("org.freedesktop.IBus", "/org/freedesktop/IBus",
                                              "org.freedesktop.IBus", QString::fromLatin1(method));
    }
    QDBusPendingCall ibusCall(const char* method, const QString& argument = {}) {
        QDBusMessage m = ibusMessage(method);
        if (!argument.isNull()) m << argument;
        return bus_.asyncCall(m, kCallTimeout);
    }
    template <class Done> void whenAnswered(const QDBusPendingCall& call, Done done) {
        auto* watcher = new QDBusPendingCallWatcher(call, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, done] {
            watcher->deleteLater();
            done(watcher->reply());
        });
    }

    // The first Japanese engine installed, in the order of kEngines.
    void switchOn(QPointer<QWidget> field, int index) {
        const Engine* engine = engine_ ? engine_ : &kEngines[index];
        whenAnswered(ibusCall("SetGlobalEngine", QString::fromLatin1(engine->name)),
                     [=, this](const QDBusMessage& reply) {
                         if (reply.type() == QDBusMessage::ReplyMessage) {
                             engine_ = engine;
                             askForHiragana(field, kHiraganaTries);
                         } else if (!engine_ && !stalled(reply) &&
                                    index + 1 < std::ssize(kEngines)) {
                             switchOn(field, index + 1);
                         }
                     });
    }

    // Mozc's first start can take many seconds on a busy machine; asking stops
    // anyway once the box loses the focus.
    static constexpr int kHiraganaTries = 120; // every 250 ms: 30 s

    // The engine's instances are children of one path; with the desktop's one
    // engine there is a single one, made as the engine is switched to.
    // Mozc takes no requests until its server is up: the request is repeated
    // until Mozc says it is in hiragana.
    void askForHiragana(QPointer<QWidget> field, int left) {
        if (!focused(field) || !lent_ || left == 0) return;
        const QString service = QString::fromLatin1(engine_->service);
        const QDBusMessage introspect =
            QDBusMessage::createMethodCall(service, "/org/freedesktop/IBus/Engine",
                                           "org.freedesktop.DBus.Introspectable", "Introspect");
        whenAnswered(
            bus_.asyncCall(introspect, kCallTimeout), [=, this](const QDBusMessage& reply) {
                static const QRegularExpression child(QStringLiteral("<node name=\"(\\d+)\""));
                auto nodes = child.globalMatch(reply.arguments().value(0).toString());
                if (stalled(reply)) return;
                enginePaths_.clear();
                while (nodes.hasNext())
                    enginePaths_ << "/org/freedesktop/IBus/Engine/" + nodes.next().captured(1);
                mozcMode_.clear();
                setMode(kHiragana);
                QTimer::singleShot(250, this, [=, this] {
                    if (enginePaths_.isEmpty() || (engine_ == kEngines && mozcMode_ != kHiragana))
                        askForHiragana(field, left - 1);
                });
            });
    }

    void setMode(const QString& mode) {
        for (const QString& path : std::as_const(enginePaths_)) {
            QDBusMessage m =
                QDBusMessage::createMethodCall(QString::fromLatin1(engine_->service), path,
                                               "org.freedesktop.IBus.Engine", "PropertyActivate");
            m << mode << 1u;
            bus_.asyncCall(m, kCallTimeout);
        }
    }

    // Puts back the engine, and Mozc's mode, the player had before we turned it on.
    void giveBack() {
        if (!lent_) return;
        lent_ = false;
        if (playerEngine_.isEmpty()) return;
        if (engine_ && playerEngine_ == QLatin1String(engine_->name) && !playerMode_.isEmpty())
            setMode(playerMode_);
        givingBack_ = true;
        whenAnswered(ibusCall("SetGlobalEngine", playerEngine_),
                     [this](const QDBusMessage&) { givingBack_ = lent_; });
    }

    // The process is about to end: the engine must be back before it does.
    void giveBackAtExit() {
        if (!lent_ && !givingBack_) return;
        giveBack();
        QDBusMessage m = ibusMessage("SetGlobalEngine");
        m << playerEngine_;
        bus_.call(m, QDBus::Block, kExitTimeout); // ordered after any give-back still on its way
        givingBack_ = false;
    }

    QDBusConnection bus_;
    const Engine* engine_ = nullptr; // the one found installed
    static inline const QString kHiragana = QStringLiteral("InputMode.Hiragana");
    QString playerEngine_, playerMode_;
    QString mozcMode_;     // as Mozc last announced it
    QString lastMozcMode_; // the same, while the player's was on
    QStringList enginePaths_;
    bool lent_ = false;       // our engine is on for the player's desktop
    bool givingBack_ = false; // the player's engine is on its way back
};

QString ibusAddress(const QProcessEnvironment& env) {
    if (env.contains(QStringLiteral("IBUS_ADDRESS")))
        return env.value(QStringLiteral("IBUS_ADDRESS"));
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

QString checkedInputMode(const QDBusArgument& arg);

QString checkedInputMode(const QVariant& value) {
    const QVariant inner = value.userType() == qMetaTypeId<QDBusVariant>()
                               ? value.value<QDBusVariant>().variant()
                               : value;
    if (inner.userType() != qMetaTypeId<QDBusArgument>()) return {};
    return checkedInputMode(qvariant_cast<QDBusArgument>(inner));
}

QString checkedInputMode(const QDBusArgument& arg) {
    QString type, key, icon, found;
    QVariantMap attachments;
    arg.beginStructure();
    arg >> type >> attachments;
    if (type == u"IBusPropList") {
        arg.beginArray();
        while (!arg.atEnd() && found.isEmpty()) {
            QDBusVariant item;
            arg >> item;
            found = checkedInputMode(item.variant());
        }
        arg.endArray();
    } else if (type == u"IBusProperty") {
        uint kind = 0, state = 0;
        bool sensitive = false, visible = false;
        QDBusVariant label, tooltip, subs;
        arg >> key >> kind >> label >> icon >> tooltip >> sensitive >> visible >> state >> subs;
        constexpr uint checked = 1;
        found = key.startsWith(u"InputMode.") && state == checked
                    ? key
                    : checkedInputMode(subs.variant());
    }
    while (!arg.atEnd()) // the rest of the structure is of no interest
        arg.asVariant();
    arg.endStructure();
    return found;
}

} // namespace

QString mozcInputMode(const QVariant& announced) {
    return checkedInputMode(announced);
}

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
    if ((module == u"fcitx" || module == u"fcitx5") &&
        qtHasInputContext(QStringLiteral("fcitx5"))) {
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        if (bus && bus->isServiceRegistered(QStringLiteral("org.fcitx.Fcitx5")))
            return std::make_unique<Fcitx5>();
    } else if (module == u"ibus" && qtHasInputContext(module)) {
        const QString address = ibusAddress(env);
        if (address.isEmpty()) return nullptr;
        return connectIBus(address);
    }
    return nullptr;
}

std::unique_ptr<SystemInputMethod> connectIBus(const QString& address) {
    static int connections = 0;
    const QDBusConnection bus =
        QDBusConnection::connectToBus(address, QStringLiteral("kb-ibus-%1").arg(++connections));
    if (bus.isConnected()) return std::make_unique<IBus>(bus);
    QDBusConnection::disconnectFromBus(bus.name());
    return nullptr;
}

} // namespace kb

#include "input_method.moc"
