#pragma once

// Ends the program at once: every event loop, modal runs included, stops and
// main() destroys the windows. programEnded() tells whether that happened.
void endProgram();
bool programEnded();
// Tests start a fresh run after an end.
void resetProgramEnded();
