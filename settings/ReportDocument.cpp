#include "settings/ReportDocument.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>
#include <QThread>
#include <QUrl>
#include <memory>

namespace orlo {

namespace {

// The report's pictures are drawn at this many pixels per inch, so the 640-pixel picture fits the page.
constexpr int ReportResolution = 96;

// Rich text does not read data URLs itself: hand it every embedded picture as a resource.
void AddEmbeddedPictures(QTextDocument& document, const QString& html) {
    static const QRegularExpression embedded(QStringLiteral("src=\"(data:image/png;base64,([^\"]*))\""));
    for (auto it = embedded.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QImage picture = QImage::fromData(QByteArray::fromBase64(match.captured(2).toLatin1()), "PNG");
        document.addResource(QTextDocument::ImageResource, QUrl(match.captured(1)), picture);
    }
}

QByteArray PrintedPdf(const std::string& html) {
    const QString text = QString::fromStdString(html);
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(ReportResolution);
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    QTextDocument document;
    AddEmbeddedPictures(document, text);
    document.setHtml(text);
    document.setPageSize(writer.pageLayout().paintRectPixels(ReportResolution).size());
    document.print(&writer);
    return pdf;
}

} // namespace

QByteArray ReportPdf(const std::string& html) {
    // Rich text layout starts timers, which want a thread that Qt knows: the caller may be a plain
    // worker, so the document is printed on a QThread of its own and awaited.
    QByteArray pdf;
    const std::unique_ptr<QThread> printer(QThread::create([&pdf, &html] { pdf = PrintedPdf(html); }));
    printer->start();
    printer->wait();
    return pdf;
}

bool IsPdfPath(const QString& path) {
    return path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
}

} // namespace orlo
