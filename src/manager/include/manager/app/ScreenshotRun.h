#pragma once
// CScreenshotRun: a headless run of the Manager that waits until the check list shows
// results from the Engine (or a time limit passes), saves a picture of the main window
// and ends the program.  The demo script and the documentation use it.
#include <QObject>
#include <QString>
#include <QTimer>

class CQMonApp;

class CScreenshotRun final : public QObject {
    Q_OBJECT
public:
    // `seconds` bounds the wait for results.
    CScreenshotRun(CQMonApp& app, QString path, int seconds);

    // Starts waiting; the application quits when the picture is saved (exit code 0) or
    // could not be saved (1).
    void Start();
    // Whether the list shows at least one check with a result from the Engine.
    static bool ResultsShown(CQMonApp& app);
    // Saves the main window as a PNG; false when it cannot.
    static bool Save(CQMonApp& app, const QString& path);

private:
    void Poll();

    CQMonApp& m_app;
    QString m_path;
    int m_seconds;
    int m_waited = 0;
    int m_settle = -1;
    QTimer m_timer;
};
