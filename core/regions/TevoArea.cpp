#include "core/regions/TevoArea.h"

namespace orlo {

CTevoArea::CTevoArea(std::int32_t number, const Rect& rect) : number_(number), rect_(rect) {}

void CTevoArea::SetNumber(std::int32_t number) {
    number_ = number;
}

std::int32_t CTevoArea::GetNumber() const {
    return number_;
}

void CTevoArea::SetRect(const Rect& rect) {
    rect_ = rect;
}

Rect CTevoArea::GetRect() const {
    return rect_;
}

void CTevoArea::Clear() {
    rect_ = UNSET_RECT;
}

bool CTevoArea::IsSet() const {
    return !IsUnset(rect_);
}

CAreaMaskArea::CAreaMaskArea(std::int32_t number, const Rect& rect, const Judgement& judgement)
    : CTevoArea(number, rect), judgement_(judgement) {}

void CAreaMaskArea::Clear() {
    CTevoArea::Clear();
    judgement_ = Judgement{};
}

CFalseRectArea::CFalseRectArea(std::int32_t number, const Rect& rect, FalseRectState state)
    : CTevoArea(number, rect), state_(state) {}

void CFalseRectArea::SetRect(const Rect& rect) {
    CTevoArea::SetRect(rect);
    state_ = FalseRectState::Stored;
}

void CFalseRectArea::Clear() {
    CTevoArea::Clear();
    state_ = FalseRectState::Removed;
}

void CFalseRectArea::MarkAdded(const Rect& rect) {
    rect_ = rect;
    state_ = FalseRectState::Added;
}

bool SameRegion(const CTevoArea& a, const CTevoArea& b) {
    return a.GetNumber() == b.GetNumber() && a.GetRect() == b.GetRect();
}

bool SameAreaMask(const CAreaMaskArea& a, const CAreaMaskArea& b) {
    return SameRegion(a, b) && SameJudgement(a.GetJudgement(), b.GetJudgement());
}

} // namespace orlo
