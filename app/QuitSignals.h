// Ctrl+C and SIGTERM end the program in order: the event loop returns and the
// window disconnects.
#pragma once

class QObject;

// Set once a quit was asked for by a signal.
extern bool QuitRequested;

// Safe to call from any thread; the number is the signal's and is not used.
void QuitInOrder(int);
// Until the engine takes the signals over at the first attach, they arrive
// here and reach the event loop through a pipe.
void InstallSignalPipe();
// Signals that came before the event loop wait in the pipe until it runs.
void WatchSignalPipe(QObject* owner);
