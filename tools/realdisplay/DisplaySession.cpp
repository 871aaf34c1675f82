#include "DisplaySession.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <time.h>

// After Qt's headers: the X11 headers define names (KeyPress, None, Bool) that Qt uses.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

constexpr char WaylandSocket[] = "velmora-burst";

bool WaitFor(const std::function<bool()>& ready, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!ready()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

void EndProcess(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

} // namespace

qint64 MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

TDisplaySession::TDisplaySession(TKind kind) : FKind(kind) {}

TDisplaySession::~TDisplaySession()
{
    if (FConnection)
        XCloseDisplay(FConnection);
    EndProcess(FCompositor);
    EndProcess(FServer);
}

QString TDisplaySession::StartServer(QProcess& server, QString& display)
{
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
        return QStringLiteral("missing Xvfb");
    // Xvfb picks a free display and writes its number to the given descriptor: its output.
    server.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp")});
    QByteArray number;
    const QDeadlineTimer deadline(10000);
    while (!number.contains('\n') && !deadline.hasExpired() &&
           server.state() != QProcess::NotRunning) {
        server.waitForReadyRead(100);
        number += server.readAllStandardOutput();
    }
    if (!number.contains('\n'))
        return QStringLiteral("Xvfb did not start: ") +
               QString::fromLocal8Bit(server.readAllStandardError());
    display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    FConnection = XOpenDisplay(display.toLatin1().constData());
    if (!FConnection)
        return QStringLiteral("cannot open display ") + display;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(FConnection, &event, &error, &major, &minor))
        return QStringLiteral("no XTest on ") + display;
    return {};
}

QString TDisplaySession::Start()
{
    if (!FRuntime.isValid())
        return QStringLiteral("no temporary folder");
    QFile::setPermissions(FRuntime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString manager =
        FKind == TKind::X11 ? QStringLiteral("openbox") : QStringLiteral("weston");
    if (QStandardPaths::findExecutable(manager).isEmpty())
        return QStringLiteral("missing ") + manager;
    const QString error = StartServer(FServer, FDisplay);
    if (!error.isEmpty())
        return error;

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), FDisplay);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), FRuntime.path());
    FCompositor.setProcessEnvironment(environment);
    FCompositor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FCompositor.setStandardOutputFile(QProcess::nullDevice());
    if (FKind == TKind::X11) {
        FCompositor.start(manager, {QStringLiteral("--sm-disable")});
        const Atom owner = XInternAtom(FConnection, "WM_S0", False);
        if (!WaitFor([&] { return XGetSelectionOwner(FConnection, owner) != 0; }, 10000))
            return QStringLiteral("openbox did not start");
        return {};
    }
    FCompositor.start(manager,
                      {QStringLiteral("--backend=x11-backend.so"),
                       QStringLiteral("--log=") + FRuntime.filePath(QStringLiteral("weston.log")),
                       QStringLiteral("--shell=kiosk-shell.so"),
                       QStringLiteral("--socket=") + QLatin1String(WaylandSocket),
                       QStringLiteral("--width=800"), QStringLiteral("--height=600"),
                       QStringLiteral("--idle-time=0")});
    const QString socket = FRuntime.filePath(QLatin1String(WaylandSocket));
    if (!WaitFor([&] { return QFileInfo::exists(socket); }, 10000))
        return QStringLiteral("weston did not start");
    return {};
}

QProcessEnvironment TDisplaySession::Environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), FRuntime.path());
    if (FKind == TKind::X11) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("DISPLAY"), FDisplay);
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    } else {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QLatin1String(WaylandSocket));
        environment.remove(QStringLiteral("DISPLAY"));
    }
    return environment;
}

