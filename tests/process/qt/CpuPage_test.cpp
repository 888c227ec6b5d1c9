#include <QButtonGroup>
#include <QCoreApplication>
#include <QLabel>
#include <QListView>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeMemoryInfo.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeShell.h"
#include "process/PriorityOptimizer.h"
#include "process/qt/CpuPage.h"
#include "process/qt/ProcessListDelegate.h"
#include "settings/StringTable.h"
#include "support/FakePlatform.h"

namespace kelvora {
namespace {

class CpuPageTest : public ::testing::Test, protected test::FakePlatform {
protected:
    CpuPageTest() : test::FakePlatform("http://127.0.0.1") {
        strings.set(198, "Priority of inactive processes:");
        strings.set(199, "Normal");
        strings.set(200, "Low");
        strings.set(201, "Priority of the active process:");
        strings.set(202, "High");
        strings.set(213, "Below normal");
        strings.set(214, "Above normal");
        strings.set(215, "Normal");
        strings.set(218, "Processes:");
        strings.set(219, "running");
        processes.add(100, "/usr/bin/kelvora2008");
        processes.add(200, "/usr/lib/a-rather-long-folder-name/with/a-long-executable-name-too");
        foreground.foreground = 0x200;
        foreground.owners = {{0x200, 200}};
        page.resize(385, 260);
    }

    template <typename T> T* child(const char* name) { return page.findChild<T*>(QLatin1String(name)); }

