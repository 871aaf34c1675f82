#include "ModalDriver.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTimer>
#include <QtTest>

struct TModalDriver::TExpectation
{
    QString What;
    std::function<bool(QWidget*)> Matches;
    std::function<void(QWidget*)> Action;
    std::source_location Where;
    QDeadlineTimer Deadline;
};

namespace {

void Fail(const QString& message, const std::source_location& where)
{
    QTest::qFail(message.toUtf8().constData(), where.file_name(), int(where.line()));
}

} // namespace

TModalDriver::TModalDriver(int timeoutMs) : FTimeoutMs(timeoutMs) {}

TModalDriver::~TModalDriver()
{
    // After an earlier failure the test has returned early: the missing dialog says nothing new.
    if (!FOpen.isEmpty() && !QTest::currentTestFailed())
        Fail(QStringLiteral("the modal dialog %1 never came").arg(FOpen.first()->What),
             FOpen.first()->Where);
}

void TModalDriver::Expect(const QString& what, std::function<bool(QWidget*)> matches,
                          std::function<void(QWidget*)> action, std::source_location where)
{
    auto expectation = std::make_shared<TExpectation>(TExpectation{
        what, std::move(matches), std::move(action), where, QDeadlineTimer(FTimeoutMs)});
    FOpen.append(expectation);
    QTimer::singleShot(0, this, [this, expectation] { Poll(expectation); });
}

void TModalDriver::Poll(const std::shared_ptr<TExpectation>& expectation)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->isVisible() && expectation->Matches(modal)) {
        FOpen.removeOne(expectation);
        expectation->Action(modal);
        return;
    }
    if (expectation->Deadline.hasExpired()) {
        FOpen.removeOne(expectation);
        Fail(QStringLiteral("no modal dialog %1 within %2 ms")
                 .arg(expectation->What)
                 .arg(FTimeoutMs),
             expectation->Where);
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else if (modal)
            modal->close();
        return;
    }
    QTimer::singleShot(10, this, [this, expectation] { Poll(expectation); });
}
