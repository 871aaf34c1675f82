#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <vector>

struct _XDisplay;

// A private display server to send real keys to: Xvfb with openbox for X11, or weston inside an
// Xvfb of its own for Wayland (weston's X11 back end, so that the keys come as Wayland keyboard
// events). Each picks a free display itself; keys are sent with XTest. What it starts ends with it.
class TDisplaySession final
{
public:
    enum class TKind
    {
        X11,
        Wayland
    };

    explicit TDisplaySession(TKind kind);
    ~TDisplaySession();
    TDisplaySession(const TDisplaySession&) = delete;
    TDisplaySession& operator=(const TDisplaySession&) = delete;

    // Empty when the server runs, else why not; "missing" in front when a tool is not installed.
    QString Start();
    // For a program to run on the display: the platform, the display and the runtime folder.
    QProcessEnvironment Environment() const;

    // A click at a point of the screen, to give a window the keyboard.
    void Click(int x, int y);
    // count keys, the letters a to z in turn, spacing ms apart (0: all at once). Returns the
    // monotonic time (ns) at which each was sent.
    std::vector<qint64> Type(int count, int spacingMs);

private:
    QString StartServer(QProcess& server, QString& display);

    TKind FKind;
    QTemporaryDir FRuntime;
    QProcess FServer;
    QProcess FCompositor;
    QString FDisplay;
    _XDisplay* FConnection = nullptr;
};

// The monotonic clock in ns, the same in every process.
qint64 MonotonicNs();

// The note page on a display session (the program note_window over a copy of the delivered
// database), and what it reports.
class TNoteWindow final
{
public:
    struct TLine
    {
        QByteArray Kind;
        std::vector<qint64> Values;
    };

    // What a burst of keys came to, times in ms.
    struct TBurst
    {
        int Keys = 0;
        int Commits = 0;
        double LongestGap = 0; // without a paint of the note, from the first key to the last shown
        double SlowestKey = 0; // from a key sent to a paint showing it
        double LastKeyToCommit = 0;  // from the last key sent to the last commit
        double FirstKeyToCommit = 0; // from the first key sent to the last commit
        double Arrival = 0;          // from the first key sent to the paint showing the last
        qint64 LastCommitNs = 0;
        qint64 ReleasedNs = 0; // when a lock taken before the burst was let go
        bool Bar = false;      // the unsaved bar showed
        bool Stored = false;   // the stored note is the text on screen, all keys in it
    };

    explicit TNoteWindow(TDisplaySession& session);
    ~TNoteWindow();

    // Starts the window over a copy of the database and gives it the keyboard; empty when it
    // runs, else why not.
    QString Start(const QString& program, const QString& database);
    // Sends a command and waits for the line that answers it; null when none came in time.
    const TLine* Command(const QByteArray& command, const QByteArray& reply, int ms = 30000);
    // The root note of about that many bytes, ready for keys.
    bool Note(int bytes);
    // A plain editor in a bare window, saving nothing, with the same text, ready for keys.
    bool Plain(int bytes);
    // Sends the keys, waits for the saves and measures.
    TBurst Burst(int keys, int spacingMs);
    // A read lock held on the file by another connection for that long, from now.
    qint64 Lock(int ms);

private:
    bool ReadUntil(const QByteArray& kind, int ms);

    TDisplaySession& FSession;
    QTemporaryDir FFolder;
    QProcess FProcess;
    QByteArray FBuffer;
    std::vector<TLine> FLines;
    qint64 FLength = 0;
};
