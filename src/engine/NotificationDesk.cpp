#include "engine/NotificationDesk.h"

#include "library/QvcPath.h"
#include "model/link/LinkFileValues.h"
#include "model/tree/NodeStatus.h"
#include "model/notify/NotificationRequests.h"
#include "model/notify/SnNotificationRequest.h"
#include "platform/SafeFile.h"
#include "model/notify/SnSmtpNotificationRequest.h"
#include "model/notify/SnSnmpNotificationRequest.h"
#include "platform/System.h"

#include <atomic>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr std::string_view kRequest = ".REQ";
constexpr std::string_view kInProcess = ".PRC";
constexpr std::string_view kResponse = ".RSP";

// The file of the same request with another of the three extensions (all four
// characters long).
CQvcString WithExtension(const CQvcString& path, std::string_view extension) {
    return path.Left(path.Length() - kRequest.size()) + CQvcString(extension);
}

CQvcString FileNameOf(const CQvcString& path) {
    return CQvcString(std::filesystem::path(path.Str()).filename().string());
}

// The server a request goes to first, as the fair share counts it.
std::string ServerOf(const CSnNotificationRequest& request) {
    CQvcString server;
    if (const auto* mail = dynamic_cast<const CSnSmtpNotificationRequest*>(&request))
        server = mail->MailServer1 + ":" + CQvcString(std::to_string(mail->MailServerPort1));
    else if (const auto* trap = dynamic_cast<const CSnSnmpNotificationRequest*>(&request))
        server = trap->Agent;
    server.Trim();
    server.MakeLower();
    return std::to_string(request.Type()) + " " + server.Str();
}

} // namespace

struct CNotificationDesk::Shared {
    struct Done {
        std::shared_ptr<CSnNotificationRequest> request;
        CSnNotificationResponse response;
        std::string server; // empty when it was never handed to a sender
    };
    std::mutex mutex;
    std::vector<Done> done;
    std::atomic<bool> cancelled{false};
};

CNotificationDesk::CNotificationDesk(CQvcString directory, CQvcString engineRoot, NotificationSendFunction send,
                                     const IEngineClock& clock, Timing timing, Activity activity,
                                     std::size_t workers)
    : m_directory(std::move(directory)), m_engineRoot(std::move(engineRoot)), m_send(std::move(send)),
      m_clock(clock), m_timing(timing), m_activity(std::move(activity)), m_shared(std::make_shared<Shared>()),
      m_pool(std::make_unique<CWorkerPool>(std::max<std::size_t>(workers, 1), std::max<std::size_t>(workers, 1))),
      m_workers(std::max<std::size_t>(workers, 1)) {}

CNotificationDesk::~CNotificationDesk() {
    if (!m_stopped)
        Stop(0);
}

bool CNotificationDesk::Aged(std::map<CQvcString, std::int64_t>& firstSeen, const CQvcString& key, std::int64_t now,
                             std::chrono::milliseconds age) {
    const auto [it, fresh] = firstSeen.try_emplace(key, now);
    return now - it->second >= age.count();
}

