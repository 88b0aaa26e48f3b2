#ifndef UPDATER_STATE_MOVES_H_
#define UPDATER_STATE_MOVES_H_

#include "updater/updater_state.h"

// Whether the run has ended for its clients: its one final report is out (no update, verify
// failed, launched, failed) or it was stopped. |updateOffered| tells the two kinds of
// kCheckDone apart.
bool IsRunOver(UpdaterState state, bool updateOffered);

// Whether a run in |from| may move to |to|. An ended run may only stop, and a stopped one
// never moves again, so no run reports two final messages.
bool IsAllowedMove(UpdaterState from, UpdaterState to, bool updateOffered);

#endif  // UPDATER_STATE_MOVES_H_
