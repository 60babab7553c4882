#pragma once

#include <QByteArray>
#include <QString>
#include <string>

namespace orlo {

// The commissioning report as a PDF: the same HTML document laid out by Qt's rich text and printed
// to A4 pages. Blocks its caller: run it on a worker. Empty when it cannot be made.
QByteArray ReportPdf(const std::string& html);

// Whether a chosen report path asks for a PDF (by its suffix, any letter case).
bool IsPdfPath(const QString& path);

} // namespace orlo
