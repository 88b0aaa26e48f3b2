#ifndef UPDATER_MESSAGE_LOOP_H_
#define UPDATER_MESSAGE_LOOP_H_

// Runs the window thread until the run ends, and returns the exit code (0).
//
// Windows makes WM_TIMER only when no posted message is waiting, and WM_QUIT only when none is
// left, so a process that keeps posting to the updater could hold off both its deadlines and
// its end. This loop looks at the deadlines when they are due or when a look is asked for
// (GetWatchEvent), and at the run's end, between any two messages, whatever the queue holds.
int RunMessageLoop();

#endif  // UPDATER_MESSAGE_LOOP_H_
