#include "manager/app/GuiPostSink.h"

#include <QCoreApplication>
#include <QEvent>

#include <memory>

namespace {

// The event that carries one posted message.
class CPostedMessageEvent final : public QEvent {
public:
    static QEvent::Type EventType() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    explicit CPostedMessageEvent(const QvcMessage& message) : QEvent(EventType()), Message(message) {}
    QvcMessage Message;
};

} // namespace

CGuiPostSink::CGuiPostSink(Handler handler, QObject* parent) : QObject(parent), m_handler(std::move(handler)) {}

CGuiPostSink::~CGuiPostSink() { Close(); }

bool CGuiPostSink::Post(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
    // Under the lock, so that Close cannot finish between the check and the post: once
    // Close returns, no event for this object is on its way.
    const std::lock_guard lock(m_mutex);
    if (m_closed)
        return false;
    // Qt owns a posted event and deletes it once delivered or dropped.
    auto event = std::make_unique<CPostedMessageEvent>(QvcMessage{message, wparam, lparam});
    QCoreApplication::postEvent(this, event.release());
    return true;
}

void CGuiPostSink::Close() {
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    QCoreApplication::removePostedEvents(this, CPostedMessageEvent::EventType());
}

bool CGuiPostSink::IsClosed() const {
    const std::lock_guard lock(m_mutex);
    return m_closed;
}

void CGuiPostSink::customEvent(QEvent* event) {
    if (event->type() != CPostedMessageEvent::EventType()) {
        QObject::customEvent(event);
        return;
    }
    if (IsClosed() || !m_handler)
        return;
    m_handler(static_cast<CPostedMessageEvent*>(event)->Message);
}
