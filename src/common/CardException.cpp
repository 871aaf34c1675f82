#include "common/CardException.h"

#include "common/Errors.h"
#include "common/Messages.h"
#include "common/UserDialogs.h"

namespace {
TCardException* Current = nullptr;
}

TCardException::TCardException(TUserDialogs& dialogs) : FDialogs(dialogs), FPrevious(Current)
{
    Current = this;
}

TCardException::~TCardException()
{
    Current = FPrevious;
}

TCardException* TCardException::Installed()
{
    return Current;
}

void TCardException::HandleException(QObject* /*sender*/, const std::exception& error)
{
    ReportException(error);
}

void TCardException::ReportException(const std::exception& error)
{
    const auto* card = dynamic_cast<const ECardError*>(&error);
    const QString message = card ? card->Message() : QString::fromLocal8Bit(error.what());
    if (const auto* db = dynamic_cast<const EDBException*>(&error))
        ShowDbError(FDialogs, db->Hint(), message, db->Sql());
    else
        ShowError(FDialogs, message);
}

void RunGuarded(const std::function<void()>& action) noexcept
{
    try {
        try {
            action();
        } catch (const EAbort&) {
        } catch (const std::exception& error) {
            if (TCardException* handler = TCardException::Installed())
                handler->HandleException(nullptr, error);
            else {
                TQuietDialogs quiet;
                TCardException(quiet).ReportException(error);
            }
        }
    } catch (...) {
        // The handler itself failed (a box could not be shown): nothing is left to tell.
    }
}
