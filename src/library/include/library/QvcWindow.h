#pragma once
// Window messages between threads.  A worker never touches its owner's data: it reports by
// posting a message (number, wparam, lparam) to a sink that the owner provides.  The
// Manager implements the sink with a queued call onto its GUI thread; tests and the
// command-line tool use CQvcMessageQueue.
#include <cstdint>

// One posted message.
struct QvcMessage {
    unsigned message = 0;
    std::uintptr_t wparam = 0;
    std::intptr_t lparam = 0;
};

class IQvcWindow {
public:
    virtual ~IQvcWindow() = default;
    // Queues the message for the receiver's thread and returns at once.  False when the
    // receiver no longer takes messages (its queue is closed); the message is then lost.
    virtual bool Post(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) = 0;
};

// The message that carries a command to a window, with the command's number in wparam
// and 0 in lparam, exactly as a menu choice would deliver it (workers that report through
// commands, such as the service watcher, post this).
inline constexpr unsigned kQvcCommandMessage = 0x0111;

// The first number handed out by QvcRegisterWindowMessage; numbers below it are the
// fixed message numbers of the product.
inline constexpr unsigned kQvcFirstRegisteredMessage = 0xC000;

// A process-wide message number for `name`: the same name (letter case ignored) always
// gives the same number, different names give different numbers, all in 0xC000..0xFFFF.
// 0 when the range is used up or the name is empty.
unsigned QvcRegisterWindowMessage(const char* name);
