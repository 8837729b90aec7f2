// Printing a document and writing it as PDF, the same way for every window:
// the print dialog and the file dialog go through Interaction.
#pragma once

#include <QString>

class QPrinter;
class QTextDocument;

namespace DocumentOutput {

// Asks for the printer and prints; false when the user cancelled.
bool Print(QTextDocument& document, QPrinter& printer);
// Asks for a PDF file (suggestedName proposed) and writes the document there
// with the printer's page layout; false when cancelled or not written, with
// the file name in failedPath when writing failed.
bool ExportPdf(QTextDocument& document, const QPrinter& layout, const QString& suggestedName, QString& failedPath);

}  // namespace DocumentOutput
