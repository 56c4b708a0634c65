#pragma once

// Creates every window, report holder and the data module exactly once, in
// the fixed start-up order, into their global instances; destroyForms()
// deletes them in reverse order.
void createForms();
void destroyForms();

// The program's start: refuses a second copy on the same book, creates the
// forms, then makes the day's safety copy before the login. Every problem is
// told in a message box; false means start-up ended with nothing left open
// or created. shutDown() ends what a successful start began.
bool startUp();
void shutDown();

// Before the program ends: each record window with a row still being entered
// asks whether to store it. False when the clerk went back to one (or its
// store was refused); that window is then in front.
bool pendingWorkResolved();
