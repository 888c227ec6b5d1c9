#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "support/linux/LocalHttpServer.h"
#include "update/qt/UpdateDownloader.h"

namespace kelvora {
namespace {

using namespace std::chrono_literals;
using test::LocalHttpServer;

TEST(ResponsiveWaitTest, TimersKeepFiringWhileTheDownloadWaitsOnAServerThatNeverAnswers) {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(name);
    LocalHttpServer server([](const std::string&) { return std::nullopt; });
    UpdateDownloader downloader(TransferOptions{2000ms});

    constexpr int kInterval = 10;
    std::vector<qint64> gaps;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(kInterval);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        // Counts only the time the request hangs on the accepted connection.
        if (server.connections() == 0)
            return;
        if (sinceTick.isValid())
            gaps.push_back(sinceTick.restart());
        else
            sinceTick.start();
    });
    ticker.start();
    std::string text = "before";
    QElapsedTimer waited;
    waited.start();
    EXPECT_FALSE(downloader.Pobierz("http://127.0.0.1:" + std::to_string(server.port()) + "/hang", text));
    const qint64 waitedMs = waited.elapsed();
    ticker.stop();

    EXPECT_EQ(text, "before");
    EXPECT_GE(waitedMs, 1900);
    EXPECT_LT(waitedMs, 10000);
    ASSERT_GE(gaps.size(), 50u) << "the timer hardly fired during a wait of " << waitedMs << " ms";
    std::sort(gaps.begin(), gaps.end());
    const qint64 worst = gaps.back();
    const qint64 percentile95 = gaps[gaps.size() * 95 / 100];
    // Latency is what a tick comes later than its interval; the bound allows for a shared, loaded machine.
    EXPECT_LT(worst - kInterval, 50) << "95th percentile gap " << percentile95 << " ms over " << gaps.size();
}

} // namespace
} // namespace kelvora