void TDisplaySession::Click(int x, int y)
{
    XTestFakeMotionEvent(FConnection, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(FConnection, 1, True, CurrentTime);
    XTestFakeButtonEvent(FConnection, 1, False, CurrentTime);
    XFlush(FConnection);
}

std::vector<qint64> TDisplaySession::Type(int count, int spacingMs)
{
    std::vector<qint64> sent;
    const qint64 start = MonotonicNs();
    for (int i = 0; i < count; ++i) {
        if (spacingMs > 0) {
            const qint64 at = start + qint64(i) * spacingMs * 1000000;
            const timespec until{time_t(at / 1000000000), long(at % 1000000000)};
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
        }
        const KeyCode code = XKeysymToKeycode(FConnection, KeySym(XK_a + i % 26));
        XTestFakeKeyEvent(FConnection, code, True, CurrentTime);
        XTestFakeKeyEvent(FConnection, code, False, CurrentTime);
        if (spacingMs > 0 || i + 1 == count)
            XFlush(FConnection);
        sent.push_back(MonotonicNs());
    }
    // Sent all at once, the keys leave as the connection's buffer fills, the first of them
    // before the last is queued: each counts as sent when the first was.
    if (spacingMs == 0)
        std::fill(sent.begin(), sent.end(), start);
    return sent;
}

TNoteWindow::TNoteWindow(TDisplaySession& session) : FSession(session) {}

TNoteWindow::~TNoteWindow()
{
    if (FProcess.state() == QProcess::NotRunning)
        return;
    FProcess.write("quit\n");
    FProcess.closeWriteChannel();
    if (!FProcess.waitForFinished(5000)) {
        FProcess.kill();
        FProcess.waitForFinished(3000);
    }
}

QString TNoteWindow::Start(const QString& program, const QString& database)
{
    const QString target = FFolder.filePath(QStringLiteral("bookkeep.dat"));
    if (!QFile::copy(database, target) ||
        !QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner))
        return QStringLiteral("cannot copy ") + database;
    QProcessEnvironment environment = FSession.Environment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       FFolder.filePath(QStringLiteral("config")));
    FProcess.setProcessEnvironment(environment);
    FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FProcess.start(program, {FFolder.path()});
    if (!ReadUntil("shown", 30000))
        return QStringLiteral("the note window did not come up");
    const TLine& shown = FLines.back();
    FSession.Click(int(shown.Values.at(0)), int(shown.Values.at(1)));
    return {};
}

bool TNoteWindow::ReadUntil(const QByteArray& kind, int ms)
{
    const QDeadlineTimer deadline(ms);
    for (;;) {
        while (FBuffer.contains('\n')) {
            const qsizetype end = FBuffer.indexOf('\n');
            const QList<QByteArray> words = FBuffer.left(end).split(' ');
            FBuffer.remove(0, end + 1);
            TLine line{words.value(0), {}};
            for (qsizetype i = 1; i < words.size(); ++i)
                line.Values.push_back(words.at(i).toLongLong());
            FLines.push_back(std::move(line));
            if (FLines.back().Kind == kind)
                return true;
        }
        if (deadline.hasExpired() || FProcess.state() == QProcess::NotRunning)
            return false;
        FProcess.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        FBuffer += FProcess.readAllStandardOutput();
    }
}

const TNoteWindow::TLine* TNoteWindow::Command(const QByteArray& command, const QByteArray& reply,
                                               int ms)
{
    FProcess.write(command + '\n');
    return ReadUntil(reply, ms) ? &FLines.back() : nullptr;
}

bool TNoteWindow::Note(int bytes)
{
    const TLine* ready = Command("note " + QByteArray::number(bytes), "ready");
    FLength = ready ? ready->Values.at(0) : 0;
    return ready != nullptr;
}

bool TNoteWindow::Plain(int bytes)
{
    const TLine* ready = Command("plain " + QByteArray::number(bytes), "ready");
    FLength = ready ? ready->Values.at(0) : 0;
    return ready != nullptr;
}

qint64 TNoteWindow::Lock(int ms)
{
    const TLine* locked = Command("lock " + QByteArray::number(ms), "locked");
    return locked ? locked->Values.at(0) : 0;
}

TNoteWindow::TBurst TNoteWindow::Burst(int keys, int spacingMs)
{
    TBurst burst;
    burst.Keys = keys;
    const TLine* before = Command("stored", "stored");
    if (!before)
        return burst;
    const qint64 commitsBefore = before->Values.at(3);
    FLines.clear();
    const std::vector<qint64> sent = FSession.Type(keys, spacingMs);
    const TLine* after = Command("stored " + QByteArray::number(FLength + keys), "stored");
    if (!after)
        return burst;
    burst.Commits = int(after->Values.at(3) - commitsBefore);
    burst.Stored = after->Values.at(2) == 1 && after->Values.at(1) == FLength + keys;

    const auto ms = [](qint64 ns) {
        return double(ns) / 1e6;
    };
    qint64 last = sent.front();
    qint64 longest = 0;
    std::size_t key = 0;
    for (const TLine& line : FLines) {
        if (line.Kind == "commit") {
            burst.LastCommitNs = line.Values.at(0);
        } else if (line.Kind == "released") {
            burst.ReleasedNs = line.Values.at(0);
        } else if (line.Kind == "paint" && key < sent.size()) {
            const qint64 at = line.Values.at(0);
            burst.Bar = burst.Bar || line.Values.at(2) == 1;
            longest = std::max(longest, at - last);
            last = at;
            for (; key < sent.size() && line.Values.at(1) >= FLength + qint64(key) + 1; ++key)
                burst.SlowestKey = std::max(burst.SlowestKey, ms(at - sent.at(key)));
            if (key == sent.size())
                burst.Arrival = ms(at - sent.front());
        }
    }
    burst.LongestGap = ms(longest);
    burst.LastKeyToCommit = ms(burst.LastCommitNs - sent.back());
    burst.FirstKeyToCommit = ms(burst.LastCommitNs - sent.front());
    FLength += keys;
    return burst;
}
