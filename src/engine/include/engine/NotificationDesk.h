#pragma once
// CNotificationDesk: the engine's side of notification test requests in Sys/Not.
//
// A Manager drops "<prefix><8 hex>.REQ" there and watches for the answer.  On each look
// at the directory the desk
//  - picks up every request it has not seen: creates "<base>.PRC" and queues the request
//    for a sender of its own pool (sending may take long, the scheduler must not wait);
//  - hands queued requests to free senders in order of arrival, passing over a request
//    whose server already has its share of the pool busy (half of it): a few servers that
//    never answer cannot keep the tests of other servers waiting;
//  - gives each request `SendTimeout` from its pick-up, time in the queue included; one
//    whose time ran out before a sender was free is answered without being sent;
//  - once the sender is done, writes "<base>.RSP" (section "Response", CreatorIsManager
//    copied from the request) and removes the ".PRC";
//  - leaves requests that already have a response alone;
//  - removes the files of a request whose response the Manager has marked as seen
//    (CreatorIsManager 0) once that mark is `ResponseKeep` old, a ".REQ" that cannot be
//    read after `StaleRequest`, and a response or ".PRC" whose request is gone after
//    `OrphanKeep` (the Manager withdrew the request while it was being sent).
// Every time is measured on the engine's monotonic clock from when the desk first saw
// the state, so a desk started later gives old files their full time again.
#include "engine/EngineClock.h"
#include "engine/EngineServices.h"
#include "engine/WorkerPool.h"
#include "library/QvcString.h"
#include "model/notify/SnNotificationRequest.h"
#include "model/notify/SnNotificationResponse.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

class CNotificationDesk {
public:
    struct Timing {
        std::chrono::milliseconds ResponseKeep{60000};
        std::chrono::milliseconds StaleRequest{60000};
        std::chrono::milliseconds OrphanKeep{600000};
        // The longest a request may take from its pick-up to its answer; what is left of
        // it is handed to the sender as its time-out.
        std::chrono::milliseconds SendTimeout{60000};
    };
    // Receives one activity text per finished or discarded request.
    using Activity = std::function<void(const CQvcString& text)>;

    CNotificationDesk(CQvcString directory, CQvcString engineRoot, NotificationSendFunction send,
                      const IEngineClock& clock, Timing timing, Activity activity, std::size_t workers = 8);
    ~CNotificationDesk();
    CNotificationDesk(const CNotificationDesk&) = delete;
    CNotificationDesk& operator=(const CNotificationDesk&) = delete;

    // Looks at the directory: answers finished requests, picks up new ones, cleans up.
    void Poll();
    // Writes the responses of the requests whose sending finished and hands queued
    // requests to free senders (also done by Poll).
    void Collect();
    // Requests picked up and not yet answered (queued or being sent).
    std::size_t InFlight() const { return m_inFlight.size(); }
    // Waits up to `waitMs` for the requests being sent, writes the answers of those that
    // finished and abandons the others (their ".PRC" stays until a later engine cleans
    // it up).  No request is picked up afterwards.
    void Stop(long waitMs);

private:
    struct Shared;
    struct Queued {
        std::shared_ptr<CSnNotificationRequest> request;
        std::string server; // where it goes: the fair share is counted per server
        std::int64_t pickedUp = 0;
    };
    void PickUp(const CQvcString& path, std::int64_t now);
    void Dispatch();
    // Writes the response of a finished request and tells the activity log.
    void Answer(CSnNotificationRequest& request, CSnNotificationResponse& response);
    void CleanUp(std::int64_t now, const std::set<CQvcString>& requests);
    bool Aged(std::map<CQvcString, std::int64_t>& firstSeen, const CQvcString& key, std::int64_t now,
              std::chrono::milliseconds age);

    CQvcString m_directory;
    CQvcString m_engineRoot;
    NotificationSendFunction m_send;
    const IEngineClock& m_clock;
    Timing m_timing;
    Activity m_activity;
    std::shared_ptr<Shared> m_shared;
    std::unique_ptr<CWorkerPool> m_pool;
    std::size_t m_workers;
    // Request paths picked up and not yet answered.
    std::set<CQvcString> m_inFlight;
    // Picked up, waiting for a sender, in order of arrival.
    std::deque<Queued> m_queue;
    // Requests being sent, by server.
    std::map<std::string, std::size_t> m_sending;
    std::size_t m_sendingTotal = 0;
    // When a state was first seen, by file path.
    std::map<CQvcString, std::int64_t> m_unreadableSince;
    std::map<CQvcString, std::int64_t> m_seenSince;
    std::map<CQvcString, std::int64_t> m_orphanSince;
    bool m_stopped = false;
};
