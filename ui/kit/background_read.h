#pragma once

#include <QObject>
#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <thread>
#include <utility>

#include "platform/read_progress.h"

// One long read (a games file's index, an Inbox) run on a thread of its own, so that
// the screen stays responsive while it runs. The read is given a ReadProgress that
// counts the items read and tells it to stop once Stop was called; its result comes
// back to the thread that made this object, the screen's, which is told through a
// queued call. The read must share no mutable state with the screen: give it copies
// of what it needs, and let it build its result from nothing.
template <typename Result>
class BackgroundRead {
public:
    using Work = std::function<Result(const ReadProgress& progress)>;

    // Starts `work` at once.
    explicit BackgroundRead(Work work)
        : thread_([this, work = std::move(work)] {
              result_.emplace(work([this](std::size_t itemsRead) {
                  itemsRead_.store(itemsRead, std::memory_order_relaxed);
                  return !stopRequested_.load(std::memory_order_relaxed);
              }));
              finished_.store(true, std::memory_order_release);
              // Runs on the screen's thread; dropped if this object is gone by then.
              QMetaObject::invokeMethod(
                  &notifier_,
                  [this] {
                      finishSeen_ = true;
                      CallOnFinished();
                  },
                  Qt::QueuedConnection);
          }) {}

    // Asks the read to stop and waits for its thread.
    ~BackgroundRead() {
        Stop();
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    BackgroundRead(const BackgroundRead&) = delete;
    BackgroundRead& operator=(const BackgroundRead&) = delete;

    // Calls `onFinished` once, on the screen's thread, from its event loop, when the
    // result is ready (or at the next turn of the loop when it already is).
    void OnFinished(std::function<void()> onFinished) {
        onFinished_ = std::move(onFinished);
        if (finishSeen_) {
            QMetaObject::invokeMethod(
                &notifier_, [this] { CallOnFinished(); }, Qt::QueuedConnection);
        }
    }

    // Asks the read to stop at its next item; its result then holds what it read.
    void Stop() { stopRequested_.store(true, std::memory_order_relaxed); }
    [[nodiscard]] bool StopRequested() const {
        return stopRequested_.load(std::memory_order_relaxed);
    }

    [[nodiscard]] bool IsFinished() const { return finished_.load(std::memory_order_acquire); }

    // How many items the read has read so far.
    [[nodiscard]] std::size_t itemsRead() const {
        return itemsRead_.load(std::memory_order_relaxed);
    }

    // Waits for the read to end and hands over its result; call it once.
    Result Take() {
        if (thread_.joinable()) {
            thread_.join();
        }
        return std::move(*result_);
    }

private:
    void CallOnFinished() {
        if (onFinished_) {
            std::function<void()> call = std::move(onFinished_);
            onFinished_ = nullptr;
            call();
        }
    }

    std::atomic<std::size_t> itemsRead_{0};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> finished_{false};
    std::optional<Result> result_;      // written by the read, read after it has ended
    std::function<void()> onFinished_;  // used on the screen's thread only
    bool finishSeen_ = false;           // the same
    QObject notifier_;                  // on the screen's thread; the queued calls go through it
    std::thread thread_;
};
