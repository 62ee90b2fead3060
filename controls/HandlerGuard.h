// Controls report changes through public std::function members (OnChange,
// OnClick, ...). A window that shows a value programmatically detaches the
// handler first, so that showing a value never writes it back; this guard
// detaches on construction and re-attaches on destruction, on every path.
#pragma once

#include <functional>
#include <utility>

template <typename Signature>
class THandlerGuard {
public:
    explicit THandlerGuard(std::function<Signature>& handler)
        : handler_(handler), saved_(std::exchange(handler, nullptr)) {}
    ~THandlerGuard() { handler_ = std::move(saved_); }
    THandlerGuard(const THandlerGuard&) = delete;
    THandlerGuard& operator=(const THandlerGuard&) = delete;

private:
    std::function<Signature>& handler_;
    std::function<Signature> saved_;
};
