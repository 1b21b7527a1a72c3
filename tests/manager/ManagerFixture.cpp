#include "ManagerFixture.h"

#include "library/ErrorTexts.h"
#include "model/store/SnInstallation.h"
#include "model/tree/SnNode.h"
#include "platform/Profile.h"

#include <chrono>
#include <thread>

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>

void ManagerTest::SetUp() {
    m_hives = std::make_unique<testsupport::ScopedHives>();
    m_root = m_hives->Dir().File("engine");
    CQvcString message;
    ASSERT_EQ(CSnInstallation::Initialize(m_root.c_str(), message), 0) << message.c_str();
    options.scriptedUi = true;
    options.watchService = false;
    options.cycleTicks = [this] { return m_ticks; };
    options.cycleSeconds = [this] { return m_seconds; };
    // The clipboard belongs to the process: a copy made by an earlier test must not count.
    QGuiApplication::clipboard()->clear();
}

void ManagerTest::TearDown() {
    m_app.reset();
    if (m_engine) {
        m_engine->Stop();
        for (int i = 0; i < 300 && m_engine->QueryState() != platform::kServiceStopped; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        m_engine.reset();
    }
    if (m_seeder) {
        m_seeder->FreeTree(m_seedRoot);
        m_seeder.reset();
    }
    m_hives.reset();
}

bool ManagerTest::StartEngine() {
    m_engineProgram = std::make_unique<testsupport::ScopedEnv>(platform::EngineService::kBinaryVariable,
                                                               SENTRELLE_ENGINE_PROGRAM);
    m_engine = std::make_unique<platform::EngineService>(m_root);
    return m_engine->Start() == 0;
}

bool ManagerTest::TickUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        Tick();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
}

CSnCfg& ManagerTest::Seeder() {
    if (!m_seeder) {
        m_seeder = std::make_unique<CSnCfg>("Test");
        EXPECT_EQ(m_seeder->Open(true, true), 0);
        EXPECT_EQ(m_seeder->LoadAllNodes(m_seedRoot), 0);
    }
    return *m_seeder;
}

CSnNode* ManagerTest::SeedRoot() {
    Seeder();
    return m_seedRoot;
}

CSnNode* ManagerTest::SeedNode(long id) { return CSnCfg::FindNode(SeedRoot(), id); }

long ManagerTest::AddFolder(long parentId, const char* name) {
    CSnCfg& store = Seeder();
    CSnNode* folder = nullptr;
    EXPECT_EQ(store.NewFolderRecord(folder), 0);
    folder->Cfg.Name = name;
    folder->Cfg.Function.Type = kTypeFolder;
    EXPECT_EQ(store.WriteNode(folder, false, false), 0);
    CSnCfg::AppendChild(SeedNode(parentId), folder);
    return folder->Id();
}

long ManagerTest::AddCheck(long parentId, const char* name, int type, const char* host, int interval) {
    CSnCfg& store = Seeder();
    CSnNode* check = store.NewNodeObject();
    EXPECT_EQ(store.InsertNode(check, nullptr, 0), 0);
    check->Cfg.Name = name;
    check->Cfg.Function.Type = type;
    check->Cfg.Function.ParamServer = host;
    check->Cfg.ScanFrequency.Interval = interval;
    EXPECT_EQ(store.WriteNode(check, false, false), 0);
    CSnCfg::AppendChild(SeedNode(parentId), check);
    return check->Id();
}

void ManagerTest::SaveNode(long id) { EXPECT_EQ(Seeder().WriteNode(SeedNode(id), true, true), 0); }

void ManagerTest::SaveTree() { EXPECT_EQ(Seeder().WriteTree(SeedRoot()), 0); }

void ManagerTest::WriteResult(long id, int status, long lastUpdate, const char* response, int duration,
                              const char* data, const char* comment, int processing) {
    CSnIPC* link = Seeder().Link();
    ASSERT_NE(link, nullptr);
    CQvcString line;
    line.Format("%d||%ld||%d||%s||%d||%s||%s", status, lastUpdate, processing, comment, duration, data, response);
    ASSERT_TRUE(platform::ProfileWriteText(link->ResultFile().c_str(), "Results", CQvcString(id).c_str(),
                                           line.c_str()));
    link->SignalResultsChanged();
}

CQMonApp* ManagerTest::Start(bool showWindow) {
    options.scriptedUi = true;
    options.showWindow = showWindow;
    m_app = std::make_unique<CQMonApp>(options);
    for (const int answer : startAnswers)
        m_app->Ui().PushAnswer(answer);
    if (!m_app->InitInstance()) {
        // Keep the object: a test may look at what it showed before it gave up.
        return nullptr;
    }
    return m_app.get();
}

void ManagerTest::Advance(std::int64_t seconds, std::uint32_t extraMsecs) {
    m_seconds += seconds;
    m_ticks += static_cast<std::uint32_t>(seconds * 1000) + extraMsecs;
}

void ManagerTest::Tick() {
    Advance(20);
    m_app->Frame()->OnTimerTick();
    QCoreApplication::processEvents();
}

std::string ManagerTest::ErrorShown(long code) {
    const std::string text = ErrorText(code).Str();
    return text.back() == '.' ? text : text + ".";
}

std::vector<std::string> ManagerTest::Messages() const {
    std::vector<std::string> texts;
    for (const CUiSeam::Shown& shown : m_app->Ui().History())
        if (shown.kind == CUiSeam::Shown::Kind::Message)
            texts.push_back(shown.text);
    return texts;
}

int ManagerTest::RowOf(const char* name) {
    CCheckListModel& model = List().Model();
    for (int row = 0; row < model.rowCount(); ++row)
        if (const CSnNode* node = model.Node(row); node != nullptr && node->Cfg.Name == name)
            return row;
    return -1;
}

void ManagerTest::SelectRow(const char* name) {
    List().selectionModel()->select(List().Model().index(RowOf(name), 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

std::string ManagerTest::Cell(const char* name, int column) {
    const int row = RowOf(name);
    return row < 0 ? std::string("<no row>") : std::string(List().Model().Text(row, column));
}
