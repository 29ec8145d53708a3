#pragma once

#include <QObject>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace calmora {

// Runs work on the shared folder on a thread of its own. A folder on a network
// mount can stop answering for minutes, and the window must not stop with it:
// the caller waits a bounded time, and a job that takes longer is left to
// finish by itself. Its thread is never joined (a thread stuck in the kernel
// cannot be), which is also why this is not a thread pool: a pool waits for
// its threads when it is destroyed, and the program could then never end.
class ShareJobs final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShareJobs)

public:
    explicit ShareJobs(QObject *parent = nullptr);
    // Answers of jobs still running are dropped.
    ~ShareJobs() override;

    // Runs job and waits up to waitMs for it. Returns its result, or nothing
    // when it took longer; a late result is dropped.
    template <typename R>
    std::optional<R> call(std::function<R()> job, int waitMs);

    // Runs job and waits up to waitMs for it. When it finished in time, done
    // has been called with its result and run returns true; otherwise done is
    // called later from the event loop of this object's thread.
    template <typename R>
    bool run(std::function<R()> job, std::function<void(R)> done, int waitMs);

    // Jobs whose answer is still to be handed over.
    int outstanding() const { return m_outstanding; }

private:
    // Shared with every job thread: tells them whether anyone still listens.
    struct Link
    {
        std::mutex mutex;
        ShareJobs *owner = nullptr;
    };

    template <typename R>
    struct Call
    {
        std::mutex mutex;
        std::condition_variable finished;
        std::optional<R> result;
        bool late = false; // the caller stopped waiting
        std::function<void(R)> done;
    };

    template <typename R>
    std::shared_ptr<Call<R>> start(std::function<R()> job);
    template <typename R>
    static void deliver(const std::shared_ptr<Call<R>> &call);

    std::shared_ptr<Link> m_link;
    int m_outstanding = 0;
};

template <typename R>
std::shared_ptr<ShareJobs::Call<R>> ShareJobs::start(std::function<R()> job)
{
    auto call = std::make_shared<Call<R>>();
    std::thread([call, link = m_link, job = std::move(job)] {
        R result = job();
        std::lock_guard lock(call->mutex);
        call->result = std::move(result);
        call->finished.notify_all();
        if (call->late && call->done) {
            std::lock_guard ownerLock(link->mutex);
            // An owner that is gone removes what was posted to it as it dies.
            if (link->owner)
                QMetaObject::invokeMethod(
                    link->owner, [call] { deliver(call); }, Qt::QueuedConnection);
        }
    }).detach();
    return call;
}

template <typename R>
void ShareJobs::deliver(const std::shared_ptr<Call<R>> &call)
{
    std::optional<R> result;
    std::function<void(R)> done;
    {
        std::lock_guard lock(call->mutex);
        result = std::move(call->result);
        done = std::move(call->done);
    }
    if (done && result)
        done(std::move(*result));
}

template <typename R>
std::optional<R> ShareJobs::call(std::function<R()> job, int waitMs)
{
    const auto call = start<R>(std::move(job));
    std::unique_lock lock(call->mutex);
    if (call->finished.wait_for(lock, std::chrono::milliseconds(waitMs),
                                [&] { return call->result.has_value(); }))
        return std::move(call->result);
    call->late = true;
    return std::nullopt;
}

template <typename R>
bool ShareJobs::run(std::function<R()> job, std::function<void(R)> done, int waitMs)
{
    ++m_outstanding;
    auto counted = [this, done = std::move(done)](R result) {
        --m_outstanding;
        done(std::move(result));
    };
    const auto call = start<R>(std::move(job));
    std::unique_lock lock(call->mutex);
    if (call->finished.wait_for(lock, std::chrono::milliseconds(waitMs),
                                [&] { return call->result.has_value(); })) {
        R result = std::move(*call->result);
        lock.unlock();
        counted(std::move(result));
        return true;
    }
    call->late = true;
    call->done = std::move(counted);
    return false;
}

} // namespace calmora
