// The entry point; everything else is in the library, so that tests drive the real window.
#include "app/Program.h"

int main(int argc, char** argv)
{
    return RunProgram(argc, argv);
}
