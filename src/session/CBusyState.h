// The busy state of a card session: on while any operation runs, operations
// nest (a conversion under a load, a refill under a format), and only the
// first entry and the last exit are announced. CBusyGuard holds it for a
// scope.
#pragma once
#include <functional>

class CBusyState {
public:
    // `changed` is told when the state turns on (true) and off (false).
    explicit CBusyState(std::function<void(bool)> changed = {}) : changed_(std::move(changed)) {}
    CBusyState(const CBusyState&) = delete;
    CBusyState& operator=(const CBusyState&) = delete;

    bool On() const { return depth_ > 0; }
    void Enter();
    void Leave();

private:
    std::function<void(bool)> changed_;
    int depth_ = 0;
};

class CBusyGuard {
public:
    explicit CBusyGuard(CBusyState& state) : state_(state) { state_.Enter(); }
    ~CBusyGuard() { state_.Leave(); }
    CBusyGuard(const CBusyGuard&) = delete;
    CBusyGuard& operator=(const CBusyGuard&) = delete;

private:
    CBusyState& state_;
};
