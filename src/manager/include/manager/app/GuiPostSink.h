#pragma once
// CGuiPostSink: the IQvcWindow sink of the Manager's GUI thread.  A worker thread posts a
// message (number, wparam, lparam); the sink queues it as a Qt event for the thread the
// sink lives on, where the handler runs.  Once the sink is closed (or destroyed) posts are
// refused and messages still queued are dropped, so a worker that outlives its window
// cannot reach it.
#include "library/QvcWindow.h"

#include <QObject>

#include <functional>
#include <mutex>

class CGuiPostSink final : public QObject, public IQvcWindow {
    Q_OBJECT
public:
    using Handler = std::function<void(const QvcMessage&)>;

    explicit CGuiPostSink(Handler handler, QObject* parent = nullptr);
    ~CGuiPostSink() override;

    // Any thread.
    bool Post(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) override;
    // Refuses later posts and drops the queued ones (GUI thread).
    void Close();
    bool IsClosed() const;

protected:
    void customEvent(QEvent* event) override;

private:
    Handler m_handler;
    mutable std::mutex m_mutex;
    bool m_closed = false;
};
