#include "SyncthingPair.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

namespace {

const QString FolderId = QStringLiteral("velmora");

// Free ports on 127.0.0.1, held open together so that no two are the same.
QList<quint16> FreePorts(int count)
{
    std::vector<std::unique_ptr<QTcpServer>> servers;
    QList<quint16> ports;
    for (int i = 0; i < count; ++i) {
        servers.push_back(std::make_unique<QTcpServer>());
        if (!servers.back()->listen(QHostAddress::LocalHost, 0))
            return {};
        ports << servers.back()->serverPort();
    }
    return ports;
}

QByteArray RandomKey()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray key;
    for (int i = 0; i < 32; ++i)
        key += letters[QRandomGenerator::system()->bounded(int(sizeof letters) - 1)];
    return key;
}

} // namespace

struct TSyncthingPair::TSide
{
    QString Home;
    QString Folder;
    QString DeviceId;
    quint16 GuiPort = 0;
    quint16 ListenPort = 0;
    QProcess Process;
    QByteArray Output;
    qint64 LastEvent = 0;
};

namespace {

// Only what differs from Syncthing's defaults: every address is 127.0.0.1, nothing is announced
// or reported, conflict copies are kept as a user's installation keeps them, and changes are
// seen within a second.
QString Config(const QString& folder, const QString& shares, const QString& devices,
               quint16 listenPort, quint16 guiPort, const QByteArray& apiKey)
{
    return QStringLiteral("<configuration version=\"36\">\n"
                          "  <folder id=\"%1\" label=\"%1\" path=\"%2\" type=\"sendreceive\" "
                          "rescanIntervalS=\"5\" fsWatcherEnabled=\"true\" fsWatcherDelayS=\"1\" "
                          "autoNormalize=\"true\">\n"
                          "    <maxConflicts>10</maxConflicts>\n"
                          "%3"
                          "  </folder>\n"
                          "%4"
                          "  <gui enabled=\"true\" tls=\"false\"><address>127.0.0.1:%5</address>"
                          "<apikey>%6</apikey></gui>\n"
                          "  <options>\n"
                          "    <listenAddress>tcp://127.0.0.1:%7</listenAddress>\n"
                          "    <globalAnnounceEnabled>false</globalAnnounceEnabled>\n"
                          "    <localAnnounceEnabled>false</localAnnounceEnabled>\n"
                          "    <relaysEnabled>false</relaysEnabled>\n"
                          "    <natEnabled>false</natEnabled>\n"
                          "    <stunKeepaliveStartS>0</stunKeepaliveStartS>\n"
                          "    <announceLANAddresses>false</announceLANAddresses>\n"
                          "    <urAccepted>-1</urAccepted>\n"
                          "    <crashReportingEnabled>false</crashReportingEnabled>\n"
                          "    <autoUpgradeIntervalH>0</autoUpgradeIntervalH>\n"
                          "    <startBrowser>false</startBrowser>\n"
                          "    <reconnectionIntervalS>1</reconnectionIntervalS>\n"
                          "    <setLowPriority>false</setLowPriority>\n"
                          "  </options>\n"
                          "</configuration>\n")
        .arg(FolderId, folder.toHtmlEscaped(), shares, devices)
        .arg(guiPort)
        .arg(QString::fromLatin1(apiKey))
        .arg(listenPort);
}

} // namespace

TSyncthingPair::TSyncthingPair() : FApiKey(RandomKey())
{
    // The REST calls go straight to 127.0.0.1 whatever proxy the environment names.
    FNetwork.setProxy(QNetworkProxy::NoProxy);
    for (auto& side : FSides)
        side = std::make_unique<TSide>();
}

TSyncthingPair::~TSyncthingPair()
{
    Stop();
}

QString TSyncthingPair::Program()
{
    return QStandardPaths::findExecutable(QStringLiteral("syncthing"));
}

QString TSyncthingPair::Folder(int side) const
{
    return FSides[size_t(side)]->Folder;
}

QString TSyncthingPair::Failure(const QString& what) const
{
    QString text = what;
    for (const auto& side : FSides)
        text += QStringLiteral("\n--- syncthing in %1:\n").arg(side->Home) +
                QString::fromLocal8Bit(side->Output.right(3000));
    return text;
}

