// The program's entry; its arguments are not read.
#include "app/Program.h"

int main(int argc, char** argv) { return RunSorvelan(argc, argv); }
