#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

#include "ShellFixture.h"
#include "app/qt/ShellWidgets.h"
#include "app/qt/frmMain.h"
#include "info/qt/FrmAbout.h"
#include "memory/qt/MemoryPage.h"
#include "settings/LanguageSetting.h"
#include "update/qt/FrmUpdate.h"

namespace kelvora {
namespace {

using apptest::clickAt;
using apptest::moveOver;

// Places in the client area, from the window's layout.
const QPoint kBareBackground(300, 68);
const QPoint kBanner(100, 30);
const QPoint kNavPanelTop(20, 80);
const QPoint kBesideFirstLabel(165, 100); // on hover bar a1 when shown, else on the navigation panel
const QPoint kInformationPage(300, 150);

QPoint navLabel(int index) { // 0 = Label3 ... 5 = Label8
    return {60, 100 + 24 * index};
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { window = std::make_unique<frmMain>(platform.services, actions); }

    void load() {
        window->Form_Load();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    template <typename T = QWidget> T* child(const char* name) const {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    int visiblePage() const {
        int shown = -1;
        for (int i = 0; i < frmMain::kPages; ++i) {
            if (child(QStringLiteral("x%1").arg(i + 1).toLatin1().constData())->isVisible()) {
                EXPECT_EQ(shown, -1) << "two pages visible";
                shown = i;
            }
        }
        return shown;
    }

    int visibleHoverBar() const {
        int shown = -1;
        for (int i = 0; i < frmMain::kHoverBars; ++i) {
            if (child(QStringLiteral("a%1").arg(i + 1).toLatin1().constData())->isVisible()) {
                EXPECT_EQ(shown, -1) << "two hover bars visible";
                shown = i;
            }
        }
        return shown;
    }

    MainClientArea* area() const { return window->clientArea(); }

    apptest::FakePlatform platform;
    apptest::RecordingActions actions;
    std::unique_ptr<frmMain> window;
};

TEST_F(MainWindowTest, StartsOnTheInformationPageWithNoHoverBarAndTheTimerRunning) {
    load();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kelvora 2008"));
    EXPECT_EQ(area()->size(), QSize(568, 358));
    EXPECT_EQ(visiblePage(), 0);
    EXPECT_EQ(visibleHoverBar(), -1);
    EXPECT_TRUE(window->globalTimer().isActive());
    EXPECT_EQ(window->globalTimer().interval(), 100);
    EXPECT_FALSE(window->timer3().isActive());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
}

TEST_F(MainWindowTest, NavigationLabelsSwitchPages) {
    load();
    struct Case {
        int label;
        int page;
    };
    for (const Case& c : {Case{1, 1}, Case{2, 2}, Case{3, 3}, Case{3, 3}, Case{0, 0}, Case{2, 2}}) {
        clickAt(area(), navLabel(c.label));
        EXPECT_EQ(visiblePage(), c.page) << "label " << c.label;
    }
    // Clicking a page itself or the banner changes nothing.
    clickAt(area(), kBanner);
    clickAt(area(), kNavPanelTop);
    EXPECT_EQ(visiblePage(), 2);
}

TEST_F(MainWindowTest, HoverBarsFollowTheLabelsAndOnlyTheBareBackgroundHidesThem) {
    load();
    struct Step {
        QPoint where;
        int barAfter;
    };
    const Step steps[] = {
        {navLabel(0), 0},      {navLabel(2), 2},      {navLabel(5), 5},      {kNavPanelTop, 5},
        {kBanner, 5},          {kInformationPage, 5}, {navLabel(0), 0},      {kBesideFirstLabel, 0},
        {kBareBackground, -1}, {navLabel(3), 3},      {kBareBackground, -1},
    };
    for (const Step& step : steps) {
        moveOver(area(), step.where);
        EXPECT_EQ(visibleHoverBar(), step.barAfter) << step.where.x() << "," << step.where.y();
    }
}

TEST_F(MainWindowTest, NavigationLabelsAndUpdateTileShowTheHandPointer) {
    load();
    for (const char* name :
         {"Label3", "Label4", "Label5", "Label6", "Label7", "Label8", "Label21", "Label22", "Image9"})
        EXPECT_EQ(child(name)->cursor().shape(), Qt::PointingHandCursor) << name;
}

TEST_F(MainWindowTest, WindowMovesOnlyFromTheBareBackgroundWithTheLeftButtonAlone) {
    load();
    struct Case {
        QPoint where;
        Qt::MouseButtons buttons;
        bool drags;
    };
    const Case cases[] = {
        {kBareBackground, Qt::LeftButton, true},   {QPoint(564, 200), Qt::LeftButton, true},
        {kBareBackground, Qt::RightButton, false}, {kBareBackground, Qt::LeftButton | Qt::RightButton, false},
        {kBareBackground, Qt::NoButton, false},    {kBanner, Qt::LeftButton, false},
        {kNavPanelTop, Qt::LeftButton, false},     {kInformationPage, Qt::LeftButton, false},
        {navLabel(1), Qt::LeftButton, false},
    };
    for (const Case& c : cases) {
        QSignalSpy drags(area(), &MainClientArea::dragRequested);
        moveOver(area(), c.where, c.buttons);
        EXPECT_EQ(drags.count(), c.drags ? 1 : 0) << c.where.x() << "," << c.where.y() << " buttons " << c.buttons;
        apptest::sendMouse(area(), QEvent::MouseButtonRelease, c.where, Qt::LeftButton, Qt::NoButton);
    }
    // The right button pressed during a move ends it: the window no longer follows.
    QSignalSpy starts(area(), &MainClientArea::dragRequested);
    QSignalSpy moves(area(), &MainClientArea::dragMoved);
    apptest::sendMouse(area(), QEvent::MouseButtonPress, kBareBackground, Qt::LeftButton, Qt::LeftButton);
    moveOver(area(), kBareBackground + QPoint(5, 0), Qt::LeftButton);
    apptest::sendMouse(area(), QEvent::MouseButtonPress, kBareBackground, Qt::RightButton,
                       Qt::LeftButton | Qt::RightButton);
    moveOver(area(), kBareBackground + QPoint(10, 0), Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ(starts.count(), 1);
    EXPECT_EQ(moves.count(), 1);
}

TEST_F(MainWindowTest, AboutWindowOpensOnceFromLabelAndMenu) {
    load();
    clickAt(area(), navLabel(4));
    FrmAbout* first = window->aboutWindow();
    ASSERT_NE(first, nullptr);
    child<QAction>("oprog")->trigger();
    EXPECT_EQ(window->aboutWindow(), first);
    EXPECT_EQ(window->findChildren<FrmAbout*>().size(), 1);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(first->isModal());
    EXPECT_EQ(first->parentWidget(), window.get());
}

TEST_F(MainWindowTest, UpdateWindowOpensOnceAndIsCreatedAgainAfterItClosed) {
    load();
    // Label21 covers all of Label22; out of its way, Label22's own click is seen.
    child("Label21")->hide();
    clickAt(area(), QPoint(80, 322));
    child("Label21")->show();
    frmUpdate* first = window->updateWindow();
    ASSERT_NE(first, nullptr);
    first->setDialogs({[](QWidget*, const QString&) { return false; }, [](QWidget*, const QString&) {}});
    clickAt(area(), QPoint(100, 280)); // Label21
    clickAt(area(), QPoint(30, 300));  // Image9
    child<QAction>("spru")->trigger();
    EXPECT_EQ(window->updateWindow(), first);
    EXPECT_EQ(window->findChildren<frmUpdate*>().size(), 1);
    EXPECT_FALSE(first->isModal());

    first->close();
    QTRY_VERIFY(window->updateWindow() == nullptr || !window->updateWindow()->isVisible());
    child<QAction>("spru")->trigger();
    ASSERT_NE(window->updateWindow(), nullptr);
    window->updateWindow()->setDialogs(
        {[](QWidget*, const QString&) { return false; }, [](QWidget*, const QString&) {}});
    EXPECT_TRUE(window->updateWindow()->isVisible());
    window->updateWindow()->close();
}

TEST_F(MainWindowTest, EmptyStringTableLeavesCaptionsEmptyWhileFixedTextsShow) {
    load();
    for (const char* name : {"Label3", "Label4", "Label5", "Label6", "Label7", "Label8", "Label9", "Label10", "Label11",
                             "Label12", "Label21", "Label22"})
        EXPECT_TRUE(child<QLabel>(name)->text().isEmpty()) << name;
    for (const char* name : {"Command1", "Command2"})
        EXPECT_TRUE(child<QAbstractButton>(name)->text().isEmpty()) << name;
    for (const char* name : {"za", "read1", "lic1", "spru", "strw", "oprog"})
        EXPECT_TRUE(child<QAction>(name)->text().isEmpty()) << name;
    EXPECT_TRUE(child<QTabWidget>("x1")->tabText(0).isEmpty());
    EXPECT_EQ(child<QLabel>("Label1")->text(), QStringLiteral(" 2.40"));

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kelvora 2008"));
    EXPECT_FALSE(child<QLabel>("Label17")->text().isEmpty());
    QStringList percentCaptions;
    for (QAbstractButton* button : window->memoryPage()->findChildren<QAbstractButton*>())
        percentCaptions << button->text();
    for (const QString& caption : {QStringLiteral("10%"), QStringLiteral("20%"), QStringLiteral("30%")})
        EXPECT_TRUE(percentCaptions.contains(caption)) << caption.toStdString();
    const QStringList languages{QStringLiteral("English"), QStringLiteral("Polish"), QStringLiteral("Deutsch")};
    auto* optLang = child<QComboBox>("optLang");
    ASSERT_EQ(optLang->count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(optLang->itemText(i), languages[i]);
}

TEST_F(MainWindowTest, CaptionsComeFromTheTableAsPlainTextWithLineBreaks) {
    platform.strings.set(119, "Wersja:");
    platform.strings.set(187, "<b>Informacje</b>");
    platform.strings.set(194, "first\rsecond");
    platform.strings.set(177, "&Program");
    platform.strings.set(192, "Zamknij");
    load();
    EXPECT_EQ(child<QLabel>("Label1")->text(), QStringLiteral("Wersja: 2.40"));
    auto* label3 = child<QLabel>("Label3");
    EXPECT_EQ(label3->text(), QStringLiteral("<b>Informacje</b>"));
    EXPECT_EQ(label3->textFormat(), Qt::PlainText);
    EXPECT_EQ(child<QTabWidget>("x1")->tabText(0), QStringLiteral("<b>Informacje</b>"));
    EXPECT_EQ(child<QLabel>("Label9")->text(), QStringLiteral("first\nsecond"));
    EXPECT_EQ(child<QLabel>("Label9")->textFormat(), Qt::PlainText);
    EXPECT_EQ(child<QMenu>("prog1")->title(), QStringLiteral("&Program"));
    EXPECT_EQ(child<QLabel>("Label8")->text(), QStringLiteral("Zamknij"));
}

// The first and last rows of dark pixels in the widget's drawing.
std::pair<int, int> inkRows(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                top = top < 0 ? y : top;
                bottom = y;
            }
    return {top, bottom};
}

TEST_F(MainWindowTest, NavigationCaptionsSitOnThePlainLabelsRows) {
    platform.strings.set(187, "Informacje");
    load();
    auto* item = child<QLabel>("Label3");
    WrapLabel plain(item->parentWidget());
    plain.setGeometry(item->geometry());
    plain.setFont(item->font());
    plain.setText(item->text());
    const auto rows = inkRows(&plain);
    ASSERT_GE(rows.first, 0);
    EXPECT_EQ(inkRows(item), rows);
}

TEST_F(MainWindowTest, PicturesThatMeanSomethingCarryAccessibleNames) {
    platform.strings.set(193, "Check for updates...");
    load();
    EXPECT_EQ(child("Image1")->accessibleName(), QStringLiteral("Kelvora 2008"));
    EXPECT_EQ(child("Image9")->accessibleName(), QStringLiteral("Check for updates..."));
}

TEST_F(MainWindowTest, TabShowsTheHoverBarEnterAndSpaceClickAndTheMouseLeavesTheFocusAlone) {
    load();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    clickAt(area(), navLabel(3));
    // No item holds a focus it does not show: Space after the click changes nothing, the first Tab shows a1.
    EXPECT_EQ(window->focusWidget(), area());
    EXPECT_EQ(visibleHoverBar(), -1);
    struct Step {
        Qt::Key key;
        int page, bar;
    };
    const Step steps[] = {
        {Qt::Key_Space, 3, -1}, {Qt::Key_Return, 3, -1}, {Qt::Key_Tab, 3, 0}, {Qt::Key_Tab, 3, 1},
        {Qt::Key_Space, 1, 1},  {Qt::Key_Tab, 1, 2},     {Qt::Key_Return, 2, 2}, {Qt::Key_Tab, 2, 3},
        {Qt::Key_Tab, 2, 4},    {Qt::Key_Tab, 2, 5},     {Qt::Key_Tab, 2, -1},
    };
    for (const Step& step : steps) {
        QTest::keyClick(window->focusWidget(), step.key);
        EXPECT_EQ(visiblePage() * 10 + visibleHoverBar(), step.page * 10 + step.bar) << step.key;
    }
    EXPECT_TRUE(window->focusWidget() == child("Label21") && child("Label21")->font().underline());
}

TEST_F(MainWindowTest, ZamknijEndsAtOnceWithoutUnloading) {
    load();
    clickAt(area(), navLabel(5));
    EXPECT_EQ(actions.ends, 1);
    child<QAction>("za")->trigger();
    EXPECT_EQ(actions.ends, 2);
    EXPECT_TRUE(window->globalTimer().isActive()) << "the unload must not run";
}

TEST_F(MainWindowTest, ClosingTheWindowStopsTheTimerAndFreesTheBlocksOfARunningRelease) {
    platform.memory.setMB(64000, 60000);
    load();
    QSignalSpy unloaded(window.get(), &frmMain::unloaded);
    // The close arrives while the release yields between its blocks.
    QTimer::singleShot(0, window.get(), [this] { window->close(); });
    window->memoryPage()->ReleaseMemory(3);
    EXPECT_EQ(window->memoryPage()->release().heldBlocks(), 0u);
    EXPECT_FALSE(window->globalTimer().isActive());
    EXPECT_EQ(window->globalTimer().interval(), 0);
    EXPECT_EQ(unloaded.count(), 1);
}

TEST_F(MainWindowTest, ClosingTheWindowEndsTheSilentUpdateCheck) {
    load();
    window->controller().onTimer(ShellTimer::AutoUpdate);
    ASSERT_NE(window->autoUpdateWindow(), nullptr);
    QPointer<frmAutoUpd> silent = window->autoUpdateWindow();
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(silent.isNull()) << "it goes with the main window, before its check could ask anything";
}

TEST_F(MainWindowTest, AStoredNameOutsideTheListShowsNoSelectionAndSavesEmpty) {
    ASSERT_TRUE(saveCurLang(platform.registry, "english"));
    load();
    auto* optLang = child<QComboBox>("optLang");
    EXPECT_EQ(optLang->currentIndex(), -1);
    child<QPushButton>("Command2")->click();
    EXPECT_EQ(readCurLang(platform.registry), "");
}

} // namespace
} // namespace kelvora
