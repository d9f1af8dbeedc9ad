// What `orbelle --help` and `orbelle --version` print. Answered before Qt starts, so
// neither needs a display.
#pragma once

// Prints the usage or the version when the command line asks for one and returns the exit
// code (0); returns -1 when the program should start as usual. Declared at global scope so
// main() can name it without another include.
int AnswerInfoOption(int argc, char** argv);
