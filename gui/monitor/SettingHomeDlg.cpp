#include "gui/monitor/SettingHomeDlg.h"

#include "core/config/AppConfig.h"
#include "core/strings/CaptionIds.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgPropertyGrid.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

namespace orlo {
namespace {

// Item data of the top-level groups: the save step dispatches on it.
enum GroupData : qint64 { GROUP_IMAGE = 0, GROUP_RENEW = 1, GROUP_DIFF = 2, GROUP_AREA = 3 };

constexpr int STR_GROUP_IMAGE = 3100;
constexpr int STR_GROUP_RENEW = 3101;
constexpr int STR_GROUP_DIFF = 3102;
constexpr int STR_GROUP_AREA = 3103;
constexpr int STR_RESOLUTION = 3110;
constexpr int STR_RENEW_INTERVAL = 3111;
constexpr int STR_DIFF_SHORT_MOTION_GROUP = 3113;
constexpr int STR_DIFF_SHORT_MOTION = 3115;
constexpr int STR_AREA_BODY = 3120;
constexpr int STR_AREA_SHORT_MOTION = 3121;
constexpr int STR_SHOW = 3150;
constexpr int STR_HIDE = 3151;
constexpr int STR_COLOUR = 3160;

constexpr CRange RENEW_INTERVAL_RANGE{500, 60000};
// Item indices of the configuration's display sections.
constexpr int SHORT_MOTION_ITEM = 0;
constexpr int AREA_BODY_ITEM = 0;
constexpr int AREA_SHORT_MOTION_ITEM = 1;
constexpr std::int32_t UNSET_COLOUR = -1;
const QColor DEFAULT_DIFF_COLOUR(255, 215, 0);
const QColor GROUP_TEXT_COLOUR(0x69, 0x69, 0x69);

struct Resolution {
    std::int32_t value;
    const char* text;
};
constexpr Resolution RESOLUTIONS[] = {{1, "320 x 240"}, {2, "160 x 120"}};
// Written when no resolution is chosen.
constexpr std::int32_t NO_RESOLUTION = 0;

constexpr int MARGIN = 8;
constexpr int BUTTON_GAP = 16;
constexpr int MIN_GRID_WIDTH = 480;

QString ResolutionText(std::int32_t value) {
    for (const Resolution& resolution : RESOLUTIONS) {
        if (resolution.value == value) {
            return QString::fromLatin1(resolution.text);
        }
    }
    return {};
}

QStringList ResolutionOptions() {
    QStringList options;
    for (const Resolution& resolution : RESOLUTIONS) {
        options << QString::fromLatin1(resolution.text);
    }
    return options;
}

std::int32_t ResolutionValue(const QString& text) {
    for (const Resolution& resolution : RESOLUTIONS) {
        if (text == QLatin1String(resolution.text)) {
            return resolution.value;
        }
    }
    return NO_RESOLUTION;
}

// Stored switches other than 1 and 0 show as an empty choice.
QString SwitchText(std::int32_t value) {
    switch (value) {
    case 1:
        return StringText(STR_SHOW);
    case 0:
        return StringText(STR_HIDE);
    default:
        return {};
    }
}

// Only "非表示" turns a switch off; an empty choice is saved as on.
bool SwitchValue(const COrgPropertyGridProperty& item) {
    return item.GetValue().toString() != StringText(STR_HIDE);
}

QStringList SwitchOptions() {
    return {StringText(STR_SHOW), StringText(STR_HIDE)};
}

// Stored colours keep red in bits 0-7, green in 8-15 and blue in 16-23.
QColor ColourFromConfig(std::int32_t value) {
    if (value == UNSET_COLOUR) {
        return DEFAULT_DIFF_COLOUR;
    }
    const auto bits = static_cast<std::uint32_t>(value);
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

std::int32_t ColourToConfig(const QColor& colour) {
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

} // namespace

CSettingHomeDlg::CSettingHomeDlg(QWidget* parent, AppConfig& config, std::vector<QColor> palette)
    : CBasisDialog(parent), config_(config), frame_(new QFrame(this)), grid_(new COrgPropertyGridCtrl(this)),
      autoReconnect_(new QCheckBox(StringText(CAP_AUTO_RECONNECT), this)),
      applyButton_(new CImgButton(StringText(CAP_APPLY), this)),
      okButton_(new CImgButton(StringText(CAP_OK), this)),
      cancelButton_(new CImgButton(StringText(CAP_CANCEL), this)) {
    setWindowTitle(StringText(CAP_SETTINGS));
    frame_->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame_->setLineWidth(1);
    // The frame around it is the grid's border.
    grid_->setFrameShape(QFrame::NoFrame);
    grid_->SetGroupTextColour(GROUP_TEXT_COLOUR);
    for (CImgButton* button : {applyButton_, okButton_, cancelButton_}) {
        button->Setup(PIC_COMMON_BUTTON);
    }
    connect(applyButton_, &CImgButton::clicked, this, &CSettingHomeDlg::Save);
    connect(okButton_, &CImgButton::clicked, this, [this] {
        Save();
        accept();
    });
    connect(cancelButton_, &CImgButton::clicked, this, &CSettingHomeDlg::reject);

    InitGrid(palette);
    autoReconnect_->setChecked(config_.ReadAutoReconnect());
    LayoutControls();
}

void CSettingHomeDlg::Save() {
    grid_->CommitEdits();
    config_.WriteAutoReconnect(autoReconnect_->isChecked());
    for (int i = 0; i < grid_->GetPropertyCount(); ++i) {
        const COrgPropertyGridProperty& group = *grid_->GetProperty(i);
        switch (group.GetData()) {
        case GROUP_IMAGE:
            config_.WriteImageResolution(ResolutionValue(group.GetSubItem(0)->GetValue().toString()));
            break;
        case GROUP_RENEW:
            config_.WriteRenewInterval(group.GetSubItem(0)->GetValue().toInt());
            break;
        case GROUP_DIFF:
            for (int item = 0; item < group.GetSubItemsCount(); ++item) {
                const COrgPropertyGridProperty& motion = *group.GetSubItem(item);
                config_.WriteIsShowDiff(item, SwitchValue(*motion.GetSubItem(0)));
                config_.WriteDiffColor(item,
                                       ColourToConfig(motion.GetSubItem(1)->GetValue().value<QColor>()));
            }
            break;
        case GROUP_AREA:
            for (int item = 0; item < group.GetSubItemsCount(); ++item) {
                config_.WriteIsShowArea(item, SwitchValue(*group.GetSubItem(item)));
            }
            break;
        }
    }
}

void CSettingHomeDlg::keyPressEvent(QKeyEvent* event) {
    // Unlike the other windows, Escape closes this one, as "キャンセル" does.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        reject();
        return;
    }
    CBasisDialog::keyPressEvent(event);
}

void CSettingHomeDlg::InitGrid(const std::vector<QColor>& palette) {
    using Property = COrgPropertyGridProperty;

    auto image = Property::MakeGroup(StringText(STR_GROUP_IMAGE), GROUP_IMAGE);
    image->AddSubItem(Property::MakeChoice(StringText(STR_RESOLUTION), ResolutionOptions(),
                                           ResolutionText(config_.ReadImageResolution())));
    grid_->AddProperty(std::move(image));

    auto renew = Property::MakeGroup(StringText(STR_GROUP_RENEW), GROUP_RENEW);
    renew->AddSubItem(Property::MakeNumber(StringText(STR_RENEW_INTERVAL), config_.ReadRenewInterval(),
                                           RENEW_INTERVAL_RANGE));
    grid_->AddProperty(std::move(renew));

    auto diff = Property::MakeGroup(StringText(STR_GROUP_DIFF), GROUP_DIFF);
    auto motion = Property::MakeGroup(StringText(STR_DIFF_SHORT_MOTION_GROUP));
    motion->AddSubItem(Property::MakeChoice(StringText(STR_DIFF_SHORT_MOTION), SwitchOptions(),
                                            SwitchText(config_.ReadIsShowDiff(SHORT_MOTION_ITEM))));
    motion->AddSubItem(Property::MakeColour(
        StringText(STR_COLOUR), ColourFromConfig(config_.ReadDiffColor(SHORT_MOTION_ITEM)),
        QList<QColor>(palette.begin(), palette.end()), StringText(CAP_OTHER_COLOUR)));
    diff->AddSubItem(std::move(motion));
    grid_->AddProperty(std::move(diff));

    auto area = Property::MakeGroup(StringText(STR_GROUP_AREA), GROUP_AREA);
    area->AddSubItem(Property::MakeChoice(StringText(STR_AREA_BODY), SwitchOptions(),
                                          SwitchText(config_.ReadIsShowArea(AREA_BODY_ITEM))));
    area->AddSubItem(Property::MakeChoice(StringText(STR_AREA_SHORT_MOTION), SwitchOptions(),
                                          SwitchText(config_.ReadIsShowArea(AREA_SHORT_MOTION_ITEM))));
    grid_->AddProperty(std::move(area));
}

void CSettingHomeDlg::LayoutControls() {
    const QSize button = applyButton_->size();
    const int gridWidth = std::max(MIN_GRID_WIDTH, 3 * button.width() + 16);
    const int gridHeight = 24 * fontMetrics().size(Qt::TextSingleLine, QStringLiteral("W")).height() + 24;
    grid_->setGeometry(MARGIN, MARGIN, gridWidth, gridHeight);
    frame_->setGeometry(grid_->geometry().adjusted(-1, -1, 1, 1));

    autoReconnect_->adjustSize();
    autoReconnect_->move(MARGIN, grid_->geometry().bottom() + 1 + MARGIN);

    const int centre = MARGIN + gridWidth / 2;
    const int buttonTop = autoReconnect_->geometry().bottom() + 1 + MARGIN;
    int x = centre - button.width() * 3 / 2 - 8;
    for (CImgButton* b : {applyButton_, okButton_, cancelButton_}) {
        b->move(x, buttonTop);
        x += b->width() + BUTTON_GAP;
    }
    WindowSizeForClient({gridWidth + 2 * MARGIN, buttonTop + button.height() + MARGIN});
}

} // namespace orlo
