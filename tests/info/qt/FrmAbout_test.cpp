#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "info/qt/FrmAbout.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeMemoryInfo.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeShell.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"
#include "support/FakePlatform.h"

namespace kelvora {
namespace {

class FrmAboutTest : public ::testing::Test, protected test::FakePlatform {
protected:
    FrmAboutTest() : test::FakePlatform("http://vendor.test") {
        for (int slot : {100, 118, 119, 120, 121, 122, 125, 126, 127, 128, 135})
            strings.set(slot, "slot " + std::to_string(slot));
        shell.computerName = "WORKSTATION-15C";
        saveCurLang(registry, "Polish");
        window = new FrmAbout(services, &owner);
        window->show();
    }
    ~FrmAboutTest() override { delete window.data(); }

    QLabel* label(const char* name) { return window->findChild<QLabel*>(QLatin1String(name)); }
    void hover(QWidget* widget) {
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), widget->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &move);
    }
    std::vector<bool> underlined() {
        std::vector<bool> states;
        for (const char* name : {"Label14", "Label15", "Label16", "Label17"})
            states.push_back(label(name)->font().underline());
        return states;
    }

    QWidget owner;
    QPointer<FrmAbout> window;
};

TEST_F(FrmAboutTest, ShowsTheCaptionsVersionAndComputerName) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("slot 118"));
    EXPECT_EQ(window->size(), QSize(480, 312));
    const std::pair<const char*, QString> captions[] = {
        {"Label88", "Kelvora 2008"},   {"Label86", "slot 119"},    {"Label1", "2.40"},      {"Label84", "slot 100"},
        {"Label81", "slot 120"},       {"Label14", "vendor.test"}, {"Label79", "slot 121"}, {"Label5", "slot 122"},
        {"Label4", "WORKSTATION-15C"}, {"Label6", "slot 125"},     {"Label7", "slot 126"},  {"Label15", "slot 135"},
        {"Label8", "slot 127"},        {"Label16", "slot 135"},    {"Label9", "slot 128"},  {"Label17", "slot 135"},
    };
    for (const auto& [name, text] : captions) {
        ASSERT_NE(label(name), nullptr) << name;
        EXPECT_EQ(label(name)->text(), text) << name;
        EXPECT_EQ(label(name)->textFormat(), Qt::PlainText) << name;
    }
    EXPECT_TRUE(label("Label6")->font().bold());
    EXPECT_EQ(label("Label15")->geometry(), QRect(272, 112, 97, 17));
}

TEST_F(FrmAboutTest, TheUnderlineFollowsThePointerAndStaysOnTheLastLink) {
    EXPECT_EQ(underlined(), (std::vector<bool>{false, false, false, false}));
    hover(label("Label15"));
    EXPECT_EQ(underlined(), (std::vector<bool>{false, true, false, false}));
    hover(label("Label16"));
    EXPECT_EQ(underlined(), (std::vector<bool>{false, false, true, false}));
    hover(window);
    hover(label("Label84"));
    EXPECT_EQ(underlined(), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(label("Label17")->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(FrmAboutTest, EachLinkOpensItsPageForTheStoredLanguage) {
    for (const char* name : {"Label14", "Label15", "Label16", "Label17"})
        QTest::mouseClick(label(name), Qt::LeftButton);
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{"http://vendor.test/pl", "http://vendor.test/pl/wsparcie.html",
                                        "http://vendor.test/forum", "http://vendor.test/pl/kontakt.html"}));
    EXPECT_TRUE(window->isVisible());
}

TEST_F(FrmAboutTest, TheVersionTextAndOkCloseTheWindow) {
    QTest::mouseClick(label("Label1"), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    QTest::qWait(1);
    EXPECT_TRUE(window.isNull());

    window = new FrmAbout(services, &owner);
    window->show();
    QTest::mouseClick(window->findChild<QPushButton*>("Command3"), Qt::LeftButton);
    QTest::qWait(1);
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(shell.opened.empty());
}

} // namespace
} // namespace kelvora
