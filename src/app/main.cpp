#include <QApplication>
#include <QCommandLineParser>

#include "app/Application.h"
#include "trx/Version.h"

int main(int argc, char** argv) {
    // --help and --version answer on the terminal before anything else happens: no display, no
    // single-copy lock, no window and no exchange with a panel.
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("QL-TRX900 Setup Software: reads, edits and writes back the configuration "
                       "of QL-TRX900 remote operation panels over TCP port 35600."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // Qt's own options are single-dash words (-reverse, -stylesheet FILE): read as words, they
    // are not taken for clusters of -v and -h.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    // Anything else, Qt's own -platform or -style among it, is left to QApplication.
    parser.parse(arguments);
    if (parser.isSet(help) || parser.isSet(version) || parser.isSet(QStringLiteral("help-all"))) {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationVersion(QLatin1String(trx::kVersion));
        parser.process(core);
    }

    QApplication application(argc, argv);
    return trx::CTRX900ToolApp().run();
}
