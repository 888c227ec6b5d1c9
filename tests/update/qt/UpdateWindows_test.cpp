#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/qt/WaitFor.h"

#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeMemoryInfo.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeShell.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"
#include "support/FakePlatform.h"
#include "support/linux/LocalHttpServer.h"
#include "update/qt/FrmUpdate.h"

namespace kelvora {
namespace {

using test::LocalHttpServer;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

using test::waitFor;

class UpdateWindowsTest : public ::testing::Test, protected test::FakePlatform {
protected:
    UpdateWindowsTest() : test::FakePlatform("") {
        for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
            unsetenv(name);
        strings.set(144, "A newer version is available. Open the update page?");
        strings.set(145, "Checking for updates...");
        strings.set(146, "There is no newer version.");
        strings.set(147, "&Cancel");
        saveCurLang(registry, "Polish");
        dialogs.askYesNo = [this](QWidget* parent, const QString& text) {
            questions << text;
            questionParents << parent;
            return answerYes;
        };
        dialogs.inform = [this](QWidget*, const QString& text) { messages << text; };
    }

    // Serves `published` (or answers with `reply` when given) at the update-information path.
    void serve(std::optional<std::string> reply) {
        server = std::make_unique<LocalHttpServer>([reply](const std::string& path) -> std::optional<std::string> {
            if (path != "/updates/kvora-2008.txt")
                return LocalHttpServer::answer("HTTP/1.1 404 Not Found", "");
            return reply;
        });
        services.vendorUrl = "http://127.0.0.1:" + std::to_string(server->port());
    }

    QPointer<frmUpdate> openOnDemand() {
        auto* window = new frmUpdate(services, &owner);
        window->setDialogs(dialogs);
        window->show();
        return window;
    }

    std::string updatePage() const { return services.vendorUrl + "/pl/produkty/kelvora-2008/update.html"; }

