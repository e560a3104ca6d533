// tessaro-card: the command-line front end.
#include "CardCli.h"
#include "Environment.h"

int main(int argc, char** argv)
{
    const CEnvironment machine;
    return RunCardCli(argc, argv, machine);
}
