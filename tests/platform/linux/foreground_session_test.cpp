#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/linux/ForegroundSession.h"

namespace kelvora {
namespace {

TEST(ForegroundSession, SourceFollowsTheSessionAndAdviceNamesTheWayOut) {
    struct Case {
        SessionFacts facts;
        ForegroundSource source;
        std::string advice; // a word the advice must hold; empty: no advice
    };
    const std::vector<Case> cases = {
        {{"", "GNOME", false, false, false, false}, ForegroundSource::X11, ""},
        {{"", "sway", true, false, false, false}, ForegroundSource::X11, ""}, // an X11 session: X answers
        {{"wayland-1", "sway", true, false, false, false}, ForegroundSource::I3Ipc, ""},
        {{"wayland-1", "", false, true, false, false}, ForegroundSource::Hyprland, ""},
        {{"wayland-0", "KDE", false, false, true, false}, ForegroundSource::KWin, ""},
        {{"wayland-0", "KDE", false, false, false, false}, ForegroundSource::X11, "org.kde.KWin"},
        {{"wayland-0", "ubuntu:GNOME", false, false, false, true}, ForegroundSource::Gnome, ""},
        {{"wayland-0", "ubuntu:GNOME", false, false, false, false}, ForegroundSource::X11, "gnome-extensions enable"},
        {{"wayland-0", "GNOME-Flashback", false, false, false, false}, ForegroundSource::X11, "Supported are"},
        {{"wayland-0", "", false, false, false, false}, ForegroundSource::X11, "X11 session"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.facts.waylandDisplay + "/" + c.facts.currentDesktop);
        EXPECT_EQ(chooseForegroundSource(c.facts), c.source);
        const std::string advice = foregroundAdvice(c.facts);
        EXPECT_EQ(advice.empty(), c.advice.empty()) << advice;
        EXPECT_NE(advice.find(c.advice), std::string::npos) << advice;
    }
}

// A sway tree, shortened: the focused window sits below a floating container on the second output.
const char* const kSwayTree = R"({"id":1,"type":"root","focused":false,"nodes":[
 {"id":3,"type":"output","name":"HEADLESS-1","focused":false,"nodes":[
  {"id":4,"type":"workspace","focused":false,"nodes":[
   {"id":7,"type":"con","name":"first \"quoted\" \u00e9","pid":4711,"focused":false,"nodes":[]}],
   "floating_nodes":[{"id":9,"type":"floating_con","pid":4712,"focused":true,"nodes":[]}]}]}]})";

// A tree whose focused window comes after `count` small values.
std::string manyValues(std::size_t count) {
    std::string values;
    for (std::size_t i = 0; i < count; ++i)
        values += "0,";
    return R"({"id":1,"marks":[)" + values + R"(0],"nodes":[{"id":5,"focused":true,"pid":7}]})";
}

TEST(ForegroundSession, CompositorRepliesNameTheFocusedWindowAndItsOwner) {
    enum Kind { Tree, Event, Hyprland };
    struct Case {
        Kind kind;
        std::string reply;
        std::optional<FocusedWindow> expected;
    };
    const std::vector<Case> cases = {
        {Tree, kSwayTree, FocusedWindow{9, 4712}},
        {Tree, R"({"id":1,"focused":false,"nodes":[{"id":4,"type":"workspace","focused":true}]})", FocusedWindow{}},
        {Tree, R"({"id":1,"nodes":[]})", FocusedWindow{}},
        {Tree, R"({"id":1,"nodes":[{"id":5,"focused":true,"pid":-3}]})", FocusedWindow{}},
        {Tree, R"({"id":1,"nodes":[{"id":5,"focused":true,"pid":1.5}]})", FocusedWindow{}},
        {Tree, R"({"id":1,"nodes":[)", std::nullopt},
        {Tree, std::string(5000, '[') + std::string(5000, ']'), std::nullopt}, // nesting that would blow the stack
        {Tree, R"({"id":1} trailing)", std::nullopt},
        {Tree, manyValues(1000), FocusedWindow{5, 7}},
        {Tree, manyValues(300000), std::nullopt}, // valid, but more values than any tree: memory, not a reply
        {Event, R"({"change":"focus","container":{"id":12,"pid":99,"focused":true}})", FocusedWindow{12, 99}},
        {Event, R"({"change":"close","container":{"id":12,"pid":99}})", std::nullopt},
        {Event, R"({"change":"focus"})", std::nullopt},
        {Hyprland, R"({"address":"0x55d1e2c3a4b0","mapped":true,"at":[0,0],"pid":3141,"title":"x"})",
         FocusedWindow{0x55d1e2c3a4b0ULL, 3141}},
        {Hyprland, "{}", FocusedWindow{}},
        {Hyprland, R"({"address":"0xzz","pid":1})", std::nullopt},
        {Hyprland, "Invalid command", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply.substr(0, 80));
        const auto found = c.kind == Tree    ? focusedInTree(c.reply)
                           : c.kind == Event ? focusFromWindowEvent(c.reply)
                                             : hyprlandActiveWindow(c.reply);
        ASSERT_EQ(found.has_value(), c.expected.has_value());
        if (found) {
            EXPECT_TRUE(*found == *c.expected) << found->id << " " << found->pid;
        }
    }
}

} // namespace
} // namespace kelvora
