#include "cli/CliCommand.h"

CCliCommand::~CCliCommand() = default;
