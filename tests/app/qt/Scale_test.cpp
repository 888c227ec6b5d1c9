// The main window at the screen scale ctest sets through QT_SCALE_FACTOR (1, and again at 1.25, 1.5 and 2).
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

#include "ShellFixture.h"
#include "app/qt/ShellWidgets.h"
#include "app/qt/frmMain.h"
#include "platform/FileSystem.h"
#include "settings/Language.h"

namespace kelvora {
namespace {

// A label's text laid out in the label's own rectangle stays inside it. One line is judged by its ink, since the
// line box's reserve for the font's tallest glyphs may overhang a tight label without cutting a glyph.
bool textFits(const QLabel* label) {
    if (label->text().isEmpty())
        return true;
    const QRect room = label->contentsRect();
    const QFontMetrics metrics = label->fontMetrics();
    const int flags = static_cast<int>(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QRect box = metrics.boundingRect(room, flags, label->text());
    const QRect ink =
        label->wordWrap()
            ? box
            : metrics.tightBoundingRect(label->text()).translated(box.left(), box.top() + metrics.ascent());
    return box.left() >= room.left() && box.right() <= room.right() && ink.top() >= room.top() &&
           ink.bottom() <= room.bottom();
}

TEST(Scale, PicturesAreDrawnForTheScreenAndEveryControlAndTextFitsInEveryLanguage) {
    for (const char* language : {"English", "Polish", "Deutsch"}) {
        SCOPED_TRACE(language);
        apptest::FakePlatform platform;
        apptest::RecordingActions actions;
        const std::string name = language;
        ASSERT_EQ(LoadLanguageFile(*createFileSystem(), platform.strings,
                                   KELVORA_SOURCE_DIR "/languages/" + name + "/" + name + ".txt"),
                  0);
        frmMain window(platform.services, actions);
        window.Form_Load();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        const qreal ratio = window.devicePixelRatioF();

        // Twice-resolution pictures on any scaled screen, so a picture is never enlarged.
        for (const PictureBox* box : window.findChildren<PictureBox*>())
            EXPECT_EQ(box->picture().devicePixelRatio(), std::ceil(ratio)) << box->objectName().toStdString();

        const QWidget* area = window.clientArea();
        for (int page = 0; page < frmMain::kPages; ++page) {
            window.ShowPage(page);
            for (const QWidget* control : area->findChildren<QWidget*>()) {
                const bool isControl = qobject_cast<const QLabel*>(control) ||
                                       qobject_cast<const QComboBox*>(control) ||
                                       qobject_cast<const QAbstractButton*>(control);
                if (!isControl || !control->isVisibleTo(&window) || control->objectName().isEmpty())
                    continue;
                const QRect place(control->mapTo(area, QPoint(0, 0)), control->size());
                EXPECT_TRUE(area->rect().contains(place)) << control->objectName().toStdString();
                if (const auto* label = qobject_cast<const QLabel*>(control)) {
                    EXPECT_TRUE(textFits(label)) << control->objectName().toStdString();
                } else if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
                    EXPECT_LE(button->sizeHint().width(), button->width()) << control->objectName().toStdString();
                }
            }
        }
        if (const QByteArray shot = qgetenv("KELVORA_SCREENSHOT"); !shot.isEmpty() && name == "English")
            window.grab().save(QString::fromLocal8Bit(shot + ".png"));
    }
}

} // namespace
} // namespace kelvora
