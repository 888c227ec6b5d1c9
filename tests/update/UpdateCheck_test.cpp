#include <gtest/gtest.h>

#include "settings/StringTable.h"
#include "update/UpdateCheck.h"

namespace kelvora {
namespace {

class RecordingView : public UpdateView {
public:
    bool askYesNo(const std::string& text) override {
        questions.push_back(text);
        return answerYes;
    }
    void showInformation(const std::string& text) override { messages.push_back(text); }
    bool closing() const override { return closed; }
    void closeWindow() override { ++closes; }

    bool answerYes = true;
    bool closed = false;
    std::vector<std::string> questions;
    std::vector<std::string> messages;
    int closes = 0;
};

struct Outcome {
    int questions;
    int messages;
    int pagesOpened;
};

class UpdateCheckTest : public ::testing::Test {
protected:
    UpdateCheckTest() {
        strings.set(kSlotUpdateQuestion, "A newer version is available. Open the update page?");
        strings.set(kSlotNoUpdate, "No newer version.");
    }

    Outcome check(CheckVariant variant, bool received, const std::string& published) {
        int opened = 0;
        const int closesBefore = view.closes;
        runUpdateCheck(
            variant, strings, "http://vendor.test", "2.40",
            [&](const std::string& page, std::string& returnTo) {
                requested = page;
                if (received)
                    returnTo = published;
                return received;
            },
            [&] { ++opened; }, view);
        EXPECT_EQ(view.closes, closesBefore + 1);
        return {static_cast<int>(view.questions.size()), static_cast<int>(view.messages.size()), opened};
    }

    StringTable strings;
    RecordingView view;
    std::string requested;
};

TEST_F(UpdateCheckTest, AsksOnlyForANewerVersionAndReportsOtherwiseOnlyOnDemand) {
    const struct {
        CheckVariant variant;
        bool received;
        std::string published;
        Outcome expected;
    } cases[] = {
        {CheckVariant::OnDemand, true, "2.41", {1, 0, 1}},     {CheckVariant::Silent, true, "2.41", {1, 0, 1}},
        {CheckVariant::OnDemand, true, "2.40\r\n", {1, 0, 1}}, {CheckVariant::OnDemand, true, "10.0", {0, 1, 0}},
        {CheckVariant::Silent, true, "10.0", {0, 0, 0}},       {CheckVariant::OnDemand, true, "", {0, 1, 0}},
        {CheckVariant::Silent, true, "", {0, 0, 0}},           {CheckVariant::OnDemand, false, "", {0, 1, 0}},
        {CheckVariant::Silent, false, "", {0, 0, 0}},
    };
    for (const auto& c : cases) {
        view = RecordingView();
        const Outcome outcome = check(c.variant, c.received, c.published);
        const std::string name = (c.variant == CheckVariant::Silent ? "silent " : "on demand ") + c.published;
        EXPECT_EQ(outcome.questions, c.expected.questions) << name;
        EXPECT_EQ(outcome.messages, c.expected.messages) << name;
        EXPECT_EQ(outcome.pagesOpened, c.expected.pagesOpened) << name;
    }
    EXPECT_EQ(requested, "http://vendor.test/updates/kvora-2008.txt");
}

TEST_F(UpdateCheckTest, TheQuestionAndTheMessageComeFromTheirSlots) {
    check(CheckVariant::OnDemand, true, "2.41");
    check(CheckVariant::OnDemand, true, "2.39");
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0], strings[144]);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], strings[146]);
}

TEST_F(UpdateCheckTest, AnsweringNoOpensNothing) {
    view.answerYes = false;
    const Outcome outcome = check(CheckVariant::OnDemand, true, "2.5");
    EXPECT_EQ(outcome.questions, 1);
    EXPECT_EQ(outcome.pagesOpened, 0);
    EXPECT_EQ(outcome.messages, 0);
}

TEST_F(UpdateCheckTest, AWindowClosedDuringTheDownloadShowsNothingMore) {
    view.closed = true;
    const Outcome outcome = check(CheckVariant::OnDemand, false, "");
    EXPECT_EQ(outcome.questions + outcome.messages + outcome.pagesOpened, 0);
}

} // namespace
} // namespace kelvora
