#include "gui/settings/ReportDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QThread>
#include <QUrl>
#include <algorithm>
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

bool HoldsPicture(const QTextBlock& block) {
    return block.text().contains(QChar::ObjectReplacementCharacter);
}

// The page a point of the laid-out document falls on.
int PageAt(const QTextDocument& document, qreal y) {
    return static_cast<int>(y / document.pageSize().height());
}

// Where the block's first line is drawn: the layout moves a line that would cross the end of a page
// to the next page without moving its block.
qreal TextTop(const QTextDocument& document, const QTextBlock& block) {
    const QTextLayout* lines = block.layout();
    const qreal lineOffset = lines != nullptr && lines->lineCount() > 0 ? lines->lineAt(0).y() : 0;
    return document.documentLayout()->blockBoundingRect(block).top() + lineOffset;
}

int PageOf(const QTextDocument& document, const QTextTableCell& cell) {
    return PageAt(document, TextTop(document, cell.firstCursorPosition().block()));
}

// The table's first row below its header rows (the last header row when it has none).
int FirstRow(const QTextTable& table) {
    return std::min(table.format().headerRowCount(), table.rows() - 1);
}

bool BreaksBefore(QTextFormat::PageBreakFlags policy) {
    return policy.testFlag(QTextFormat::PageBreak_AlwaysBefore);
}

// Starts the block on a new page; false when it already starts one.
bool MoveToNextPage(const QTextBlock& block) {
    if (BreaksBefore(block.blockFormat().pageBreakPolicy())) {
        return false;
    }
    QTextBlockFormat format;
    format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    QTextCursor(block).mergeBlockFormat(format);
    return true;
}

// Starts the block on a new page when it lies on a page before `page`; false when it does not, or
// already starts a page.
bool MoveToPage(const QTextDocument& document, const QTextBlock& block, int page) {
    return PageAt(document, TextTop(document, block)) != page && MoveToNextPage(block);
}

// The same for a table whose header rows would stand apart from its first row.
bool MoveToPage(const QTextDocument& document, QTextTable& table, int page) {
    QTextTableFormat format = table.format();
    if (BreaksBefore(format.pageBreakPolicy()) || PageOf(document, table.cellAt(0, 0)) == page) {
        return false;
    }
    format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    table.setFormat(format);
    return true;
}

// Rich text has no "page-break-after: avoid": headings and the notes below them are kept with what
// they introduce (a table's first row, a picture) by a page break before them where the layout
// parts them, and a table's header rows with its first row. One break per pass, as each moves
// everything below it.
bool KeepOneIntroductionWithItsContent(QTextDocument& document) {
    QTextBlock introduction;
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (auto* table = qobject_cast<QTextTable*>(it.currentFrame())) {
            const int page = PageOf(document, table->cellAt(FirstRow(*table), 0));
            if (introduction.isValid() ? MoveToPage(document, introduction, page)
                                       : MoveToPage(document, *table, page)) {
                return true;
            }
            introduction = {};
            continue;
        }
        const QTextBlock block = it.currentBlock();
        if (!block.isValid() || block.text().trimmed().isEmpty()) {
            continue;
        }
        if (!HoldsPicture(block)) {
            introduction = introduction.isValid() ? introduction : block;
            continue;
        }
        if (introduction.isValid() &&
            MoveToPage(document, introduction, PageAt(document, TextTop(document, block)))) {
            return true;
        }
        introduction = {};
    }
    return false;
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
    while (KeepOneIntroductionWithItsContent(document)) {
    }
    writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
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
