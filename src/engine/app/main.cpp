// sentrelle-engine: the monitoring daemon with the real check runners and senders.
#include "engine/EngineMain.h"

int main(int argc, char** argv) { return EngineMain(argc, argv, DefaultEngineServices()); }
