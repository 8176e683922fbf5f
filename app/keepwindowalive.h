#ifndef LISTFORGE_APP_KEEPWINDOWALIVE_H
#define LISTFORGE_APP_KEEPWINDOWALIVE_H

// Long loops on the GUI thread (list generation and decoding, file writing, block transfers,
// completion polling) call this between small pieces of work. It runs one round of the event
// loop with user input excluded, so windows repaint and lamps blink while no click or key can
// start a second operation, but at most one round every few milliseconds: a round costs tens of
// microseconds, which thousands of small pieces would otherwise add up to seconds. Without an
// application object (command-line tool) it does nothing.
void keepWindowAlive();

#endif
