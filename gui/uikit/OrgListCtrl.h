#pragma once

#include <QIcon>
#include <QStringList>
#include <QTableWidget>
#include <span>
#include <vector>

namespace orlo {

struct ListColumn {
    QString header;
    Qt::Alignment alignment = Qt::AlignLeft;
    int width = 80;
};

// One cell of a row; mask tells which parts are set.
struct ListCell {
    enum Part { Text = 1, Image = 2, Value = 4 };
    int mask = Text;
    QString text;
    int image = -1;   // index into the list's images
    qint64 value = 0; // the row's item value (first cell only)
};

// A report list: whole rows selected, fixed column widths, compact rows, an image list for cell
// images and an integer value per row. Key presses go to the parent window, which decides what they
// mean (Delete removes an entry in the editors).
class COrgListCtrl : public QTableWidget {
    Q_OBJECT

public:
    explicit COrgListCtrl(QWidget* parent = nullptr);

    // Full-row selection, grid lines and cell images.
    void SetExtendedStyles();
    void SetHeaderVisible(bool visible);
    void AddColumns(std::span<const ListColumn> columns);
    // Cuts a strip into images of imageWidth and appends them; key pixels become transparent.
    void AppendImages(const QImage& strip, int imageWidth, QRgb transparentKey);
    int ImageCount() const { return static_cast<int>(images_.size()); }

    // Appends a row: the first text for the row, the others for the following columns. Returns its index.
    int InsertRow(const QStringList& texts, qint64 value);
    int InsertRow(std::span<const ListCell> cells);
    // -1 when no row has this value.
    int FindByValue(qint64 value) const;
    qint64 RowValue(int row) const;
    // Focuses and selects the row and scrolls it into view.
    void SelectRow(int row);
    int SelectedRow() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ForwardKey(QKeyEvent* event);
    void UpdateRowHeight();

    std::vector<QIcon> images_;
};

} // namespace orlo
