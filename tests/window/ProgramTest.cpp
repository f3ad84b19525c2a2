// The built program in real processes on a real X server, driven from outside as a user would:
// every way out while a search runs ends it at once, with its helper processes.

#include "platform/WindowMessages.h"
#include "sandbox/Sandbox.h"
#include "support/ChildProcess.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <QProcess>
#include <QTest>

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <list>
#include <optional>
#include <set>
#include <sstream>
#include <string>

namespace {

constexpr int kGatewayPort = QORVANE_TEST_GATEWAY_PORT;

QString Xdotool(const QStringList& arguments) {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    if (!xdotool.waitForFinished(10000)) {
        return {};
    }
    return QString::fromUtf8(xdotool.readAllStandardOutput()).trimmed();
}

pid_t ParentOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const size_t end = text.rfind(')');
    if (end == std::string::npos) {
        return 0;
    }
    std::istringstream rest(text.substr(end + 2));
    char state = 0;
    pid_t parent = 0;
    rest >> state >> parent;
    return parent;
}

// Every process below pid (its WebEngine helpers and theirs), each watched from here on.
std::list<support::ProcessWatch> Descendants(pid_t pid) {
    std::set<pid_t> found{pid};
    bool grew = true;
    while (grew) {
        grew = false;
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) {
                continue;
            }
            const pid_t candidate = std::stoi(name);
            if (!found.contains(candidate) && found.contains(ParentOf(candidate))) {
                found.insert(candidate);
                grew = true;
            }
        }
    }
    found.erase(pid);
    std::list<support::ProcessWatch> watches;
    for (const pid_t descendant : found) {
        watches.emplace_back(descendant);
    }
    return watches;
}

bool AnyAlive(const std::list<support::ProcessWatch>& watches) {
    for (const support::ProcessWatch& watch : watches) {
        if (!watch.AwaitEnd(std::chrono::milliseconds(0))) {
            return true;
        }
    }
    return false;
}

}  // namespace

class ProgramTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void cleanupTestCase();
    void closeRequestEndsARunningSearchWithExitCodeZero();
    void closeButtonEndsARunningSearchWithExitCodeZero();
    void terminationSignalEndsTheProgramAndItsHelpers();
    void secondCopyRunsOnWithoutTheCloseRequest();

  private:
    // Starts the program in the work directory and waits for its window; its X window id.
    QString Start(QProcess& qorvane);
    // Clicks into the keyword box, types a keyword and presses Enter; waits until the search's
    // first request has reached the gateway, where it hangs.
    void StartSearch(const QString& windowId);

    std::optional<support::TempDir> runtimeDir_;
    std::optional<support::ScopedEnv> runtimeDirSetting_;
    std::optional<support::TempDir> workDir_;
    std::optional<sandbox::Sandbox> sandbox_;
};

void ProgramTest::initTestCase() {
    QVERIFY2(std::filesystem::exists(QORVANE_TWIN_PATH), QORVANE_TWIN_PATH);
    QVERIFY2(!Xdotool({QStringLiteral("version")}).isEmpty(), "xdotool is not installed");
    try {
        sandbox::Options options;
        options.port = kGatewayPort;
        sandbox_.emplace(options);
    } catch (const std::exception& e) {
        QFAIL(qPrintable(QStringLiteral("The sandbox cannot listen on port %1, which the test "
                                        "copy of Qorvane has built in (%2). Free the port or "
                                        "configure with -DQORVANE_TEST_GATEWAY_PORT=<free port>.")
                             .arg(kGatewayPort)
                             .arg(QString::fromUtf8(e.what()))));
    }
    sandbox::Switches hang;
    hang.hang = true;
    sandbox_->SetSwitches(sandbox::Service::Rest, hang);

    // The close channel lives in the user's runtime directory; a private one keeps the test
    // away from any other Qorvane of this user.
    runtimeDir_.emplace();
    runtimeDirSetting_.emplace("XDG_RUNTIME_DIR", runtimeDir_->path().c_str());
    workDir_.emplace();
    workDir_->Write("Config.ini", "[UpGrade]\nServer=" + sandbox_->host() + "\n");
}

void ProgramTest::cleanupTestCase() {
    sandbox_.reset();
    workDir_.reset();
    runtimeDirSetting_.reset();
    runtimeDir_.reset();
}

