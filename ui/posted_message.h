#pragma once

#include <QEvent>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "catalogue/log_record.h"  // LogRecord, WM_LOG_MESSAGE (0x4CB: record in PostedMessage::record)

class QObject;

// Message numbers that the wait dialog's worker posts.
enum PostedMessageId : int {
    WM_OPERATION_DONE = 0x4CC,  // the wait dialog's worker has finished
    WM_PROGRESS_STEP = 0x4CD,
    WM_PROGRESS_RANGE = 0x4D1,  // wParam low end, lParam high end (full width)
};

// One posted window message. The event owns its LogRecord: whoever deletes
// the event frees the record, Qt included when the target window is
// destroyed with the event still queued.
struct PostedMessage : public QEvent {
    static const QEvent::Type kType;

    PostedMessage(int message, std::intptr_t wParam, std::intptr_t lParam);
    PostedMessage(int message, std::unique_ptr<LogRecord> record);
    ~PostedMessage() override;

    int message;
    std::intptr_t wParam;
    std::intptr_t lParam;
    std::unique_ptr<LogRecord> record;
};

// Thread-safe. The target must stay alive until the call returns; the message
// is handled on the target's thread (TemplateDialog::AddMessageHandler).
// Messages to one target arrive in the order they were posted.
void PostMessage(QObject* target, int message, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
void PostLogRecord(QObject* target, std::unique_ptr<LogRecord> record);

// For ThreadSanitizer, which cannot see the lock inside Qt's event queue: the
// receiving window calls this first for every event it gets, so that the
// posting thread's writes to the event count as seen. No-op otherwise.
void NotePostedEventArrived(const QEvent* event);

// The posted messages of one window, in order. A window with a queue gets its
// messages handed out in slices of a few milliseconds, each slice followed by
// a return to the event loop, so that a burst from a worker (thousands of log
// records) never keeps the UI thread from painting or reacting to a click.
// PostMessage finds the queue by its window; without one, a message travels
// as a plain posted event. Whatever is still queued when the window goes is
// freed with the queue.
class PostedMessageQueue {
public:
    static const QEvent::Type kWakeType;
    static constexpr std::chrono::milliseconds kSlice{8};

    explicit PostedMessageQueue(QObject* owner);  // on the owner's thread
    ~PostedMessageQueue();
    PostedMessageQueue(const PostedMessageQueue&) = delete;
    PostedMessageQueue& operator=(const PostedMessageQueue&) = delete;

    // Called for each kWakeType event of the owner: hands messages to
    // dispatch in order until the queue is empty or the slice is used up.
    void Drain(const std::function<void(PostedMessage&)>& dispatch);

    // True while any window has messages waiting for their turn.
    static bool AnyPending();

private:
    friend void PostQueued(QObject* target, std::unique_ptr<PostedMessage> message);
    bool Push(std::unique_ptr<PostedMessage> message);  // true: a wake-up is needed

    QObject* m_owner;
    std::mutex m_mutex;
    std::deque<std::unique_ptr<PostedMessage>> m_messages;
    bool m_wakePending = false;
};