    std::unique_ptr<LocalHttpServer> server;
    UpdateDialogs dialogs;
    bool answerYes = true;
    QStringList questions;
    QList<QWidget*> questionParents;
    QStringList messages;
    QWidget owner;
};

TEST_F(UpdateWindowsTest, TheCheckOnDemandAsksOrReportsPerOutcomeAndCloses) {
    const struct {
        const char* name;
        std::optional<std::string> reply;
        int questions;
        int messages;
    } cases[] = {
        {"newer", LocalHttpServer::answer("HTTP/1.1 200 OK", "2.41"), 1, 0},
        {"same with a line end", LocalHttpServer::answer("HTTP/1.1 200 OK", "2.40\r\n"), 1, 0},
        {"numerically newer", LocalHttpServer::answer("HTTP/1.1 200 OK", "10.0"), 0, 1},
        {"empty", LocalHttpServer::answer("HTTP/1.1 200 OK", ""), 0, 1},
        {"not found", LocalHttpServer::answer("HTTP/1.1 404 Not Found", "2.41"), 0, 1},
    };
    for (const auto& c : cases) {
        questions.clear();
        messages.clear();
        shell.opened.clear();
        serve(c.reply);
        QPointer<frmUpdate> window = openOnDemand();
        ASSERT_TRUE(waitFor([&] { return window.isNull(); })) << c.name;
        EXPECT_EQ(questions.size(), c.questions) << c.name;
        EXPECT_EQ(messages.size(), c.messages) << c.name;
        if (c.questions)
            EXPECT_EQ(questions.value(0), QStringLiteral("A newer version is available. Open the update page?"));
        else
            EXPECT_EQ(messages.value(0), QStringLiteral("There is no newer version."));
        EXPECT_EQ(shell.opened, c.questions ? std::vector<std::string>{updatePage()} : std::vector<std::string>{})
            << c.name;
    }
}

TEST_F(UpdateWindowsTest, CancelDuringAHangingDownloadClosesAtOnceWithoutAMessage) {
    serve(std::nullopt);
    QPointer<frmUpdate> window = openOnDemand();
    ASSERT_EQ(window->findChild<QLabel*>("lblInfo")->text(), QStringLiteral("Checking for updates..."));
    ASSERT_EQ(window->findChild<QPushButton*>("cmdCanc")->text(), QStringLiteral("&Cancel"));
    ASSERT_EQ(window->windowTitle(), QStringLiteral("Kelvora 2008"));
    ASSERT_EQ(window->size(), QSize(361, 90));

    // The check waits inside the window's own event loop, so the test acts from a timer running in that loop.
    int progressBefore = -1;
    int progressAfter = -1;
    double cpuWhileHanging = -1;
    double cpuBefore = 0;
    bool shownAgain = false;
    QElapsedTimer sinceRequest;
    QElapsedTimer sinceCancel;
    QTimer script;
    script.setInterval(10);
    QObject::connect(&script, &QTimer::timeout, [&] {
        if (!window || server->connections() == 0)
            return;
        if (progressBefore < 0) {
            progressBefore = window->findChild<QProgressBar*>("PB1")->value();
            cpuBefore = cpuSeconds();
            sinceRequest.start();
        } else if (sinceRequest.elapsed() >= 1500 && !sinceCancel.isValid()) {
            cpuWhileHanging = cpuSeconds() - cpuBefore;
            progressAfter = window->findChild<QProgressBar*>("PB1")->value();
            sinceCancel.start();
            QTest::mouseClick(window->findChild<QPushButton*>("cmdCanc"), Qt::LeftButton);
            // Opening it again before it is gone must not bring the closed window back.
            if (window) {
                window->show();
                shownAgain = window->isVisible();
            }
        }
    });
    script.start();
    ASSERT_TRUE(waitFor([&] { return window.isNull(); }));
    ASSERT_TRUE(sinceCancel.isValid());
    EXPECT_LT(sinceCancel.elapsed(), 1000);
    EXPECT_FALSE(shownAgain);
    // While the request hung the window kept working and the process slept.
    EXPECT_LT(cpuWhileHanging, 0.5);
    EXPECT_GT(progressAfter, progressBefore);
    QTest::qWait(100);
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(UpdateWindowsTest, TheProgressBarFillsInTenStepsAndStays) {
    serve(std::nullopt);
    auto* window = new frmUpdate(services, &owner);
    window->setDialogs(dialogs);
    auto* bar = window->findChild<QProgressBar*>("PB1");
    EXPECT_EQ(bar->value(), 0);
    for (int step = 1; step <= 12; ++step) {
        window->Timer2_Timer();
        EXPECT_EQ(bar->value(), std::min(step * 10, 100)) << step;
    }
    window->cmdCanc_Click();
}

TEST_F(UpdateWindowsTest, TheSilentCheckAsksOnlyForANewerVersionAndIsNeverShown) {
    const struct {
        std::optional<std::string> reply;
        int questions;
    } cases[] = {
        {LocalHttpServer::answer("HTTP/1.1 200 OK", "2.41"), 1},
        {LocalHttpServer::answer("HTTP/1.1 200 OK", "2.40"), 0},
        {LocalHttpServer::answer("HTTP/1.1 404 Not Found", ""), 0},
    };
    for (const auto& c : cases) {
        questions.clear();
        shell.opened.clear();
        serve(c.reply);
        QPointer<frmAutoUpd> silent = new frmAutoUpd(services);
        silent->setDialogs(dialogs);
        bool everShown = false;
        ASSERT_TRUE(waitFor([&] {
            everShown = everShown || (silent && silent->isVisible());
            return silent.isNull();
        }));
        EXPECT_FALSE(everShown);
        EXPECT_EQ(questions.size(), c.questions);
        EXPECT_TRUE(messages.isEmpty());
        EXPECT_EQ(shell.opened.size(), static_cast<std::size_t>(c.questions));
    }
    EXPECT_EQ(questionParents.value(0), nullptr);
}

// The name lookup hangs (a preloaded getaddrinfo stalls the fetch helper on names under .stall.invalid): however
// the window goes, it is gone at once, with the check unwound and nothing said.
TEST_F(UpdateWindowsTest, EveryWayOfClosingEndsAStalledLookupAtOnce) {
    const QByteArray marker = QDir::temp().filePath(QStringLiteral("kelvora-stall-%1").arg(getpid())).toUtf8();
    qputenv("KELVORA_STALL_MARKER", marker);
    qputenv("LD_PRELOAD", KELVORA_BINARY_DIR "/libkelvora_stalling_resolver.so");
    const QByteArray sanitizerOptions = qgetenv("ASAN_OPTIONS");
    qputenv("ASAN_OPTIONS", sanitizerOptions + ":verify_asan_link_order=0");
    services.vendorUrl = "http://vendor.stall.invalid";
    const struct {
        const char* name;
        bool silent;
        std::function<void(QWidget*)> close;
    } cases[] = {
        {"Cancel", false,
         [](QWidget* w) { QTest::mouseClick(w->findChild<QPushButton*>("cmdCanc"), Qt::LeftButton); }},
        {"Escape", false, [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }},
        {"closed with the main window", false, [](QWidget* w) { w->close(); }},
        {"silent check closed", true, [](QWidget* w) { w->close(); }},
    };
    for (const auto& c : cases) {
        QFile::remove(QString::fromUtf8(marker));
        QPointer<QWidget> window = c.silent ? static_cast<QWidget*>(new frmAutoUpd(services)) : openOnDemand().data();
        qint64 goneAfter = -1;
        QElapsedTimer sinceClose;
        QObject::connect(window, &QObject::destroyed, [&] { goneAfter = sinceClose.elapsed(); });
        // The check waits inside the window's own event loop, so the test acts from a timer running in that loop.
        QTimer script;
        script.setInterval(10);
        QObject::connect(&script, &QTimer::timeout, [&] {
            if (window && !sinceClose.isValid() && QFile::exists(QString::fromUtf8(marker))) {
                sinceClose.start();
                c.close(window);
            }
        });
        script.start();
        ASSERT_TRUE(waitFor([&] { return window.isNull(); })) << c.name;
        EXPECT_GE(goneAfter, 0) << c.name;
        EXPECT_LT(goneAfter, 200) << c.name;
    }
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_TRUE(messages.isEmpty());
    QFile::remove(QString::fromUtf8(marker));
    qunsetenv("LD_PRELOAD");
    qputenv("ASAN_OPTIONS", sanitizerOptions);
}

} // namespace
} // namespace kelvora