QString ProgramTest::Start(QProcess& qorvane) {
    qorvane.setWorkingDirectory(QString::fromStdString(workDir_->path().string()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    qorvane.setProcessEnvironment(environment);
    qorvane.start(QStringLiteral(QORVANE_TWIN_PATH), QStringList());
    if (!qorvane.waitForStarted(10000)) {
        QTest::qFail("Qorvane did not start", __FILE__, __LINE__);
        return {};
    }
    QString windowId;
    const auto findWindow = [&] {
        // Found by its process, its class and its title, as the desktop sees them.
        windowId = Xdotool({"search", "--all", "--onlyvisible", "--pid",
                            QString::number(qorvane.processId()), "--class", "^TLumiskSearch$"})
                       .section('\n', 0, 0);
        return !windowId.isEmpty() &&
               Xdotool({"getwindowname", windowId}) == QStringLiteral("Qorvane");
    };
    [&] { QTRY_VERIFY_WITH_TIMEOUT(findWindow(), 60000); }();
    if (windowId.isEmpty()) {
        qWarning("Qorvane said: %s", qorvane.readAllStandardError().constData());
    }
    return windowId;
}

void ProgramTest::StartSearch(const QString& windowId) {
    const uint64_t before = sandbox_->requestCount(sandbox::Service::Rest);
    // The keyword box lies at (224, 232) in the window, 257 by 26.
    Xdotool({"mousemove", "--window", windowId, "330", "245", "click", "1"});
    Xdotool({"type", "--delay", "20", "mini"});
    Xdotool({"key", "Return"});
    QTRY_VERIFY_WITH_TIMEOUT(sandbox_->requestCount(sandbox::Service::Rest) > before, 30000);
}

void ProgramTest::closeRequestEndsARunningSearchWithExitCodeZero() {
    QProcess qorvane;
    const QString windowId = Start(qorvane);
    QVERIFY(!windowId.isEmpty());
    StartSearch(windowId);
    QCOMPARE(qorvane.state(), QProcess::Running);
    const std::list<support::ProcessWatch> helpers =
        Descendants(static_cast<pid_t>(qorvane.processId()));
    QVERIFY(!helpers.empty());

    // Another message is handled and changes nothing.
    QVERIFY(platform::SendWindowMessage(platform::kMainWindowClass, platform::kMainWindowTitle,
                                        {platform::WM_CLOSEREQUEST + 1, 0, 0}));
    QCOMPARE(qorvane.state(), QProcess::Running);

    // Handled means gone: the sender is released when the receiver has ended.
    QVERIFY(platform::SendWindowMessage(platform::kMainWindowClass, platform::kMainWindowTitle,
                                        {platform::WM_CLOSEREQUEST, 0, 0}));
    QVERIFY(qorvane.waitForFinished(15000));
    QCOMPARE(qorvane.exitStatus(), QProcess::NormalExit);
    QCOMPARE(qorvane.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!AnyAlive(helpers), 15000);
}

void ProgramTest::closeButtonEndsARunningSearchWithExitCodeZero() {
    QProcess qorvane;
    const QString windowId = Start(qorvane);
    QVERIFY(!windowId.isEmpty());
    StartSearch(windowId);
    const std::list<support::ProcessWatch> helpers =
        Descendants(static_cast<pid_t>(qorvane.processId()));

    // The close button lies at (726, 12) in the window, 53 by 22.
    Xdotool({"mousemove", "--window", windowId, "750", "22", "click", "1"});
    QVERIFY(qorvane.waitForFinished(15000));
    QCOMPARE(qorvane.exitStatus(), QProcess::NormalExit);
    QCOMPARE(qorvane.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!AnyAlive(helpers), 15000);
}

void ProgramTest::terminationSignalEndsTheProgramAndItsHelpers() {
    QProcess qorvane;
    const QString windowId = Start(qorvane);
    QVERIFY(!windowId.isEmpty());
    StartSearch(windowId);
    const std::list<support::ProcessWatch> helpers =
        Descendants(static_cast<pid_t>(qorvane.processId()));

    // SIGTERM keeps its default action: the kernel ends the process, no code of it runs.
    qorvane.terminate();
    QVERIFY(qorvane.waitForFinished(15000));
    QCOMPARE(qorvane.exitStatus(), QProcess::CrashExit);
    QCOMPARE(qorvane.exitCode(), SIGTERM);
    QTRY_VERIFY_WITH_TIMEOUT(!AnyAlive(helpers), 15000);
}

void ProgramTest::secondCopyRunsOnWithoutTheCloseRequest() {
    QProcess first;
    QVERIFY(!Start(first).isEmpty());
    QProcess second;
    const QString secondWindow = Start(second);
    QVERIFY(!secondWindow.isEmpty());
    QByteArray said;
    QTRY_VERIFY2_WITH_TIMEOUT(
        (said += second.readAllStandardError()).contains("running without the close request"),
        said.constData(), 30000);

    // The request reaches the copy that listens; the other one runs on and can still search.
    QVERIFY(platform::SendWindowMessage(platform::kMainWindowClass, platform::kMainWindowTitle,
                                        {platform::WM_CLOSEREQUEST, 0, 0}));
    QVERIFY(first.waitForFinished(15000));
    QCOMPARE(first.exitCode(), 0);
    StartSearch(secondWindow);
    QCOMPARE(second.state(), QProcess::Running);
    second.terminate();
    QVERIFY(second.waitForFinished(15000));
}

QTEST_GUILESS_MAIN(ProgramTest)
#include "ProgramTest.moc"