void CNotificationDesk::Poll() {
    if (m_stopped)
        return;
    Collect();
    const std::int64_t now = m_clock.SteadyMs();
    std::set<CQvcString> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(m_directory.Str(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // Hidden names are the side files of the profile writers.
        if (name.empty() || name.front() == '.' || !it->is_regular_file(ec))
            continue;
        files.insert(PathJoin(m_directory, name));
    }
    for (const CQvcString& path : files) {
        if (!path.EndsWith(kRequest) || m_inFlight.count(path) != 0)
            continue;
        if (files.count(WithExtension(path, kResponse)) != 0)
            continue; // answered already
        PickUp(path, now);
    }
    CleanUp(now, files);
    // Forget what the files no longer show.
    for (auto* seen : {&m_unreadableSince, &m_seenSince, &m_orphanSince}) {
        for (auto it = seen->begin(); it != seen->end();)
            it = files.count(it->first) != 0 ? std::next(it) : seen->erase(it);
    }
}

void CNotificationDesk::PickUp(const CQvcString& path, std::int64_t now) {
    std::unique_ptr<CSnNotificationRequest> read = ReadNotificationRequest(path);
    if (read == nullptr) {
        // Perhaps still being written; a request that stays unreadable is dropped.
        if (Aged(m_unreadableSince, path, now, m_timing.StaleRequest)) {
            LinkDeleteProfileFile(path);
            m_unreadableSince.erase(path);
            if (m_activity)
                m_activity(CQvcString("Removed the unreadable notification request ") + FileNameOf(path));
        }
        return;
    }
    m_unreadableSince.erase(path);
    std::shared_ptr<CSnNotificationRequest> request(std::move(read));
    char started[64];
    std::snprintf(started, sizeof started, "[Processing]\r\nStarted=%lld\r\n",
                  static_cast<long long>(m_clock.WallSeconds()));
    // Never through a link planted at the file's name (the profile writer, which writes
    // the response, holds to the same rule).
    if (const int error = platform::ReplaceFileNoFollow(request->InProcessFile().Str(), started); error != 0 &&
        m_activity)
        m_activity(CQvcString("Cannot write ") + FileNameOf(request->InProcessFile()) + ": " +
                   CQvcString(platform::FileSafetyError(error)));
    m_inFlight.insert(path);

    if (request->Enabled == 0 || !m_send) {
        CSnNotificationResponse refused;
        refused.ErrorCode = 1;
        refused.ErrorDescription =
            request->Enabled == 0 ? "The request is not enabled" : "This engine cannot send notifications";
        std::lock_guard lock(m_shared->mutex);
        m_shared->done.push_back({request, std::move(refused), {}});
        return;
    }
    m_queue.push_back({request, ServerOf(*request), now});
    Dispatch();
}

void CNotificationDesk::Dispatch() {
    // Half of the pool at most for one server, so that others always find a sender.
    const std::size_t share = std::max<std::size_t>(m_workers / 2, 1);
    const std::int64_t now = m_clock.SteadyMs();
    for (auto it = m_queue.begin(); it != m_queue.end() && m_sendingTotal < m_workers;) {
        const std::int64_t left = m_timing.SendTimeout.count() - (now - it->pickedUp);
        if (left <= 0) {
            const std::shared_ptr<CSnNotificationRequest> request = it->request;
            CSnNotificationResponse late;
            late.ErrorCode = -1;
            late.ErrorDescription = "The notification was not sent: no sender was free within its time-out";
            it = m_queue.erase(it);
            Answer(*request, late);
            continue;
        }
        std::size_t& busy = m_sending[it->server];
        if (busy >= share) {
            ++it;
            continue;
        }
        ++busy;
        ++m_sendingTotal;
        RunContext context;
        context.EngineRoot = m_engineRoot;
        context.Timeout = std::chrono::milliseconds(left);
        context.Cancelled = &m_shared->cancelled;
        m_pool->Submit([send = m_send, request = it->request, server = it->server, context, shared = m_shared] {
            CSnNotificationResponse response;
            try {
                response = send(*request, context);
            } catch (const std::exception& e) {
                response.ErrorCode = -1;
                response.ErrorDescription = CQvcString("The notification could not be sent: ") + e.what();
            } catch (...) {
                response.ErrorCode = -1;
                response.ErrorDescription = "The notification could not be sent";
            }
            std::lock_guard lock(shared->mutex);
            shared->done.push_back({request, std::move(response), server});
        });
        it = m_queue.erase(it);
    }
}

void CNotificationDesk::Collect() {
    std::vector<Shared::Done> done;
    {
        std::lock_guard lock(m_shared->mutex);
        done.swap(m_shared->done);
    }
    for (Shared::Done& item : done) {
        if (!item.server.empty()) {
            auto busy = m_sending.find(item.server);
            if (busy != m_sending.end() && --busy->second == 0)
                m_sending.erase(busy);
            --m_sendingTotal;
        }
        Answer(*item.request, item.response);
    }
    if (!m_stopped)
        Dispatch();
}

void CNotificationDesk::Answer(CSnNotificationRequest& request, CSnNotificationResponse& response) {
    response.CreatorIsManager = request.CreatorIsManager;
    response.WriteResponse(request);
    platform::DeleteFile(request.InProcessFile().Str());
    m_inFlight.erase(request.RequestFile());
    if (!m_activity)
        return;
    CQvcString text;
    if (request.Type() == kRequestQuery)
        text.Format("Database query test %s: ", FileNameOf(request.RequestFile()).c_str());
    else
        text.Format("%s test notification %s: ", ActionName(request.Type()),
                    FileNameOf(request.RequestFile()).c_str());
    if (response.ErrorCode == 0) {
        text += request.Type() == kRequestQuery ? "answered" : "sent";
    } else {
        CQvcString failure;
        failure.Format("failed, error #%d: ", static_cast<int>(response.ErrorCode));
        text += failure + response.ErrorDescription;
    }
    m_activity(text);
}

void CNotificationDesk::CleanUp(std::int64_t now, const std::set<CQvcString>& files) {
    for (const CQvcString& path : files) {
        const bool response = path.EndsWith(kResponse);
        if (!response && !path.EndsWith(kInProcess))
            continue;
        const CQvcString requestPath = WithExtension(path, kRequest);
        if (m_inFlight.count(requestPath) != 0)
            continue;
        const bool requestThere = files.count(requestPath) != 0;
        std::unique_ptr<CSnNotificationRequest> request =
            CreateNotificationRequest(CSnNotificationRequest::TypeFromFileName(path));
        if (request == nullptr || !request->SetRequestFile(requestPath, false))
            continue; // not a file of ours
        if (!response) {
            // A ".PRC" with its request still there is picked up again; one without a
            // request or a response is what an engine that stopped while sending left.
            if (!requestThere && files.count(WithExtension(requestPath, kResponse)) == 0 &&
                Aged(m_orphanSince, path, now, m_timing.OrphanKeep))
                request->RemoveFiles();
            continue;
        }
        CSnNotificationResponse answer;
        answer.ReadResponse(*request);
        if (answer.CreatorIsManager == 0) {
            m_orphanSince.erase(path);
            if (Aged(m_seenSince, path, now, m_timing.ResponseKeep))
                request->RemoveFiles();
        } else if (!requestThere) {
            m_seenSince.erase(path);
            if (Aged(m_orphanSince, path, now, m_timing.OrphanKeep))
                request->RemoveFiles();
        } else {
            m_seenSince.erase(path);
            m_orphanSince.erase(path);
        }
    }
}

void CNotificationDesk::Stop(long waitMs) {
    m_stopped = true;
    m_shared->cancelled = true;
    m_pool->Stop();
    m_pool->WaitIdle(waitMs);
    m_pool->AbandonBusy();
    Collect();
    m_pool.reset();
}
