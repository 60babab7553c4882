#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace orlo {

// Delivers Delete-key releases to an open editor wherever its focus is (list, buttons or the
// editor itself): an application event filter that lives as long as this object. A plain key press
// does nothing; the release (or a Delete pressed with Alt, a system key) calls onDelete. An event
// that onDelete answers with true goes no further.
class CDeleteKeyWatch : public QObject {
    Q_OBJECT

public:
    CDeleteKeyWatch(QWidget& editor, std::function<bool()> onDelete);
    ~CDeleteKeyWatch() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& editor_;
    std::function<bool()> onDelete_;
};

} // namespace orlo
