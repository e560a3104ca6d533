// tessaro-card: the command-line front end.
#include "CardCli.h"

int main(int argc, char** argv) { return RunCardCli(argc, argv); }
