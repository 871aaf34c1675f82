#pragma once

#include <QObject>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <source_location>

// Drives the program's modal dialogs from a test. An expected dialog is awaited by polling the
// active modal widget; the action runs once a visible one of the type (and title, where one is
// given) is up. A dialog that doesn't come fails the test instead of hanging it: after the time
// limit the test fails at the line that expected it, and whatever modal window is up instead is
// closed so the call under test returns. An expectation still open when the driver goes (the code
// returned without opening the dialog) fails the test too.
class TModalDriver final : public QObject
{
public:
    explicit TModalDriver(int timeoutMs = 5000);
    ~TModalDriver() override;
    TModalDriver(const TModalDriver&) = delete;
    TModalDriver& operator=(const TModalDriver&) = delete;

    template <typename T, typename F>
    void When(F action, std::source_location where = std::source_location::current())
    {
        When<T>(QString(), std::move(action), where);
    }

    template <typename T, typename F>
    void When(const QString& title, F action,
              std::source_location where = std::source_location::current())
    {
        Expect(
            QString::fromLatin1(T::staticMetaObject.className()) +
                (title.isEmpty() ? QString() : QStringLiteral(" \"") + title + QLatin1Char('"')),
            [title](QWidget* modal) {
                auto* dialog = qobject_cast<T*>(modal);
                return dialog && (title.isEmpty() || dialog->windowTitle() == title);
            },
            [action](QWidget* modal) mutable { action(static_cast<T*>(modal)); }, where);
    }

private:
    struct TExpectation;
    void Expect(const QString& what, std::function<bool(QWidget*)> matches,
                std::function<void(QWidget*)> action, std::source_location where);
    void Poll(const std::shared_ptr<TExpectation>& expectation);

    int FTimeoutMs;
    QList<std::shared_ptr<TExpectation>> FOpen;
};
