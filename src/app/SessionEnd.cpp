#include "app/SessionEnd.h"

TSessionEndDecision DecideSessionEnd(bool allowsInteraction, bool exitConfirmed,
                                     const std::function<bool()>& askExit)
{
    if (!allowsInteraction)
        return {};
    const bool leave = exitConfirmed || askExit();
    return {!leave, leave};
}

bool CloseNeedsQuestion(bool exitConfirmed, bool savingSession, bool sessionEndAgreed)
{
    return !exitConfirmed && !(savingSession && sessionEndAgreed);
}
