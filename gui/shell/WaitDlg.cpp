#include "gui/shell/WaitDlg.h"

#include "core/strings/CaptionIds.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <algorithm>
#include <cstdint>

namespace orlo {
namespace {

constexpr QSize WINDOW_SIZE{480, 280};
constexpr int BAR_STEP_MS = 16;      // about 60 steps a second
constexpr int ELAPSED_STEP_MS = 200; // the text counts whole seconds
constexpr int ELAPSED_GAP = 4;
constexpr int BUTTON_BOTTOM_MARGIN = 16;
constexpr int CAP_CANCEL_WAIT = 9031;
constexpr int STR_ELAPSED_OF_NOMINAL = 9032;

} // namespace

CWaitDlg::CWaitDlg(QWidget* parent)
    : CBasisDialog(parent), text_(new QLabel(StringText(CAP_PLEASE_WAIT), this)),
      bar_(new QProgressBar(this)), elapsed_(new QLabel(this)),
      cancelButton_(new CImgButton(StringText(CAP_CANCEL_WAIT), this)) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    text_->setAlignment(Qt::AlignCenter);
    bar_->setTextVisible(false);
    elapsed_->setObjectName(QStringLiteral("elapsedText"));
    elapsed_->setAlignment(Qt::AlignCenter);
    elapsed_->hide();
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    cancelButton_->Setup(PIC_COMMON_BUTTON);
    cancelButton_->hide();
    connect(cancelButton_, &CImgButton::clicked, this, &CWaitDlg::PressCancel);
    barTimer_.setTimerType(Qt::PreciseTimer);
    barTimer_.setInterval(BAR_STEP_MS);
    connect(&barTimer_, &QTimer::timeout, this, &CWaitDlg::AdvanceBar);
    elapsedTimer_.setInterval(ELAPSED_STEP_MS);
    connect(&elapsedTimer_, &QTimer::timeout, this, &CWaitDlg::ShowElapsed);
}

void CWaitDlg::SetTask(QObject* target, int message, qintptr parameter) {
    target_ = target;
    taskMessage_ = message;
    taskParam_ = parameter;
}

void CWaitDlg::SetProgress(int durationMs, bool barMoves) {
    durationMs_ = std::max(0, durationMs);
    nominalMs_ = durationMs_;
    barMoves_ = barMoves;
    bar_->setRange(0, durationMs_ == 0 ? 100 : durationMs_);
}

void CWaitDlg::EndWait() {
    stopBar_ = true;
    QMetaObject::invokeMethod(this, &CWaitDlg::FinishRun, Qt::QueuedConnection);
}

void CWaitDlg::SetProgressPos(int ms) {
    // QProgressBar ignores values outside its range; a late step means full.
    bar_->setValue(std::clamp(ms, bar_->minimum(), bar_->maximum()));
}

int CWaitDlg::ProgressPos() const {
    return bar_->value();
}

int CWaitDlg::ProgressMaximum() const {
    return bar_->maximum();
}

void CWaitDlg::SetCancel(std::function<void()> cancel) {
    cancel_ = std::move(cancel);
}

int CWaitDlg::exec() {
    if (inRun_) {
        return -1;
    }
    cancelPressed_ = false;
    if (endPending_) {
        endPending_ = false;
        cancel_ = nullptr;
        return 0;
    }
    stopBar_ = false;
    InitAppearance();
    inRun_ = true;
    const int result = CBasisDialog::exec();
    inRun_ = false;
    barTimer_.stop();
    elapsedTimer_.stop();
    cancel_ = nullptr;
    return result;
}

void CWaitDlg::PressCancel() {
    if (!cancel_ || cancelPressed_) {
        return;
    }
    cancelPressed_ = true;
    cancelButton_->setEnabled(false);
    cancel_();
}

void CWaitDlg::accept() {}

void CWaitDlg::reject() {}

void CWaitDlg::closeEvent(QCloseEvent* event) {
    // The page would go on while its worker still runs: only EndWait ends the dialog.
    event->ignore();
}

