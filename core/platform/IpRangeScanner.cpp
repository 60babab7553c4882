#include "core/platform/IpRangeScanner.h"

#include <algorithm>
#include <optional>

namespace orlo {

namespace {

using Clock = std::chrono::steady_clock;

enum class Probe { Unsent, Waiting, Answered, Silent };

// Outcome of every address of one scan and the progress derived from it.
class ProbeBook {
public:
    ProbeBook(const ScanRange& range, const std::function<void(int)>& progress)
        : range_(range), progress_(progress), probes_(static_cast<std::size_t>(range.Count()), Probe::Unsent),
          deadlines_(probes_.size()) {}

    void Sent(int index, Clock::time_point deadline) {
        probes_[Slot(index)] = Probe::Waiting;
        deadlines_[Slot(index)] = deadline;
    }
    void Failed(int index) { Settle(index, Probe::Silent); }

    void Replied(const EchoReply& reply) {
        const int x = reply.source[3];
        const bool ours = std::equal(range_.Prefix().begin(), range_.Prefix().end(), reply.source.begin()) &&
                          x >= range_.First() && x <= range_.Last() && reply.sequence == x;
        if (ours && probes_[Slot(x - range_.First())] == Probe::Waiting) {
            Settle(x - range_.First(), Probe::Answered);
        }
    }

    void Expire(Clock::time_point now) {
        for (std::size_t i = 0; i < probes_.size(); ++i) {
            if (probes_[i] == Probe::Waiting && deadlines_[i] <= now) {
                Settle(static_cast<int>(i), Probe::Silent);
            }
        }
    }

    // The earliest deadline still open; nothing once every sent request is settled.
    std::optional<Clock::time_point> NextDeadline() const {
        std::optional<Clock::time_point> next;
        for (std::size_t i = 0; i < probes_.size(); ++i) {
            if (probes_[i] == Probe::Waiting && (!next || deadlines_[i] < *next)) {
                next = deadlines_[i];
            }
        }
        return next;
    }

    bool AllSettled() const { return done_ == static_cast<int>(probes_.size()); }

    std::vector<Ipv4Address> Answered() const {
        std::vector<Ipv4Address> answered;
        for (std::size_t i = 0; i < probes_.size(); ++i) {
            if (probes_[i] == Probe::Answered) {
                answered.push_back(range_.At(range_.First() + static_cast<int>(i)));
            }
        }
        return answered;
    }

private:
    static std::size_t Slot(int index) { return static_cast<std::size_t>(index); }

    void Settle(int index, Probe outcome) {
        probes_[Slot(index)] = outcome;
        ++done_;
        const int percent = done_ * 100 / static_cast<int>(probes_.size());
        if (percent != reported_ && progress_) {
            reported_ = percent;
            progress_(percent);
        }
    }

    const ScanRange& range_;
    const std::function<void(int)>& progress_;
    std::vector<Probe> probes_;
    std::vector<Clock::time_point> deadlines_;
    int done_ = 0;
    int reported_ = -1;
};

bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel != nullptr && cancel->load();
}

} // namespace

ScanRange ScanRange::FromEnd(const Ipv4Address& firstAddress, int end) {
    return ScanRange({firstAddress[0], firstAddress[1], firstAddress[2]}, firstAddress[3],
                     std::min(end, 255));
}

ScanResult IpRangeScanner::Scan(const ScanRange& range, const std::function<void(int)>& progress,
                                const std::atomic<bool>* cancel) const {
    ScanResult result;
    if (range.Count() == 0) {
        return result;
    }
    auto opened = IcmpEchoSocket::Open();
    if (!opened.socket) {
        result.error = opened.failure.error;
        result.errorText = std::move(opened.failure.text);
        return result;
    }
    IcmpEchoSocket& socket = *opened.socket;
    ProbeBook book(range, progress);
    // Replies already queued are taken before any deadline is judged, so a late wake-up of this
    // thread never turns an answer into silence.
    const auto collect = [&] {
        while (const auto reply = socket.ReceivePending()) {
            book.Replied(*reply);
        }
        book.Expire(Clock::now());
    };

    for (int x = range.First(); x <= range.Last() && !Cancelled(cancel); ++x) {
        if (socket.Send(range.At(x), static_cast<std::uint16_t>(x))) {
            book.Sent(x - range.First(), Clock::now() + replyTimeout_);
        } else {
            book.Failed(x - range.First());
        }
        collect();
    }
    while (!Cancelled(cancel)) {
        const auto next = book.NextDeadline();
        if (!next) {
            break;
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now());
        socket.WaitReadable(std::max(wait, std::chrono::milliseconds(0)));
        collect();
    }
    result.cancelled = !book.AllSettled();
    result.answered = book.Answered();
    return result;
}

} // namespace orlo