QString TSyncthingPair::Start()
{
    if (!FDir.isValid() || Program().isEmpty())
        return QStringLiteral("no temporary folder or no syncthing");
    const QList<quint16> ports = FreePorts(4);
    if (ports.size() != 4)
        return QStringLiteral("no free ports on 127.0.0.1");
    // Nothing of either program goes to the user's home: everything lives in the temporary folder.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        environment.insert(QString::fromLatin1(name), FDir.path());
    for (const char* name : {"all_proxy", "ALL_PROXY"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("STNOUPGRADE"), QStringLiteral("1"));
    // One process, without the monitor that would outlive a test that dies.
    environment.insert(QStringLiteral("STMONITORED"), QStringLiteral("1"));
    // Skips the start's measuring of the hashing routines.
    environment.insert(QStringLiteral("STHASHING"), QStringLiteral("standard"));
    static const QRegularExpression deviceLine(QStringLiteral("Device ID: ([A-Z0-9-]+)"));
    for (size_t s = 0; s < FSides.size(); ++s) {
        TSide& side = *FSides[s];
        side.Home = FDir.filePath(QStringLiteral("home%1").arg(s));
        side.Folder = FDir.filePath(QStringLiteral("shared%1").arg(s));
        side.ListenPort = ports[qsizetype(2 * s)];
        side.GuiPort = ports[qsizetype(2 * s + 1)];
        // The marker that tells Syncthing the folder is there (and not an unmounted disk).
        QDir().mkpath(side.Folder + QStringLiteral("/.stfolder"));
        QProcess generate;
        generate.setProcessEnvironment(environment);
        generate.setProcessChannelMode(QProcess::MergedChannels);
        generate.start(Program(),
                       {QStringLiteral("generate"), QStringLiteral("--home=") + side.Home,
                        QStringLiteral("--no-default-folder")});
        generate.waitForFinished(60000);
        side.Output = generate.readAll();
        side.DeviceId = deviceLine.match(QString::fromLocal8Bit(side.Output)).captured(1);
        if (side.DeviceId.isEmpty())
            return Failure(QStringLiteral("syncthing generate gave no device id"));
    }
    const QString shares = QStringLiteral("    <device id=\"%1\"></device>\n"
                                          "    <device id=\"%2\"></device>\n")
                               .arg(FSides[0]->DeviceId, FSides[1]->DeviceId);
    for (size_t s = 0; s < FSides.size(); ++s) {
        // Only side 0 dials: two programs dialling each other at once can each drop the other's
        // connection and wait a reconnection interval before trying again.
        QString devices;
        for (size_t d = 0; d < FSides.size(); ++d)
            devices +=
                QStringLiteral("  <device id=\"%1\" name=\"%1\"><address>%2</address>"
                               "</device>\n")
                    .arg(FSides[d]->DeviceId,
                         s == 0 && d == 1
                             ? QStringLiteral("tcp://127.0.0.1:%1").arg(FSides[d]->ListenPort)
                             : QStringLiteral("dynamic"));
        const TSide& side = *FSides[s];
        QFile config(side.Home + QStringLiteral("/config.xml"));
        if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            config.write(
                Config(side.Folder, shares, devices, side.ListenPort, side.GuiPort, FApiKey)
                    .toUtf8()) < 0)
            return Failure(QStringLiteral("cannot write ") + config.fileName());
    }
    // Side 1 first: side 0 dials it once it listens, so the first dial finds it.
    for (const auto& side : {FSides[1].get(), FSides[0].get()}) {
        QObject::connect(&side->Process, &QProcess::readyReadStandardOutput, &side->Process,
                         [side] { side->Output += side->Process.readAllStandardOutput(); });
        side->Process.setProcessEnvironment(environment);
        side->Process.setProcessChannelMode(QProcess::MergedChannels);
        // Should this test die without stopping it, the program ends with it.
        side->Process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        side->Output.clear();
        side->Process.start(Program(),
                            {QStringLiteral("serve"), QStringLiteral("--home=") + side->Home,
                             QStringLiteral("--no-browser"), QStringLiteral("--no-restart"),
                             QStringLiteral("--no-upgrade"), QStringLiteral("--logflags=0")});
        // Its connection listener starts before its REST interface.
        const bool up = QTest::qWaitFor(
            [side] {
                return side->Output.contains("GUI and API listening on") ||
                       side->Process.state() == QProcess::NotRunning;
            },
            60000);
        if (!up || side->Process.state() == QProcess::NotRunning) {
            const QString failure = Failure(QStringLiteral("syncthing did not come up"));
            Stop();
            return failure;
        }
    }
    if (!WaitFor(60000, [this] { return Connected(0) && Connected(1); })) {
        const QString failure = Failure(QStringLiteral("the two never connected"));
        Stop();
        return failure;
    }
    return {};
}

void TSyncthingPair::Stop()
{
    for (size_t s = 0; s < FSides.size(); ++s)
        if (FSides[s]->Process.state() != QProcess::NotRunning)
            Call(int(s), "POST", QStringLiteral("/rest/system/shutdown"), {}, 5000);
    for (const auto& side : FSides)
        if (side->Process.state() != QProcess::NotRunning &&
            !side->Process.waitForFinished(10000)) {
            side->Process.kill();
            side->Process.waitForFinished(5000);
        }
}

