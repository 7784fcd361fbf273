#pragma once
// The program's documents, rendered from their Markdown sources to US Letter PDFs with a title
// page, a table of contents and page numbers, using Qt's own Markdown reader and PDF writer.
//
// A source starts with a few "key: value" lines (title, subtitle) ended by a line "---".
// Chapters (#) start on a new page and are numbered with their sections (##). A placeholder
// {{name}} is replaced by a number of the English-units demo project as the engine computes it,
// so that a worked example always shows what the program prints; an unknown name is an error.
#include <QList>
#include <QRectF>
#include <QString>
#include <QTextDocument>

#include <memory>

class QPdfWriter;

namespace docgen {

struct Source {
    QString title;
    QString subtitle;
    QString markdown;
};

struct Heading {
    int level = 0;
    QString text;
    int page = 0; // 0-based page of the body
};

// The chapters of a document, laid out on the pages the writer prints them on: placeholders
// filled in, styled, and broken into pages. The writer is set up for the document's paper.
struct Body {
    Source source;
    std::unique_ptr<QTextDocument> doc; // its page size is the text rectangle
    QList<Heading> headings;
    QRectF rect; // the text rectangle on the paper, in the writer's pixels
};
Body layOut(const QString& sourcePath, const QString& demoFolder, QPdfWriter& writer);

// Writes the whole document: title page, contents and chapters. Raises std::runtime_error when
// the source, a picture or the demo project cannot be read or the file cannot be written.
void render(
    const QString& sourcePath, const QString& output, const QString& demoFolder, const QString& version);

} // namespace docgen
