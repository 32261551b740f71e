// Subcommands of the zorv command-line tool. Each returns the exit status:
// 0 success, 2 bad arguments (one line on stderr), other values as documented.
#pragma once

int CommandeAsm(int argc, char** argv);  // zorv asm
int CommandeDasm(int argc, char** argv); // zorv dasm
int CommandeRun(int argc, char** argv);  // zorv run
int CommandeDebug(int argc, char** argv); // zorv debug
int CommandeDisk(int argc, char** argv); // zorv disk
int CommandeState(int argc, char** argv); // zorv state
int CommandeTest(int argc, char** argv);  // zorv test