    QWidget mainWindow;
    CpuPage page{services, &mainWindow, &mainWindow};
};

TEST_F(CpuPageTest, ControlsSitWhereTheLayoutPutsThemWithTheirTexts) {
    page.applyTexts();
    // The list is made at the page's first show.
    EXPECT_EQ(child<QListView>("ProcessList"), nullptr);
    mainWindow.show();
    const std::pair<const char*, QRect> layout[] = {
        {"Label15", {8, 32, 369, 17}},          {"OptionNonFocus0", {16, 56, 89, 13}},
        {"OptionNonFocus1", {128, 56, 97, 13}}, {"Label16", {8, 80, 353, 17}},
        {"OptionFocus0", {16, 104, 105, 13}},   {"OptionFocus1", {128, 104, 97, 13}},
        {"ProcessesLabel", {8, 120, 361, 17}},  {"ProcessList", {8, 144, 369, 109}},
    };
    for (auto [name, geometry] : layout) {
        QWidget* widget = child<QWidget>(name);
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_EQ(widget->geometry(), geometry) << name;
    }
    EXPECT_EQ(child<QLabel>("Label15")->text(), "Priority of inactive processes:");
    EXPECT_EQ(child<QLabel>("Label15")->textFormat(), Qt::PlainText);
    EXPECT_EQ(child<QRadioButton>("OptionNonFocus1")->text(), "Low");
    EXPECT_EQ(child<QRadioButton>("OptionFocus0")->text(), "High");
    // One text serves both "Normal" choices.
    EXPECT_EQ(child<QRadioButton>("OptionFocus1")->text(), child<QRadioButton>("OptionNonFocus0")->text());
}

TEST_F(CpuPageTest, DefaultsApplyThePolicyAndListTheClassesInForce) {
    page.setDefaults();
    EXPECT_TRUE(child<QRadioButton>("OptionNonFocus0")->isChecked());
    EXPECT_TRUE(child<QRadioButton>("OptionFocus0")->isChecked());
    EXPECT_EQ(processes.find(100)->priorityClass, NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(processes.find(200)->priorityClass, ABOVE_NORMAL_PRIORITY_CLASS);

    QAbstractItemModel* rows = page.processList()->model();
    ASSERT_EQ(rows->rowCount(), 2);
    // The row keeps its tab; the path is cut at 60 characters.
    EXPECT_EQ(rows->index(0, 0).data().toString(), "/usr/bin/kelvora2008\tNormal");
    EXPECT_EQ(rows->index(1, 0).data().toString(),
              QString::fromStdString(processes.find(200)->path->substr(0, 60)) + "\tAbove normal");
    EXPECT_EQ(child<QLabel>("ProcessesLabel")->text(), "Processes: 2 running");
    EXPECT_EQ(page.optimizer().TotalRunningProcess, 2);
    EXPECT_TRUE(mainWindow.updatesEnabled());
}

TEST_F(CpuPageTest, CopiesOfOneProgramKeepTheirOwnClassText) {
    processes.add(300, "/usr/lib/worker");
    processes.add(400, "/usr/lib/worker");
    processes.add(500, "/usr/lib/worker");
    page.setDefaults();
    foreground.foreground = 0x400;
    foreground.owners = {{0x400, 400}};
    page.UpdateForegroundPriority();
    // The foreground copy's row is redone after the sweep; the copies that shared its text keep theirs.
    QAbstractItemModel* rows = page.processList()->model();
    ASSERT_EQ(rows->rowCount(), 5);
    EXPECT_EQ(rows->index(2, 0).data().toString(), "/usr/lib/worker\tNormal");
    EXPECT_EQ(rows->index(3, 0).data().toString(), "/usr/lib/worker\tAbove normal");
    EXPECT_EQ(rows->index(4, 0).data().toString(), "/usr/lib/worker\tNormal");
}

TEST_F(CpuPageTest, ClickingAChoiceAppliesItAtOnce) {
    page.setDefaults();
    const int walks = processes.walks;
    child<QRadioButton>("OptionNonFocus1")->click();
    EXPECT_EQ(page.optimizer().BackgroundClass, BELOW_NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(processes.walks, walks + 1);
    EXPECT_EQ(processes.find(100)->priorityClass, BELOW_NORMAL_PRIORITY_CLASS);
    // A click on the option already selected applies the policy again.
    processes.find(100)->priorityClass = NORMAL_PRIORITY_CLASS;
    child<QRadioButton>("OptionNonFocus1")->click();
    EXPECT_EQ(processes.find(100)->priorityClass, BELOW_NORMAL_PRIORITY_CLASS);

    child<QRadioButton>("OptionFocus1")->click();
    EXPECT_EQ(page.optimizer().ForegroundClass, NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(processes.find(200)->priorityClass, NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(page.processList()->model()->index(1, 0).data().toString().section(QLatin1Char('\t'), 1),
              "Normal");

    // The timer's check with the same window does nothing.
    const int before = processes.walks;
    page.UpdateForegroundPriority();
    EXPECT_EQ(processes.walks, before);
}

TEST_F(CpuPageTest, TheClassColumnStartsAtTheTabStopOrStaysInView) {
    page.setDefaults();
    mainWindow.show(); // lays the list's viewport out
    QCoreApplication::processEvents();
    QListView* list = page.processList();
    auto* delegate = qobject_cast<ProcessListDelegate*>(list->itemDelegate());
    ASSERT_NE(delegate, nullptr);
    const QFontMetrics metrics(list->font());
    const int tabStop = ProcessListDelegate::dialogUnitsToPixels(list->font(), 270);
    EXPECT_EQ(delegate->tabOffset(), tabStop);
    EXPECT_GT(tabStop, metrics.horizontalAdvance(QStringLiteral("/usr/bin/kelvora2008")));
    // A wide list puts the class at the tab stop; a narrow one moves it left so the widest name still shows.
    EXPECT_EQ(delegate->columnOffset(2000, metrics), tabStop);
    const int narrow = list->viewport()->width() - 8;
    const int offset = delegate->columnOffset(narrow, metrics);
    EXPECT_LT(offset, tabStop);
    EXPECT_LE(offset + metrics.horizontalAdvance(QStringLiteral("Above normal")), narrow);
    // So the rows never need a horizontal scroll bar at the page's size.
    QStyleOptionViewItem option;
    option.initFrom(list);
    EXPECT_LE(delegate->sizeHint(option, list->model()->index(1, 0)).width(), list->viewport()->width());
    list->grab(); // painting rows with and without a tab
}

} // namespace
} // namespace kelvora
