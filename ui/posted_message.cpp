#include "ui/posted_message.h"

#include <QCoreApplication>
#include <chrono>
#include <unordered_map>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace {

// Hands an event to Qt's queue (see NotePostedEventArrived).
void Post(QObject* target, QEvent* event) {
#if defined(__SANITIZE_THREAD__)
    __tsan_release(event);
#endif
    QCoreApplication::postEvent(target, event);
}

// Windows that keep a queue. Posting looks its target up under this lock, and
// a queue leaves the map under it, so no post can reach a queue being freed.
std::mutex g_queuesMutex;
std::unordered_map<QObject*, PostedMessageQueue*>& Queues() {
    static std::unordered_map<QObject*, PostedMessageQueue*> queues;
    return queues;
}

}  // namespace

void NotePostedEventArrived([[maybe_unused]] const QEvent* event) {
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(const_cast<QEvent*>(event));
#endif
}

const QEvent::Type PostedMessage::kType = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type PostedMessageQueue::kWakeType =
    static_cast<QEvent::Type>(QEvent::registerEventType());

PostedMessage::PostedMessage(int message, std::intptr_t wParam, std::intptr_t lParam)
    : QEvent(kType), message(message), wParam(wParam), lParam(lParam) {}

PostedMessage::PostedMessage(int message, std::unique_ptr<LogRecord> record)
    : QEvent(kType), message(message), wParam(0), lParam(0), record(std::move(record)) {}

PostedMessage::~PostedMessage() = default;

PostedMessageQueue::PostedMessageQueue(QObject* owner) : m_owner(owner) {
    std::lock_guard<std::mutex> lock(g_queuesMutex);
    Queues()[owner] = this;
}

PostedMessageQueue::~PostedMessageQueue() {
    std::lock_guard<std::mutex> lock(g_queuesMutex);
    Queues().erase(m_owner);
}

bool PostedMessageQueue::Push(std::unique_ptr<PostedMessage> message) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_messages.push_back(std::move(message));
    if (m_wakePending) return false;
    m_wakePending = true;
    return true;
}

void PostedMessageQueue::Drain(const std::function<void(PostedMessage&)>& dispatch) {
    const auto end = std::chrono::steady_clock::now() + kSlice;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_wakePending = false;
    }
    for (;;) {
        std::unique_ptr<PostedMessage> message;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_messages.empty()) return;
            if (std::chrono::steady_clock::now() >= end) {
                // The rest waits for the next turn of the event loop: a wake
                // event posted now is handled after what is already queued.
                if (!m_wakePending) {
                    m_wakePending = true;
                    Post(m_owner, new QEvent(kWakeType));
                }
                return;
            }
            message = std::move(m_messages.front());
            m_messages.pop_front();
        }
        // A handler may run a nested event loop; a wake-up meanwhile drains
        // from where this one stands, so the order holds.
        dispatch(*message);
    }
}

bool PostedMessageQueue::AnyPending() {
    std::lock_guard<std::mutex> lock(g_queuesMutex);
    for (const auto& [owner, queue] : Queues()) {
        std::lock_guard<std::mutex> queueLock(queue->m_mutex);
        if (!queue->m_messages.empty() || queue->m_wakePending) return true;
    }
    return false;
}

void PostQueued(QObject* target, std::unique_ptr<PostedMessage> message) {
    std::lock_guard<std::mutex> lock(g_queuesMutex);
    const auto found = Queues().find(target);
    if (found == Queues().end()) {
        Post(target, message.release());
        return;
    }
    if (found->second->Push(std::move(message))) {
        Post(target, new QEvent(PostedMessageQueue::kWakeType));
    }
}

void PostMessage(QObject* target, int message, std::intptr_t wParam, std::intptr_t lParam) {
    PostQueued(target, std::make_unique<PostedMessage>(message, wParam, lParam));
}

void PostLogRecord(QObject* target, std::unique_ptr<LogRecord> record) {
    PostQueued(target, std::make_unique<PostedMessage>(WM_LOG_MESSAGE, std::move(record)));
}
