// dozadir-audio-record: captures what the computer plays and sends it to the Dozadir
// Keyboard window as sample packets (see record_program.h). Started by the application;
// "-v" writes the commands it takes to stderr; "-q" says nothing when there is no sound
// server (the application's later starts while the server is away).
#include <QCoreApplication>
#include <QDBusConnection>
#include <cstring>

#include "record_program.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bool verbose = false;
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        verbose = verbose || std::strcmp(argv[i], "-v") == 0;
        quiet = quiet || std::strcmp(argv[i], "-q") == 0;
    }
    dz::audio_record::RecordProgram program(QDBusConnection::sessionBus(),
                                            QString::fromLatin1(dz::audio_record::kAppTitle),
                                            verbose);
    program.SetQuietWithoutServer(quiet);
    if (const int code = program.Start(); code != 0) return code;
    const int code = app.exec();
    return code != 0 ? code : program.ExitCode();
}