void CWaitDlg::InitAppearance() {
    QFont heavy = font();
    heavy.setWeight(QFont::Black);
    int pixels = QFontInfo(font()).pixelSize() * 3;
    heavy.setPixelSize(pixels);
    // A large system font must not push the text out of the window.
    const int room = WINDOW_SIZE.width() - 24;
    while (pixels > 12 && QFontMetrics(heavy).horizontalAdvance(text_->text()) > room) {
        heavy.setPixelSize(--pixels);
    }
    text_->setFont(heavy);
    bar_->setRange(0, durationMs_ == 0 ? 100 : durationMs_);
    bar_->setValue(0);
    elapsed_->setVisible(nominalMs_ > ElapsedShownAboveMs);
    start_ = std::chrono::steady_clock::now();
    ShowElapsed();
    cancelButton_->setVisible(static_cast<bool>(cancel_));
    cancelButton_->setEnabled(true);
    LayoutControls();
    if (const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + area.width() / 2 - width() / 2, area.y() + area.height() / 2 - height() / 2);
    }
    raise();
}

void CWaitDlg::LayoutControls() {
    WindowSizeForClient(WINDOW_SIZE);
    const int textHeight = QFontMetrics(text_->font()).height() + 8;
    const int textTop = WINDOW_SIZE.height() / 2 - textHeight / 2 - 8;
    text_->setGeometry(8, textTop, WINDOW_SIZE.width() - 16, textHeight);
    bar_->setGeometry(16, textTop + textHeight, WINDOW_SIZE.width() - 32, bar_->sizeHint().height());
    elapsed_->setGeometry(bar_->x(), bar_->geometry().bottom() + 1 + ELAPSED_GAP, bar_->width(),
                          elapsed_->sizeHint().height());
    cancelButton_->move(WINDOW_SIZE.width() / 2 - cancelButton_->width() / 2,
                        WINDOW_SIZE.height() - BUTTON_BOTTOM_MARGIN - cancelButton_->height());
}

void CWaitDlg::showEvent(QShowEvent* event) {
    CBasisDialog::showEvent(event);
    PostMessageTo(this, WM_WAIT_START);
    start_ = std::chrono::steady_clock::now();
    if (barMoves_ && durationMs_ > 0 && !stopBar_) {
        barTimer_.start();
    }
    if (nominalMs_ > ElapsedShownAboveMs && !stopBar_) {
        elapsedTimer_.start();
    }
}

bool CWaitDlg::event(QEvent* event) {
    if (event->type() == MessageType(WM_WAIT_START)) {
        if (taskMessage_ != 0) {
            PostMessageTo(target_, taskMessage_, 0, taskParam_, this);
        }
        taskMessage_ = 0;
        taskParam_ = 0;
        return true;
    }
    return CBasisDialog::event(event);
}

void CWaitDlg::AdvanceBar() {
    if (stopBar_ || durationMs_ == 0) {
        barTimer_.stop();
        return;
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
    const auto elapsedMs = static_cast<std::uint32_t>(elapsed.count());
    SetProgressPos(
        static_cast<int>(std::min<std::uint32_t>(elapsedMs, static_cast<std::uint32_t>(durationMs_))));
    if (elapsedMs >= static_cast<std::uint32_t>(durationMs_)) {
        // Full; the next run needs a new duration (every run sets one).
        durationMs_ = 0;
        barTimer_.stop();
    }
}

void CWaitDlg::ShowElapsed() {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start_);
    const int nominalSeconds = (nominalMs_ + 999) / 1000;
    elapsed_->setText(QString::asprintf(StringText(STR_ELAPSED_OF_NOMINAL).toUtf8().constData(),
                                        static_cast<int>(elapsed.count()), nominalSeconds));
}

void CWaitDlg::FinishRun() {
    barTimer_.stop();
    elapsedTimer_.stop();
    if (inRun_) {
        CBasisDialog::done(0);
    } else {
        endPending_ = true;
    }
}

void CWaitDlg::paintEvent(QPaintEvent* event) {
    CBasisDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace orlo
