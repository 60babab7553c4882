#include "gui/settings/CompareDlg.h"

#include "core/platform/CodePage.h"
#include "core/strings/CaptionIds.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTableWidget>
#include <algorithm>

namespace orlo {
namespace {

constexpr int STR_TITLE = 9088;
constexpr int STR_SETTING = 9089;
constexpr int STR_SENSOR = 9090;
constexpr int STR_FILE = 9091;
constexpr int STR_NO_DIFFERENCE = 9092;
constexpr int STR_DIFFERENCES = 9094;

constexpr int MARGIN = 16;
constexpr int TABLE_WIDTH = 520;
constexpr int TABLE_HEIGHT = 280;
constexpr int GAP = 12;
constexpr int COLUMN_PADDING = 16;
constexpr int MIN_WIDTH = 240;

// A value as a settings file holds it; the information text is the sensor's CP932 bytes.
QString ValueText(const std::string& key, const std::string& value) {
    if (key == "System.DeviceInfo") {
        return QString::fromStdString(Cp932ToUtf8(value).value_or(value));
    }
    return QString::fromStdString(value);
}

} // namespace

CCompareDlg::CCompareDlg(QWidget* parent, const std::vector<SettingsDifference>& differences)
    : CBasisDialog(parent), summary_(new QLabel(this)), table_(new QTableWidget(this)),
      okButton_(new CImgButton(StringText(CAP_OK), this)) {
    setWindowTitle(StringText(STR_TITLE));
    summary_->setObjectName(QStringLiteral("compareSummary"));
    summary_->setText(
        differences.empty()
            ? StringText(STR_NO_DIFFERENCE)
            : StringText(STR_DIFFERENCES).replace(QStringLiteral("%d"), QString::number(differences.size())));
    table_->setColumnCount(3);
    table_->setHorizontalHeaderLabels(
        {StringText(STR_SETTING), StringText(STR_SENSOR), StringText(STR_FILE)});
    table_->setRowCount(static_cast<int>(differences.size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        const SettingsDifference& difference = differences[static_cast<std::size_t>(row)];
        const QString cells[3] = {QString::fromStdString(difference.key),
                                  ValueText(difference.key, difference.second),
                                  ValueText(difference.key, difference.first)};
        for (int column = 0; column < 3; ++column) {
            table_->setItem(row, column, new QTableWidgetItem(cells[column]));
        }
    }
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setHidden(differences.empty());
    okButton_->Setup(PIC_COMMON_BUTTON);
    connect(okButton_, &CImgButton::clicked, this, &QDialog::accept);

    summary_->adjustSize();
    summary_->move(MARGIN, MARGIN);
    int top = summary_->y() + summary_->height() + GAP;
    // Every column as wide as its widest cell: a key or a value is never cut.
    int tableWidth = 2 * table_->frameWidth() + table_->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < table_->columnCount(); ++column) {
        tableWidth += table_->columnWidth(column) + COLUMN_PADDING;
    }
    tableWidth = std::max(TABLE_WIDTH, tableWidth);
    if (!table_->isHidden()) {
        table_->setGeometry(MARGIN, top, tableWidth, TABLE_HEIGHT);
        for (int column = 0; column + 1 < table_->columnCount(); ++column) {
            table_->setColumnWidth(column, table_->columnWidth(column) + COLUMN_PADDING);
        }
        top += TABLE_HEIGHT + GAP;
    }
    const int width =
        std::max({table_->isHidden() ? MIN_WIDTH : tableWidth, summary_->width(), okButton_->width()}) +
        2 * MARGIN;
    okButton_->move((width - okButton_->width()) / 2, top);
    WindowSizeForClient({width, top + okButton_->height() + MARGIN});
}

void CCompareDlg::keyPressEvent(QKeyEvent* event) {
    // Nothing to lose here: Escape closes, as OK does.
    if (event->key() == Qt::Key_Escape) {
        accept();
        return;
    }
    CBasisDialog::keyPressEvent(event);
}

} // namespace orlo
