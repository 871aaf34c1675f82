#pragma once

#include <QObject>
#include <QString>

#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

class TUserDialogs;

// The application-wide handler for errors that no code catches. One instance lives for the whole
// run; while it exists it is the installed handler that RunGuarded hands errors to. It shows them
// through the dialogs its owner hands in.
class TCardException final
{
public:
    explicit TCardException(TUserDialogs& dialogs);
    ~TCardException();
    TCardException(const TCardException&) = delete;
    TCardException& operator=(const TCardException&) = delete;

    // The sender is not used; it is there for whoever installs the handler.
    void HandleException(QObject* sender, const std::exception& error);
    // A database error shows its headline and details (and logs its statement); any other error
    // shows its message in the error box.
    void ReportException(const std::exception& error);

    static TCardException* Installed();

private:
    TUserDialogs& FDialogs;
    TCardException* FPrevious;
};

// Runs an action at a boundary where Qt calls the program: a slot, a connected lambda, an event
// handler. Errors never unwind into Qt (its libraries are built without exception support): the
// silent abort is dropped and every other error goes to the installed handler (with none installed
// it is written to the standard error stream).
void RunGuarded(const std::function<void()>& action) noexcept;

// Connects a signal to a functor that runs under RunGuarded. The functor takes either all of the
// signal's arguments or none.
template <typename Sender, typename Signal, typename Functor>
QMetaObject::Connection ConnectGuarded(const Sender* sender, Signal signal, const QObject* context,
                                       Functor functor)
{
    return QObject::connect(
        sender, signal, context, [functor = std::move(functor)](auto&&... args) {
            RunGuarded([&] {
                if constexpr (std::is_invocable_v<const Functor&, decltype(args)...>)
                    functor(args...);
                else
                    functor();
            });
        });
}
