#pragma once

#include "core/device/ConnectProcedures.h"
#include "core/strings/StringTable.h"
#include "gui/settings/CameraDlg.h"
#include "gui/settings/DetectSettingDlg.h"
#include "gui/settings/ReportDetailsDlg.h"
#include "gui/settings/SettingBaseDlg.h"
#include "gui/settings/SystemDlg.h"
#include "gui/shell/MiraSettingsDlg.h"
#include "gui/shell/WindowMessages.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/OrgMessageBox.h"
#include "sim/Simulator.h"
#include "tests/support/FakeSensor.h"
#include "tests/support/PlaceholderPages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace orlo::test {

inline QString Text(int id) {
    const auto text = LoadString(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The simulator's request codes, taken from its log.
class SimRequests {
public:
    sim::SimLogger Logger() {
        return [this](const std::string& line) {
            // "request 0xNN: ..."
            if (line.rfind("request 0x", 0) == 0) {
                std::lock_guard lock(mutex_);
                codes_.push_back(static_cast<std::uint8_t>(std::stoul(line.substr(10, 2), nullptr, 16)));
            }
        };
    }
    std::vector<std::uint8_t> Codes() const {
        std::lock_guard lock(mutex_);
        return codes_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        codes_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> codes_;
};

// Acts on the modal windows that the code under test opens, one step a window, in order. A step
// returns true when it has acted on the window; blocking calls are queued so the driver never
// waits inside a nested run.
class ModalDriver : public QObject {
public:
    using Step = std::function<bool(QWidget* modal)>;

    ModalDriver() {
        connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!steps_.empty() && modal != nullptr && steps_.front()(modal)) {
                steps_.pop_front();
            }
        });
        timer_.start(20);
    }
    ModalDriver& Then(Step step) {
        steps_.push_back(std::move(step));
        return *this;
    }
    bool Done() const { return steps_.empty(); }

    // A file dialog: the path chosen, or cancelled for an empty path.
    static Step ChooseFile(const QString& path) {
        return [path](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog == nullptr) {
                return false;
            }
            QTimer::singleShot(0, dialog, [dialog, path] {
                if (path.isEmpty()) {
                    dialog->reject();
                    return;
                }
                // The name field takes the selection only while it has no focus.
                if (QWidget* focus = dialog->focusWidget()) {
                    focus->clearFocus();
                }
                dialog->selectFile(path);
                // QFileDialog hides its accept (the overwrite question) behind QDialog's.
                static_cast<QDialog*>(dialog)->accept();
            });
            return true;
        };
    }
    // A question of the toolkit's own (the file dialog's overwrite question).
    static Step Answer(QMessageBox::StandardButton button) {
        return [button](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr) {
                return false;
            }
            QTimer::singleShot(0, box, [box, button] { box->button(button)->click(); });
            return true;
        };
    }
    // Any dialog of type T, handed to act.
    template <typename T>
    static Step On(std::function<void(T&)> act) {
        return [act](QWidget* modal) {
            auto* dialog = qobject_cast<T*>(modal);
            if (dialog == nullptr) {
                return false;
            }
            QTimer::singleShot(0, dialog, [dialog, act] { act(*dialog); });
            return true;
        };
    }

    // The report's details dialog, taken with OK as it stands.
    static Step AcceptReportDetails() {
        return On<CReportDetailsDlg>([](CReportDetailsDlg& dialog) { dialog.accept(); });
    }

private:
    QTimer timer_;
    std::deque<Step> steps_;
};

// The main window with the real camera, detection and system pages (a stand-in for the monitoring
// page) in a directory of its own, linked either to a FakeSensor in memory or to the simulator.
// `home`, when given, makes the monitoring page instead of the stand-in.
// Message boxes are answered by presets; one without a preset is closed and counted.
struct PageFixture {
    explicit PageFixture(std::filesystem::path modeList = ORLO_SAMPLE_MODE_LIST,
                         PageFactory::MakeHome home = {}) {
        QDir::setCurrent(directory.path());
        PageFactory factory = PlaceholderPageFactory();
        if (home) {
            factory.home = std::move(home);
        }
        factory.camera = [this, modeList](DeviceSession& session, CMiraSettingsDlgBase& main) {
            auto page = std::make_unique<CCameraDlg>(session, &main, modeList);
            camera = page.get();
            return std::unique_ptr<CPageBase>(std::move(page));
        };
        factory.detection = [this](DeviceSession& session, CMiraSettingsDlgBase& main) {
            auto page = std::make_unique<CDetectSettingDlg>(session, &main, directory.path().toStdString());
            detection = page.get();
            return std::unique_ptr<CPageBase>(std::move(page));
        };
        factory.system = [this, modeList](DeviceSession& session, CMiraSettingsDlgBase& main) {
            auto page = std::make_unique<CSystemDlg>(session, &main, modeList);
            system = page.get();
            return std::unique_ptr<CPageBase>(std::move(page));
        };
        window = std::make_unique<CMiraSettingsDlg>(factory);
        window->show();
        QObject::connect(&boxCloser, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            // A file dialog's own questions are for the test's ModalDriver.
            if (box != nullptr && qobject_cast<QFileDialog*>(box->parentWidget()) == nullptr) {
                unexpectedBoxes << box->text();
                box->done(0);
            }
        });
        boxCloser.start(50);
    }
    ~PageFixture() {
        window.reset();
        simulator.reset();
        COrgMessageBox::ResetPresets();
    }

    DeviceSession& Session() const { return window->Session(); }

    // The session on the in-memory sensor; the navigation as after a connection.
    void AttachFake() {
        Session().Attach(link, ConnectionType::Lan);
        SendMessageTo(window.get(), WM_DEVICE_CONNECTED);
    }

    // The session connected to a new simulator over TCP.
    bool ConnectSimulator(sim::SimConfig config = {}) {
        config.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
        config.log = requests.Logger();
        simulator = std::make_unique<sim::Simulator>(config);
        std::string error;
        if (!simulator->start(error) ||
            ConnectLan(Session(), "127.0.0.1", simulator->tcpPort(), 90) != RC_OK) {
            return false;
        }
        SendMessageTo(window.get(), WM_DEVICE_CONNECTED);
        requests.Clear();
        return true;
    }

    // Shows a page as its navigation button does and, for a settings page, runs its load to the end.
    void ShowPage(PageId page) {
        window->RequestPage(page);
        if (auto* settings = dynamic_cast<CSettingBaseDlg*>(window->Page(page));
            settings && settings->isVisible()) {
            QCoreApplication::sendPostedEvents(settings, MessageType(CSettingBaseDlg::WM_APP_LOAD));
        }
    }

    // Delivers what pages posted to the main window (going home, then the disconnect).
    void DeliverPosted() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }

    static const QStringList& Shown() { return COrgMessageBox::AnsweredTexts(); }

    QTemporaryDir directory;
    // Both outlive the window, whose session uses them.
    FakeConnection link;
    FakeSensor sensor{link};
    SimRequests requests;
    std::unique_ptr<sim::Simulator> simulator;
    std::unique_ptr<CMiraSettingsDlg> window;
    CCameraDlg* camera = nullptr;
    CDetectSettingDlg* detection = nullptr;
    CSystemDlg* system = nullptr;
    QTimer boxCloser;
    QStringList unexpectedBoxes;
};

} // namespace orlo::test
