// Printing a document and writing it as PDF, the same way for every window:
// the print dialog and the file dialog go through Interaction.
#pragma once

#include <QString>

class QPrinter;
class QSaveFile;
class QTextDocument;

namespace DocumentOutput {

// Asks for the printer and prints; false when the user cancelled.
bool Print(QTextDocument& document, QPrinter& printer);
// Asks for a PDF file (suggestedName proposed) and writes the document there
// with the printer's page layout; false when cancelled or not written, with
// the file name in failedPath when writing failed.
bool ExportPdf(QTextDocument& document, const QPrinter& layout, const QString& suggestedName, QString& failedPath);

// Opens a file that is written beside its target and renamed over it once
// whole. A new file is readable by the user alone before anything is written
// to it; an existing one keeps its mode.
bool OpenForWriting(QSaveFile& file);

}  // namespace DocumentOutput
