#include "manager/checks/ReportCommands.h"

#include "library/ErrorTexts.h"
#include "library/Messages.h"
#include "library/QvcPath.h"
#include "manager/app/CommandRegistry.h"
#include "manager/app/QMonApp.h"
#include "manager/mainframe/MainFrame.h"
#include "model/console/CommandIds.h"
#include "model/history/HistoryReport.h"
#include "model/settings/SnReportSettings.h"
#include "model/store/SnCfg.h"
#include "platform/System.h"
#include "platform/Viewers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPrinter>
#include <QTextDocument>

#include <ctime>

namespace {

// Chooses what the report covers, the period, and whether a PDF is made too.
class CDialogReport final : public QDialog {
public:
    CDialogReport(CSnNode* root, long selectedFolder, QWidget* parent) : QDialog(parent) {
        setWindowTitle("Availability Report");
        auto* layout = new QFormLayout(this);
        m_folder = new QComboBox(this);
        m_folder->setObjectName("reportFolder");
        m_folder->addItem("(Whole configuration)", static_cast<int>(CSnCfg::kRootId));
        for (const CSnNode* folder : CSnCfg::CollectFolders(root, true)) {
            QString path;
            for (const long id : CSnCfg::FolderPath(root, folder->Id()))
                if (id != root->Id())
                    path += (path.isEmpty() ? "" : "/") + QString::fromStdString(CSnCfg::FindNode(root, id)->Cfg.Name.Str());
            m_folder->addItem(path, folder->Id());
        }
        m_folder->setCurrentIndex(std::max(0, m_folder->findData(static_cast<int>(selectedFolder))));
        layout->addRow("Checks of:", m_folder);
        m_period = new QComboBox(this);
        m_period->setObjectName("reportPeriod");
        for (const HistoryPeriod period : kHistoryPeriods)
            m_period->addItem(HistoryPeriodName(period), static_cast<int>(period));
        m_period->setCurrentIndex(2);
        layout->addRow("Period:", m_period);
        m_pdf = new QCheckBox("Also save as PDF and open the PDF", this);
        m_pdf->setObjectName("reportPdf");
        layout->addRow(m_pdf);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addRow(buttons);
    }
    long Folder() const { return m_folder->currentData().toInt(); }
    QString FolderText() const { return m_folder->currentText(); }
    HistoryPeriod Period() const { return static_cast<HistoryPeriod>(m_period->currentData().toInt()); }
    bool Pdf() const { return m_pdf->isChecked(); }

private:
    QComboBox* m_folder = nullptr;
    QComboBox* m_period = nullptr;
    QCheckBox* m_pdf = nullptr;
};

void Fail(CQMonApp& app, const QString& text) { app.Ui().Message(CQvcString(text.toStdString()), CUiSeam::Icon::Error); }

void ShowReport(CQMonApp& app) {
    CMainFrame* frame = app.Frame();
    CSnCfg* store = app.Store();
    if (frame == nullptr || store == nullptr || app.Root() == nullptr)
        return;
    const CSuspendedCycle suspended(*frame);
    CDialogReport dialog(app.Root(), frame->Tree()->SelectedFolderId(), frame);
    if (app.Ui().ExecDialog(dialog) != CUiSeam::kAccepted)
        return;
    CSnNode* folder = CSnCfg::FindNode(app.Root(), dialog.Folder());
    if (folder == nullptr || !folder->IsFolder()) {
        app.Ui().Message(MessageText(51731), CUiSeam::Icon::Error);
        return;
    }
    CSnReportSettings settings;
    if (const long code = settings.Read(*store)) {
        app.ShowErrorCode(code);
        return;
    }
    const CQvcString root = store->RootDirectory();
    CHistoryStore history;
    if (history.Open(StatisticsDatabasePath(settings.DbConnection, root), false) != 0) {
        Fail(app, QString("The statistics database cannot be read: %1").arg(QString::fromStdString(history.ErrorText().Str())));
        return;
    }
    const std::int64_t to = platform::SecondsSince1970();
    const std::int64_t from = HistoryPeriodStart(dialog.Period(), to);
    std::vector<CReportRow> rows = ReportChecks(app.Root(), folder);
    if (BuildReport(history, rows, from, to) != 0) {
        Fail(app, QString::fromStdString(history.ErrorText().Str()));
        return;
    }
    const QString title = QString("Availability of %1, %2").arg(dialog.FolderText(), HistoryPeriodName(dialog.Period()));
    const std::string html = ReportHtml(CQvcString(title.toStdString()), from, to, rows);

    CQvcString directory = EngineRootPath(settings.OutputDirectory, root);
    directory.TrimRightChar(platform::kPathSeparator);
    platform::CreateDirectories(directory.Str(), 0755);
    char stamp[32];
    const std::time_t now = static_cast<std::time_t>(to);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = PathJoin(directory, std::string("Availability-") + stamp).Str();
    std::string shown = base + ".html";
    if (platform::WriteFileAtomically(shown, html, true) != 0) {
        Fail(app, QString("Cannot write the report '%1'.").arg(QString::fromStdString(shown)));
        return;
    }
    if (dialog.Pdf()) {
        QTextDocument document;
        document.setHtml(QString::fromStdString(html));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageOrientation(QPageLayout::Landscape);
        shown = base + ".pdf";
        printer.setOutputFileName(QString::fromStdString(shown));
        document.print(&printer);
        if (!platform::FileExists(shown)) {
            Fail(app, QString("Cannot write the report '%1'.").arg(QString::fromStdString(shown)));
            return;
        }
    }
    platform::IProcessLauncher* launcher = app.GetOptions().launcher;
    if (platform::OpenWithAssociatedProgram(shown, launcher != nullptr ? *launcher : platform::SystemProcessLauncher()) != 0)
        Fail(app, QString("The report was saved as '%1', but no program could open it.").arg(QString::fromStdString(shown)));
}

} // namespace

void RegisterReportCommand(CQMonApp& app, CCommandRegistry& registry) {
    registry.Add(cmd::kReports, [&app](int) { ShowReport(app); });
}
