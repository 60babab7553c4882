#pragma once

#include <optional>
#include <utility>
#include <vector>

namespace orlo {

// The undo and redo stacks of one editing session, holding whole states of what the editor edits.
// A change records the state it replaced; undoing returns that state and keeps the current one for
// redo; a new change after undoing drops what could have been redone. States compare with ==, and a
// "change" that leaves the state equal is not recorded.
template <typename State>
class EditHistory {
public:
    void Record(const State& before, const State& after) {
        if (before == after) {
            return;
        }
        undo_.push_back(before);
        redo_.clear();
    }

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }

    // The state before the last change; nothing when there is none.
    std::optional<State> Undo(State current) { return Step(undo_, redo_, std::move(current)); }
    // The state the last undo left; nothing when there is none.
    std::optional<State> Redo(State current) { return Step(redo_, undo_, std::move(current)); }

private:
    static std::optional<State> Step(std::vector<State>& from, std::vector<State>& to, State current) {
        if (from.empty()) {
            return std::nullopt;
        }
        State earlier = std::move(from.back());
        from.pop_back();
        to.push_back(std::move(current));
        return earlier;
    }

    std::vector<State> undo_;
    std::vector<State> redo_;
};

} // namespace orlo
