#pragma once

#include <string>

namespace trx::cli {

bool stdinIsTerminal();
bool stderrIsTerminal();

// Puts the question on stderr and reads the answer from stdin: true for "y" or "yes".
bool askYes(const std::string& question);

}  // namespace trx::cli
