#include "gui/settings/ReportDocument.h"

#include "core/report/CommissioningReport.h"
#include "core/strings/StringTable.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace orlo {
namespace {

constexpr int STR_REPORT_TITLE = 9600;

// A poppler tool's standard output; empty when it did not run.
QString Poppler(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Text as a page shows it: entities decoded, blanks collapsed, and the compatibility forms
// (radicals) that pdftotext gives for some ideographs made plain ones.
QString Plain(QString text) {
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text.normalized(QString::NormalizationForm_KC).simplified();
}

// The cells' texts of each row matched by `rows`, as one line.
QStringList RowLines(const QString& html, const QRegularExpression& rows) {
    static const QRegularExpression cell(QStringLiteral("<t[dh][^>]*>([^<]*)</t[dh]>"));
    QStringList lines;
    for (auto row = rows.globalMatch(html); row.hasNext();) {
        QStringList cells;
        const QString cellsText = row.next().captured(1);
        for (auto it = cell.globalMatch(cellsText); it.hasNext();) {
            cells << it.next().captured(1);
        }
        lines << Plain(cells.join(QLatin1Char(' ')));
    }
    return lines;
}

// What introduces a table: the headings, the notes below them and the header rows.
QSet<QString> IntroducingLines(const QString& html) {
    QSet<QString> lines;
    static const QRegularExpression blocks(QStringLiteral("<(h[1-3]|p)>([^<]+)</\\1>"));
    for (auto it = blocks.globalMatch(html); it.hasNext();) {
        lines.insert(Plain(it.next().captured(2)));
    }
    static const QRegularExpression headerRows(QStringLiteral("<thead><tr>(.*?)</tr>"));
    for (const QString& line : RowLines(html, headerRows)) {
        lines.insert(line);
    }
    return lines;
}

// A sensor with every kind of region and `detections` results, so that the tables fill pages and
// each further detection moves everything below the results one row down.
ReportContent Content(int detections) {
    ReportContent content;
    content.connection = "LAN 127.0.0.1:9600";
    content.device.name = "Orlo-X1";
    for (std::uint32_t slot = 0; slot < 16; ++slot) {
        content.settings.areaMasks[slot].number = slot;
        content.settings.motionMasks[slot].number = slot;
    }
    content.settings.areaMasks[0] = {0, 100, 100, 500, 400, 0x80};
    content.settings.motionMasks[1] = {1, 1000, 100, 1400, 500};
    content.settings.deviceInfo = "Gate 2";
    content.settings.other27 = 3;
    content.settings.other28 = 5;
    content.falseRects.assign(10, UNSET_RECT);
    for (int i = 0; i < detections; ++i) {
        content.results.push_back({40 * i, 100, 40 * i + 200, 400, 900, 0, 0, 0});
    }
    return content;
}

} // namespace

#ifdef _WIN32
// poppler's tools read the PDF back on the build machine; the Windows build under Wine has none.
constexpr const char* NoPoppler =
    "pdftotext and pdfinfo (poppler) run on the build machine only; the native build reads the PDF back";
#endif

class ReportDocumentTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(directory.isValid()); }

    // The document itself, on every system: a whole PDF, not an empty or cut one.
    void TheReportIsAWholePdf() {
        const QByteArray pdf = ReportPdf(ReportHtml(Content(3), {}));
        QVERIFY(pdf.startsWith("%PDF-"));
        QVERIFY(pdf.trimmed().endsWith("%%EOF"));
        QVERIFY(pdf.contains("/Type /Page"));
    }

    // However far the detections push the tables down, no page ends with a heading, a note or a
    // header row: each stays on the page of the first row it introduces.
    void NoPageEndsWithWhatIntroducesATable() {
#ifdef _WIN32
        QSKIP(NoPoppler);
#endif
        for (int detections = 0; detections <= 40; ++detections) {
            const std::string html = ReportHtml(Content(detections), {});
            const QSet<QString> introducing = IntroducingLines(QString::fromStdString(html));
            QVERIFY(introducing.contains(QString::fromUtf8("検出 (Detection)")));
            const QStringList pages = PagesOf(ReportPdf(html));
            QVERIFY2(pages.size() >= 3, "pdftotext (poppler-utils, scripts/install-deps.sh) did not run");
            for (qsizetype page = 0; page + 1 < pages.size(); ++page) {
                const QStringList lines = pages[page].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
                const QString last = lines.isEmpty() ? QString() : Plain(lines.last());
                QVERIFY2(!introducing.contains(last),
                         qPrintable(QStringLiteral("%1 detections: page %2 ends with %3")
                                        .arg(detections)
                                        .arg(page + 1)
                                        .arg(last)));
            }
        }
    }

    void ThePdfHasTheReportsTitle() {
#ifdef _WIN32
        QSKIP(NoPoppler);
#endif
        const QString info =
            Poppler(QStringLiteral("pdfinfo"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                                Written(ReportPdf(ReportHtml(Content(2), {})))});
        QVERIFY2(!info.isEmpty(), "pdfinfo (poppler-utils, scripts/install-deps.sh) did not run");
        static const QRegularExpression titleLine(QStringLiteral("^Title: *(.*)$"),
                                                  QRegularExpression::MultilineOption);
        QCOMPARE(titleLine.match(info).captured(1), QString::fromUtf8(LoadString(STR_REPORT_TITLE).data()));
    }

private:
    // poppler's tools read the PDF back on the build machine; the Windows build under Wine has none.
    static void SkipWithoutPoppler() {
#ifdef _WIN32
        QSKIP("pdftotext and pdfinfo (poppler) run on the build machine only; the native build reads the PDF "
              "back");
#endif
    }

    QString Written(const QByteArray& pdf) {
        const QString path = directory.filePath(QStringLiteral("report%1.pdf").arg(++files));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size()) {
            return {};
        }
        return path;
    }

    // The text of each page, the cells of a row on one line.
    QStringList PagesOf(const QByteArray& pdf) {
        QStringList pages =
            Poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                                  QStringLiteral("UTF-8"), Written(pdf), QStringLiteral("-")})
                .split(QLatin1Char('\f'));
        while (!pages.isEmpty() && pages.last().trimmed().isEmpty()) {
            pages.removeLast();
        }
        return pages;
    }

    QTemporaryDir directory;
    int files = 0;
};

} // namespace orlo

QTEST_MAIN(orlo::ReportDocumentTest)
#include "ReportDocumentTest.moc"
