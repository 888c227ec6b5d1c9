#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "memory/MainTicker.h"
#include "memory/qt/MemoryPage.h"
#include "memory/qt/MemoryWidgets.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeMemoryInfo.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeShell.h"
#include "settings/StringTable.h"
#include "support/FakePlatform.h"

namespace kelvora {
namespace {

class MemoryPageTest : public ::testing::Test, protected test::FakePlatform {
protected:
    MemoryPageTest() {
        strings.set(210, "&Optimize!");
        strings.set(221, "10 minutes");
        strings.set(224, "Total: ");
        strings.set(225, "Used: ");
        strings.set(226, "Free: ");
        strings.set(229, "Next in");
        strings.set(230, "min");
        memory.setMB(1000, 500, 100000);
        window.resize(568, 358);
        page = new MemoryPage(services, ticker, allocator, &window, &window);
        page->applyTexts();
        page->setDefaults();
        window.show();
    }
    template <typename W> W* child(const char* name) {
        W* found = page->findChild<W*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    fake::FakeBlockAllocator allocator;
    MainTicker ticker;
    QWidget window;
    MemoryPage* page = nullptr;
};

TEST_F(MemoryPageTest, ControlsSitAtTheirPagePixels) {
    const std::pair<const char*, QRect> places[] = {
        {"Label13", {8, 32, 177, 17}},
        {"OptionLevel0", {16, 48, 89, 17}},
        {"OptionLevel1", {16, 65, 89, 17}},
        {"OptionLevel2", {16, 83, 97, 17}},
        {"Command3", {224, 32, 113, 25}},
        {"GaugePic", {352, 32, 25, 145}},
        {"Label14", {8, 112, 201, 17}},
        {"CheckOptionRAM0", {32, 128, 217, 17}},
        {"TimeCombo", {48, 145, 169, 23}},
        {"CheckOptionRAM1", {32, 168, 297, 17}},
        {"OptionRAMPercent0", {48, 187, 49, 17}},
        {"OptionRAMPercent1", {104, 187, 49, 17}},
        {"OptionRAMPercent2", {160, 187, 49, 17}},
        {"NextOptimizeLabel", {8, 208, 369, 17}},
        {"InfoPic", {8, 232, 369, 17}},
    };
    for (const auto& [name, rect] : places) {
        auto* widget = child<QWidget>(name);
        if (widget) {
            EXPECT_EQ(widget->geometry(), rect) << name;
        }
    }
}

TEST_F(MemoryPageTest, DefaultsShowThirtyPercentBestLevelAndTheTimeItems) {
    EXPECT_TRUE(child<QCheckBox>("CheckOptionRAM1")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("CheckOptionRAM0")->isChecked());
    EXPECT_TRUE(child<QRadioButton>("OptionRAMPercent2")->isChecked());
    EXPECT_TRUE(child<QRadioButton>("OptionLevel2")->isChecked());
    auto* combo = child<QComboBox>("TimeCombo");
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("10 minutes"));
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(child<QPushButton>("Command3")->text(), QStringLiteral("&Optimize!"));
    EXPECT_EQ(child<StatusStrip>("InfoPic")->foreColour(), QColor(160, 120, 205));
    EXPECT_EQ(child<QLabel>("GaugeLabel")->height(), 0);
}

TEST_F(MemoryPageTest, ClickingTheThresholdBoxOffAndOnSelectsTwentyPercent) {
    auto* box = child<QCheckBox>("CheckOptionRAM1");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    for (const char* name : {"OptionRAMPercent0", "OptionRAMPercent1", "OptionRAMPercent2"})
        EXPECT_FALSE(child<QRadioButton>(name)->isChecked()) << name;
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_TRUE(child<QRadioButton>("OptionRAMPercent1")->isChecked());
    EXPECT_FLOAT_EQ(page->panel().FreeThreshold, 0.2f);

    auto* ten = child<QRadioButton>("OptionRAMPercent0");
    QTest::mouseClick(ten, Qt::LeftButton, {}, QPoint(6, ten->height() / 2));
    EXPECT_FLOAT_EQ(page->panel().FreeThreshold, 0.1f);
}

TEST_F(MemoryPageTest, StatusLineIsDrawnAndIsInfoPicsAccessibleName) {
    memory.setMB(512, 200, 100000);
    page->RefreshMemoryPanel();
    auto* info = child<StatusStrip>("InfoPic");
    const QString expected = QStringLiteral("Total: 512 MB    Used: 312 MB    Free: 200 MB");
    EXPECT_EQ(info->line(), expected);
    EXPECT_EQ(info->accessibleName(), expected);
}

TEST_F(MemoryPageTest, TimedCountdownShowsOnOneLine) {
    auto* box = child<QCheckBox>("CheckOptionRAM0");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_EQ(child<QComboBox>("TimeCombo")->currentIndex(), 0);
    page->RefreshMemoryPanel();
    EXPECT_EQ(child<QLabel>("NextOptimizeLabel")->text(), QStringLiteral("Next in 10 min"));
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_EQ(child<QLabel>("NextOptimizeLabel")->text(), QString());
}

// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

TEST_F(MemoryPageTest, ButtonReleasesWithPaintingHeldDuringTheFirstYieldAndIgnoresASecondClick) {
    page->RefreshMemoryPanel(); // 1000 total, 500 free: 600 blocks at the best level
    std::vector<bool> heldDuringFirstYield;
    auto* button = child<QPushButton>("Command3");
    auto* bar = child<QLabel>("GaugeLabel");
    // Posted events run inside the release's first yield.
    QMetaObject::invokeMethod(
        &window,
        [&] {
            heldDuringFirstYield.push_back(page->paintingHeld());
            button->click();
        },
        Qt::QueuedConnection);
    button->click();
    EXPECT_EQ(heldDuringFirstYield, std::vector<bool>{true});
    EXPECT_FALSE(page->paintingHeld());
    EXPECT_EQ(allocator.claims, 600);
    EXPECT_EQ(allocator.frees, 600);
    EXPECT_EQ(allocator.badFrees, 0);
    EXPECT_EQ(bar->height(), 0);
    EXPECT_EQ(ticker.PanelRefreshTicks, 10);
}

TEST_F(MemoryPageTest, ReleaseDrawsTheRisingBarWithoutRepaintingTheRestOfTheWindow) {
    QCoreApplication::processEvents();
    PaintCounter barPaints, buttonPaints;
    child<QLabel>("GaugeLabel")->installEventFilter(&barPaints);
    child<QPushButton>("Command3")->installEventFilter(&buttonPaints);
    page->ReleaseMemory(20);
    EXPECT_GE(barPaints.paints, 10);
    EXPECT_LE(barPaints.paints, 20);
    EXPECT_EQ(buttonPaints.paints, 0);
}

TEST(GaugeFrame, BarFillsFromTheBottomInScaleUnits) {
    GaugeFrame gauge;
    gauge.setGeometry(0, 0, 25, 145);
    const QRect inside = gauge.contentsRect();
    gauge.setScale(4);
    gauge.setBar(2, 2);
    EXPECT_EQ(gauge.bar()->geometry().bottom(), inside.bottom());
    EXPECT_NEAR(gauge.bar()->height(), inside.height() / 2.0, 1.0);
    EXPECT_EQ(gauge.bar()->width(), inside.width());
    gauge.setBar(0, 4);
    EXPECT_EQ(gauge.bar()->geometry(), inside);
    gauge.empty();
    EXPECT_EQ(gauge.bar()->height(), 0);
}

} // namespace
} // namespace kelvora
