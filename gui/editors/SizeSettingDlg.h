#pragma once

#include "gui/editors/DetectionRunDlgBase.h"

class QLabel;

namespace orlo {

class COrgListCtrl;
class CRangeEdit;
class CSpinButton;

// The size mask editor "サイズマスク設定": a detection run of the sensor with every detection outlined
// and numbered on the picture (purple when the current size mask excludes it, green otherwise, red
// for the one picked in the list), the list of their sizes (the larger of width and height), and
// the two limit fields, with a hint line under the picture. OK refuses a maximum below the minimum (the
// page checks again when it applies).
class CSizeSettingDlg final : public CDetectionRunDlgBase {
    Q_OBJECT

public:
    // minimum and maximum are the page's two size fields.
    CSizeSettingDlg(DeviceSession* session, QWidget* owner, int minimum, int maximum);

    // The fields' values, for the page after an OK.
    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }
    // The row picked in the list, -1 for none.
    int ListSelection() const { return listSelection_; }
    COrgListCtrl* DetectionList() const { return list_; }
    QLabel* Hint() const { return hint_; }
    CRangeEdit* MinimumField() const { return minimumField_; }
    CRangeEdit* MaximumField() const { return maximumField_; }

    // The size the list shows: the larger of width and height in sensor units.
    static int DetectionSize(const DetectionResult& detection);
    // The outline colour of a detection on the picture.
    static QColor OutlineColour(const DetectionResult& detection, bool selected);
    // Where the number of a detection is drawn on the work surface (its top-left corner, above the
    // outline's).
    QPoint NumberPosition(const DetectionResult& detection) const;

public slots:
    // Takes the fields' values and ends with OK; a maximum below the minimum is refused with a
    // message and the dialog stays open.
    void accept() override;

protected:
    void LayoutControls() override;
    void OnLoaded() override;
    void DrawSurface() override;

private:
    void FillList();
    QSize NumberExtent() const;

    int minimum_;
    int maximum_;
    int listSelection_ = -1;
    CRangeEdit* minimumField_;
    CSpinButton* minimumSpin_;
    QLabel* tilde_;
    CRangeEdit* maximumField_;
    CSpinButton* maximumSpin_;
    COrgListCtrl* list_;
    QLabel* hint_; // how to use the editor, under the picture
};

} // namespace orlo
