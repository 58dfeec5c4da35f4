// Tarnwick: collects web pages into binders.
#include "app/ui/Program.h"

int main(int argc, char** argv) {
    return RunTarnwick(argc, argv);
}
