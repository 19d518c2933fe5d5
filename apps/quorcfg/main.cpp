// The sysop's configuration utility, run in the game directory on the local console.
#include "config/quorcfg.hpp"

int main() { cfg::quorcfg_main(); }
