#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "ShellFixture.h"
#include "app/qt/AppStartup.h"
#include "app/qt/frmMain.h"
#include "app/qt/frmSplash.h"
#include "platform/fake/FakeSingleInstance.h"
#include "settings/Language.h"
#include "settings/LanguageSetting.h"
#include "update/qt/FrmUpdate.h"

namespace kelvora {
namespace {

int visibleTopLevels() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += widget->isVisible() ? 1 : 0;
    return count;
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(visibleTopLevels(), 0); }

    void installEnglish(const std::string& lines) {
        platform.files.addFile(platform.files.programFolder() + "/languages/English/English.txt", lines);
        ASSERT_TRUE(saveCurLang(platform.registry, "English"));
    }

    apptest::FakePlatform platform;
    apptest::RecordingActions actions;
    fake::FakeSingleInstance instance;
    AppStartup startup{platform.services, platform.strings, instance, actions};
};

TEST_F(StartupTest, ASecondInstanceShowsItsMessageAndNoSplash) {
    installEnglish("101 Already running.\r\n100 Notice\r\n");
    instance.setOtherInstanceRunning(true);
    EXPECT_FALSE(startup.start());
    EXPECT_EQ(actions.errors, QStringList{QStringLiteral("Already running.")});
    EXPECT_EQ(instance.claims(), 1);
    EXPECT_EQ(instance.lastName(), "Kelvora 2008");
    EXPECT_EQ(startup.splash(), nullptr);
    QTest::qWait(50);
    EXPECT_EQ(visibleTopLevels(), 0);
}

TEST_F(StartupTest, TheFirstStartReportsTheMissingLanguageAndStoresEnglish) {
    EXPECT_TRUE(startup.start());
    EXPECT_EQ(actions.errors, QStringList{QString::fromUtf8(kLanguageLoadError)});
    EXPECT_EQ(readCurLang(platform.registry), "English");
    ASSERT_NE(startup.splash(), nullptr);
    EXPECT_TRUE(startup.splash()->isVisible());
    EXPECT_EQ(startup.splash()->findChild<QWidget*>(QStringLiteral("client"))->size(), QSize(392, 88));
    // A thin frame lies round the client area: no pixel of the window's edge is the white background.
    const QImage shot = startup.splash()->grab().toImage();
    for (const QPoint edge :
         {QPoint(200, 0), QPoint(0, 75), QPoint(shot.width() - 1, 75), QPoint(200, shot.height() - 1)})
        EXPECT_NE(shot.pixelColor(edge), QColor(Qt::white)) << edge.x() << "," << edge.y();
    startup.splash()->close();
}

TEST_F(StartupTest, TheSplashShowsForThreeTicksThenTheMainWindowLoads) {
    installEnglish("100 Rights notice\r\n");
    QSignalSpy shown(&startup, &AppStartup::mainWindowShown);
    bool splashGoneWhenShown = false;
    QObject::connect(&startup, &AppStartup::mainWindowShown,
                     [&] { splashGoneWhenShown = startup.splash() == nullptr || !startup.splash()->isVisible(); });

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(startup.start());
    EXPECT_EQ(instance.claims(), 1);
    auto* notice = startup.splash()->findChild<QLabel*>(QStringLiteral("Label2"));
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), QStringLiteral("Rights notice"));

    QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 1, 10000);
    EXPECT_GE(clock.elapsed(), 800);
    EXPECT_TRUE(splashGoneWhenShown);
    frmMain* main = startup.mainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->timer3().interval(), 1000);
    EXPECT_TRUE(main->timer3().isActive());

    // A second later the hidden update window is loaded, once, and never shown.
    QTRY_VERIFY_WITH_TIMEOUT(main->autoUpdateWindow() != nullptr, 10000);
    EXPECT_FALSE(main->timer3().isActive());
    EXPECT_FALSE(main->autoUpdateWindow()->isVisible());

    QSignalSpy finished(&startup, &AppStartup::finished);
    main->close();
    QTRY_COMPARE(finished.count(), 1);
    EXPECT_FALSE(main->globalTimer().isActive());
}

} // namespace
} // namespace kelvora
