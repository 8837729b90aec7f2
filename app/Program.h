// The program's run: checks the client library, names the application,
// creates the one main window and runs the event loop.
#pragma once

int RunProgram(int argc, char** argv);
