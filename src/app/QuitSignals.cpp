#include "app/QuitSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int Pipe[2] = {-1, -1};
constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};
struct sigaction Previous[std::size(Signals)];

extern "C" void OnQuitSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(Pipe[0], &byte, 1);
}

} // namespace

TQuitSignals::TQuitSignals(QObject* parent) : QObject(parent)
{
    if (Pipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, Pipe) != 0)
        return;
    ::fcntl(Pipe[0], F_SETFL, O_NONBLOCK);
    FNotifier = new QSocketNotifier(Pipe[1], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(Pipe[1], bytes, sizeof bytes) == qint64(sizeof bytes)) {
        }
        Q_EMIT Received();
    });
    struct sigaction action = {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(Signals); ++i)
        ::sigaction(Signals[i], &action, &Previous[i]);
}

TQuitSignals::~TQuitSignals()
{
    if (!FNotifier)
        return;
    for (size_t i = 0; i < std::size(Signals); ++i)
        ::sigaction(Signals[i], &Previous[i], nullptr);
    delete FNotifier;
    ::close(Pipe[0]);
    ::close(Pipe[1]);
    Pipe[0] = Pipe[1] = -1;
}
