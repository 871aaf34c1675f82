#pragma once

#include <functional>

// The answer to the session manager's request to end the desktop session (log-off, shut-down).
struct TSessionEndDecision
{
    bool Cancel = false; // the session end is refused
    bool Agreed = false; // the user agreed to leave with this session end
};

// Where the session manager allows interaction, asks the exit question (askExit answers Yes with
// true) unless the exit is already confirmed; No refuses the session end. Without interaction
// nothing is asked and nothing refused.
TSessionEndDecision DecideSessionEnd(bool allowsInteraction, bool exitConfirmed,
                                     const std::function<bool()>& askExit);

// Whether closing the main window asks the exit question. A Yes given to a session end serves
// only the closing Qt does within that request (savingSession): should the session end be
// cancelled afterwards, by another program or a window that refuses to close, the program runs
// on and asks again when it is closed.
bool CloseNeedsQuestion(bool exitConfirmed, bool savingSession, bool sessionEndAgreed);