QJsonDocument TSyncthingPair::Call(int side, const QByteArray& verb, const QString& path,
                                   const QByteArray& body, int timeoutMs, QString* error)
{
    QNetworkRequest request(
        QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(FSides[size_t(side)]->GuiPort).arg(path)));
    request.setRawHeader("X-API-Key", FApiKey);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(timeoutMs);
    const std::unique_ptr<QNetworkReply> reply(FNetwork.sendCustomRequest(request, verb, body));
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    if (reply->error() != QNetworkReply::NoError) {
        if (error)
            *error = QStringLiteral("%1 %2: %3")
                         .arg(QString::fromLatin1(verb), path, reply->errorString());
        return {};
    }
    return QJsonDocument::fromJson(reply->readAll());
}

template <typename TDone> bool TSyncthingPair::WaitFor(int timeoutMs, TDone done)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        // Until either side reports something new (or two quiet seconds pass).
        std::array<std::unique_ptr<QNetworkReply>, 2> replies;
        QEventLoop loop;
        for (size_t s = 0; s < FSides.size(); ++s) {
            QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1/rest/events?since=%2"
                                                        "&timeout=2")
                                             .arg(FSides[s]->GuiPort)
                                             .arg(FSides[s]->LastEvent)));
            request.setRawHeader("X-API-Key", FApiKey);
            request.setTransferTimeout(10000);
            replies[s].reset(FNetwork.get(request));
            QObject::connect(replies[s].get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        }
        loop.exec();
        for (size_t s = 0; s < FSides.size(); ++s) {
            if (!replies[s]->isFinished()) {
                replies[s]->abort();
                continue;
            }
            for (const QJsonValue event : QJsonDocument::fromJson(replies[s]->readAll()).array())
                FSides[s]->LastEvent =
                    qMax(FSides[s]->LastEvent, event[QStringLiteral("id")].toInteger());
        }
    }
    return true;
}

bool TSyncthingPair::Connected(int side)
{
    const QJsonDocument connections = Call(side, "GET", QStringLiteral("/rest/system/connections"));
    return connections[QStringLiteral("connections")][FSides[size_t(1 - side)]->DeviceId]
                      [QStringLiteral("connected")]
                          .toBool();
}

bool TSyncthingPair::HasAllOf(int side, int other)
{
    // As side sees it, other lacks nothing of side's files; and side itself needs nothing.
    const QJsonDocument completion = Call(side, "GET",
                                          QStringLiteral("/rest/db/completion?folder=%1&device=%2")
                                              .arg(FolderId, FSides[size_t(other)]->DeviceId));
    const QJsonDocument status =
        Call(side, "GET", QStringLiteral("/rest/db/status?folder=%1").arg(FolderId));
    return completion[QStringLiteral("completion")].toDouble() == 100 &&
           completion[QStringLiteral("needItems")].toInteger(-1) == 0 &&
           completion[QStringLiteral("needDeletes")].toInteger(-1) == 0 &&
           status[QStringLiteral("needTotalItems")].toInteger(-1) == 0 &&
           status[QStringLiteral("state")].toString() == QStringLiteral("idle");
}

QString TSyncthingPair::Exchange()
{
    for (int side = 0; side < 2; ++side) {
        QString error;
        // Returns once the folder is scanned: what is there now is in the side's index.
        Call(side, "POST", QStringLiteral("/rest/db/scan?folder=") + FolderId, {}, 60000, &error);
        if (!error.isEmpty())
            return Failure(error);
    }
    if (!WaitFor(30000, [this] { return HasAllOf(0, 1) && HasAllOf(1, 0); }))
        return Failure(QStringLiteral("the two sides did not come into step"));
    return {};
}

QString TSyncthingPair::Separate()
{
    QString error;
    Call(0, "POST", QStringLiteral("/rest/system/pause?device=") + FSides[1]->DeviceId, {}, 10000,
         &error);
    if (!error.isEmpty())
        return Failure(error);
    if (!WaitFor(30000, [this] { return !Connected(0) && !Connected(1); }))
        return Failure(QStringLiteral("the two did not part"));
    return {};
}

QString TSyncthingPair::Rejoin()
{
    QString error;
    Call(0, "POST", QStringLiteral("/rest/system/resume?device=") + FSides[1]->DeviceId, {}, 10000,
         &error);
    if (!error.isEmpty())
        return Failure(error);
    if (!WaitFor(30000, [this] { return Connected(0) && Connected(1); }))
        return Failure(QStringLiteral("the two did not meet again"));
    return {};
}
