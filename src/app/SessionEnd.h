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
// only the close made within that request (savingSession); after it, should the program still
// run because the session end was cancelled, a close asks again.
bool CloseNeedsQuestion(bool exitConfirmed, bool savingSession, bool sessionEndAgreed);
