#include "cli/Terminal.h"

#include <QtGlobal>

#include <cstdio>
#include <iostream>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace trx::cli {

namespace {

bool isTerminal(std::FILE* stream) {
#ifdef Q_OS_WIN
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

}  // namespace

bool stdinIsTerminal() {
    return isTerminal(stdin);
}

bool stderrIsTerminal() {
    return isTerminal(stderr);
}

bool askYes(const std::string& question) {
    std::fprintf(stderr, "%s ", question.c_str());
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        return false;
    }
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

}  // namespace trx::cli
