#include "base/ProgressMonitor.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <mutex>

#include "base/OutOfMemory.h"

struct ProgressMonitor::Body {
    mutable std::mutex lock;
    double total = 0.0;
    double progress = 0.0;
    std::string message;
    int state = Running;
};

ProgressMonitor::ProgressMonitor(double total, double progress) : body(std::make_shared<Body>()) {
    body->total = total;
    body->progress = progress;
}

void ProgressMonitor::SetTotal(double total) {
    std::lock_guard<std::mutex> guard(body->lock);
    body->total = total;
}

void ProgressMonitor::SetProgress(double progress) {
    std::lock_guard<std::mutex> guard(body->lock);
    body->progress = progress;
}

void ProgressMonitor::AddTotal(double amount) {
    std::lock_guard<std::mutex> guard(body->lock);
    body->total += amount;
}

void ProgressMonitor::AddProgress(double amount) {
    std::lock_guard<std::mutex> guard(body->lock);
    body->progress += amount;
}

double ProgressMonitor::GetTotal() const {
    std::lock_guard<std::mutex> guard(body->lock);
    return body->total;
}

double ProgressMonitor::GetProgress() const {
    std::lock_guard<std::mutex> guard(body->lock);
    return body->progress;
}

int ProgressMonitor::GetPercent() const {
    std::lock_guard<std::mutex> guard(body->lock);
    if (body->total == 0.0) {
        return 0;
    }
    // Truncated toward zero as it is, unclamped, but a quotient that no int
    // can hold (a tiny total, infinity, NaN) must not reach the conversion.
    const double percent = body->progress / body->total * 100.0;
    if (std::isnan(percent)) {
        return 0;
    }
    if (percent >= double(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (percent <= double(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(percent);
}

void ProgressMonitor::SetState(int state) {
    if (state != Running && state != Finished) {
        return;
    }
    std::lock_guard<std::mutex> guard(body->lock);
    body->state = state;
}

int ProgressMonitor::GetState() const {
    if (!body) {
        return NoBody;
    }
    std::lock_guard<std::mutex> guard(body->lock);
    return body->state;
}

void ProgressMonitor::SetMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (needed > 0) {
        try {
            text.resize(static_cast<size_t>(needed));
        } catch (const std::bad_alloc&) {
            OutOfMemory();
        }
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    }
    va_end(args);
    std::lock_guard<std::mutex> guard(body->lock);
    body->message = std::move(text);
}

std::string ProgressMonitor::GetMessage() const {
    std::lock_guard<std::mutex> guard(body->lock);
    return body->message;
}
