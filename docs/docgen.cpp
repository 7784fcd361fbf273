// Renders one of the program's documents from its Markdown source to PDF (docs/document.h):
//
//   fendrix_docgen <source.md> <output.pdf> <folder of the demo example projects> <version>
#include "docs/document.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: fendrix_docgen <source.md> <output.pdf> <demo folder> <version>\n");
        return 2;
    }
    // A build step: no display is needed or wanted.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        docgen::render(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
            QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fendrix_docgen: %s\n", e.what());
        QFile::remove(QString::fromLocal8Bit(argv[2]));
        return 1;
    }
    return 0;
}
