#pragma once
// CSnChangeDetector: tells a reader of a change counter whether the writer has acted
// since the reader last looked.  A counter's value means nothing by itself, so the
// reader keeps the value it saw last, starting with none: a different value, or the
// first reading, counts as a change.  The reader records the value after acting on it,
// so that a failed action is retried on the next look.
class CSnChangeDetector {
public:
    bool HasChanged(long value) const { return !m_seen || value != m_last; }
    void Record(long value) {
        m_last = value;
        m_seen = true;
    }
    // HasChanged, and Record at once (for readers whose action cannot fail).
    bool Take(long value) {
        const bool changed = HasChanged(value);
        Record(value);
        return changed;
    }
    // Back to "nothing seen": the next reading counts as a change whatever its value.
    void Forget() { m_seen = false; }

private:
    long m_last = 0;
    bool m_seen = false;
};
