// Every string-table text of every language, laid out in the control that shows it, as its window lays it out.
#include <QFontInfo>
#include <QFontMetrics>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "alert/AlertControls.h"
#include "app/MainWindowControls.h"
#include "frontend/qt/ControlPlacement.h"
#include "frontend/qt/QtText.h"
#include "frontend/qt/WrapLabel.h"
#include "info/AboutControls.h"
#include "memory/MemoryPageControls.h"
#include "platform/TextLines.h"
#include "process/CpuPageControls.h"
#include "settings/Language.h"
#include "settings/StringTable.h"
#include "support/TestPaths.h"
#include "update/UpdateWindowControls.h"

namespace kelvora {
namespace {

StringTable languageTable(const std::string& name) {
    std::ifstream file(test::sourceDir() + "/languages/" + name + "/" + name + ".txt", std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    StringTable table;
    applyLanguageLines(splitTextLines(bytes.str()), table);
    return table;
}

// How far down a wrapped text may run: to the control's bottom or to a control lying over its lower part.
int roomBelowTop(ControlTable table, const ControlSpec& control) {
    const QRect own = pixelPlace(control);
    int bottom = own.bottom() + 1;
    for (const ControlSpec& other : table) {
        const QRect place = pixelPlace(other);
        if (&other != &control && other.kind != ControlKind::Picture && place.intersects(own) &&
            place.top() > own.top())
            bottom = std::min(bottom, place.top());
    }
    return bottom - own.top();
}

TEST(TextFit, EveryCaptionFitsItsControlInEveryLanguage) {
    ASSERT_TRUE(QFontInfo(windowFont()).family().contains(QLatin1String("Carlito")) ||
                QFontInfo(windowFont()).family().contains(QLatin1String("Calibri")))
        << "the windows' font (or its metric match Carlito) is not installed";
    const std::pair<const char*, ControlTable> surfaces[] = {
        {"main window", mainWindowControls()},     {"information page", informationPageControls()},
        {"CPU page", cpuPageControls()},           {"memory page", memoryPageControls()},
        {"settings page", settingsPageControls()}, {"splash", splashControls()},
        {"About window", aboutControls()},         {"update window", updateWindowControls()},
        {"alert popup", alertControls()},
    };
    for (const char* language : {"English", "Polish", "Deutsch"}) {
        const StringTable strings = languageTable(language);
        ASSERT_FALSE(strings[135].empty()) << language;
        for (const auto& [surface, table] : surfaces) {
            for (const ControlSpec& control : table) {
                const QFontMetrics metrics(controlFont(control));
                const int width = pixelPlace(control).width() - textInset(control.kind);
                for (const std::string& text : shownTexts(control, strings)) {
                    const QString shown = uiText(text);
                    const std::string where =
                        std::string(language) + ", " + surface + ", " + control.name + ": \"" + text + "\"";
                    if (control.wraps) {
                        const QSize size = wrappedTextSize(shown, controlFont(control), width);
                        EXPECT_LE(size.width(), width) << where;
                        EXPECT_LE(size.height(), roomBelowTop(table, control)) << where;
                    } else {
                        EXPECT_FALSE(shown.contains(QLatin1Char('\n'))) << where;
                        EXPECT_LE(metrics.horizontalAdvance(shown), width) << where;
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace kelvora
